// The argument dialog Form1: its state, loading a target with its history, recording an
// argument, launching, keyboard handling, the Browse menu, drops, Run_Once and the
// expand/collapse button. Plain C++ against the interfaces in platform/.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "dialog/common_dialog.h"
#include "platform/controls.h"
#include "platform/file_types.h"
#include "platform/host.h"
#include "platform/pickers.h"
#include "platform/shell.h"

namespace tarvo {

// The real controls (or test doubles) the dialog works on.
struct Form1Controls {
    Window& form;
    Control& Label1;
    ComboBox& cmbArg;
    CheckBox& Check1;
    Control& CMD_OK;
    Control& CMD_Cancel;
    Control& CMD_Browse;
    Control& CMD_About;
    Control& CMD_WIDTH;
};

struct Form1Services {
    Host& host;
    Shell& shell;
    FilePicker& filePicker;
    FolderPicker& folderPicker;
    // Asked before OK whether the file's type passes arguments on; none: nobody is asked.
    FileTypes* fileTypes = nullptr;
};

inline constexpr int kHistorySize = 20;

// How OK starts the file: as the user, or elevated through the shell's "runas" verb (Ctrl+Shift
// with Enter or with a click on OK). The dialog itself never runs elevated.
enum class RunAs { User, Administrator };

class Form1 {
public:
    Form1(Form1Controls controls, Form1Services services);

    // Public state read by the settings window.
    std::string CheckEx;
    std::string FILEName;
    CommonDialog CommonDialog1;

    // Start-up hands the command line over here.
    void setTargetPath(const std::string& path) { TargetPath_ = path; }

    void LoadTarget();
    void SaveArgument(std::string text);
    void ClearMRU();
    int Run_Once();

    // Event procedures. Key handlers return the key code to pass on; 0 swallows the key.
    // OK: records the text and the check state, launches and ends the program; when the user
    // refuses the elevation prompt, the dialog stays open with its text.
    void CMD_OK_Click(RunAs as = RunAs::User);
    void CMD_Cancel_Click();
    int Form_KeyPress(int keyAscii);
    int cmbArg_KeyPress(int keyAscii);
    void CMD_About_Click();
    void CMD_WIDTH_Click();
    void CMD_Browse_Click();
    void browse_addfiles_Click();
    void browse_clear_addfiles_Click();
    void browse_addfolders_Click();
    void browse_clear_addfolders_Click();
    // The one drop routine of the form and its controls: appends the first dropped path.
    void OLEDragDrop(const std::vector<std::string>& files);
    // Runs the handler of a Browse menu item by its name.
    void menuCommand(const std::string& itemName);
    // Shift+Delete on the highlighted item of cmbArg's dropped-down list: the entry leaves the
    // list and the record in MRU.INI.
    void cmbArg_ForgetItem(int index);
    // The keyboard goes back to the argument box with the caret at the end of its text, so
    // typing goes on after an inserted path and no letter is taken as another control's
    // access key.
    void focusArgumentBox();

    // Read access for the front end and the tests.
    const std::string& TargetPath() const { return TargetPath_; }
    const std::string& TargetFolder() const { return TargetFolder_; }
    const std::string& HistoryFile() const { return HistoryFile_; }
    const std::string& History(int i) const { return History_.at(static_cast<std::size_t>(i - 1)); }
    Form1Controls& controls() { return c_; }

private:
    // The piece a picked file adds: its bare name beside the target, else its full path.
    bool pickFilePiece(std::string& piece);
    bool pickFolderPath(std::string& path);
    void setArgumentText(const std::string& text);
    // False when the file's type would drop the argument text and the user chose not to run
    // it so; nothing has been written or launched then.
    bool argumentsArriveOrAccepted(const std::string& argument);

    Form1Controls c_;
    Form1Services s_;
    std::string TargetPath_;
    std::string TargetFolder_;
    std::string HistoryFile_;
    std::array<std::string, kHistorySize> History_;
};

}  // namespace tarvo

// Tarvo.exe: program start on Windows. Builds the argument dialog, hands the command line to
// start-up, and runs the message loop.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <memory>

#include "app/startup.h"
#include "dialog/form1.h"
#include "frontend/win32/dpi.h"
#include "frontend/win32/form1_window.h"
#include "frontend/win32/host_win32.h"
#include "frontend/win32/message_loop.h"
#include "frontend/win32/pickers_win32.h"
#include "frontend/win32/settings_window_win32.h"
#include "platform/win32/file_types_win32.h"
#include "platform/win32/lazy_dll.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/startup_trace.h"
#include "settings/associations.h"
#include "settings/frm_settings.h"
#include "settings/registry_changes.h"

namespace tarvo::win {
namespace {

class Program {
  public:
    Program()
        : host_(WinHost::Windows{[this] { unloadDialog(); }, [this] { showSettings(); },
                                 [this] { unloadSettings(); }}) {}

    int run(const wchar_t* commandLine) {
        dialog_ = std::make_unique<Form1Window>(
            Form1Services{host_, shell_, filePicker_, folderPicker_, &fileTypes_});
        startupMark("Form1 wired to its window");
        link_ = std::make_unique<Form1Link>(dialog_->form1());
        const std::string text = commandLineArguments(
            std::u16string_view(reinterpret_cast<const char16_t*>(commandLine)));
        const StartMode mode = Form_Initialize(dialog_->form1(), host_, text, [this] {
            RemoveAllAssociationsAndAnnounce(registry_, &fileTypes_, host_.programFolder());
        });
        startupMark("MRU.INI read, history in the combo box");
        if (mode == StartMode::ClearRegistry) return 0;
        if (mode == StartMode::Dialog) dialog_->native().show();
        startupMark("window shown, focus set");
        return runMessageLoop();
    }

  private:
    // The dialog stays in memory until the program ends: an unload may come from inside one of
    // its own handlers, so it is hidden here and ends with the loop.
    void unloadDialog() {
        dialogLoaded_ = false;
        if (dialog_) dialog_->native().hide();
        if (!settings_) PostQuitMessage(0);
    }

    // Creates the settings window when it is not loaded and shows it modeless.
    void showSettings() {
        retired_.reset();
        if (!settings_) {
            settings_ = std::make_unique<SettingsWindow>(
                SettingsServices{host_, shell_, registry_, *link_, &fileTypes_});
            settings_->load();
        }
    }

    // Runs the window's unload (which shows the dialog again or ends the program). The call
    // comes from inside the window's own handlers, so the object is only retired here and
    // freed on the next show or at the end of the program.
    void unloadSettings() {
        if (!settings_) return;
        retired_ = std::move(settings_);
        retired_->unload();
        if (!dialogLoaded_) PostQuitMessage(0);
    }

    WinHost host_;
    WinShell shell_;
    WinFilePicker filePicker_;
    WinFolderPicker folderPicker_;
    Win32Registry registry_;
    WinFileTypes fileTypes_;
    std::unique_ptr<Form1Window> dialog_;
    std::unique_ptr<Form1Link> link_;
    std::unique_ptr<SettingsWindow> settings_;
    std::unique_ptr<SettingsWindow> retired_;
    bool dialogLoaded_ = true;
};

}  // namespace
}  // namespace tarvo::win

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    tarvo::win::startupMark("static constructors");
    // The manifest asks for per-monitor DPI awareness too; this covers systems that read only
    // one of the two.
    tarvo::win::enablePerMonitorDpiAwareness();
    tarvo::win::startupMark("DPI awareness");
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    tarvo::win::startupMark("common controls");
    // OLE, the shell and the common dialogs are loaded at their first use (a launch, a picker),
    // not here: the first paint needs none of them.
    int code = 0;
    {
        tarvo::win::Program program;
        code = program.run(GetCommandLineW());
    }
    tarvo::win::releaseOle();
    return code;
}

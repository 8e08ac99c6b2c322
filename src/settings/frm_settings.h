// The settings window frmSettings: the association list, the history clear commands, the
// maker's links, "Run a File Now..." and the way back to the argument dialog. Plain C++
// against the interfaces in platform/.
#pragma once

#include <memory>
#include <string>

#include "platform/controls.h"
#include "platform/file_types.h"
#include "platform/host.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "settings/associations.h"
#include "settings/registry_changes.h"

namespace tarvo {

class Form1;

// What the settings window uses of the argument dialog.
class DialogLink {
public:
    virtual ~DialogLink() = default;
    virtual std::string CheckEx() const = 0;
    virtual std::string FILEName() const = 0;
    virtual void ClearMRU() = 0;
    // 1 when a file was picked and loaded into the dialog, 0 otherwise.
    virtual int Run_Once() = 0;
    // Removes every item and the text of the argument box.
    virtual void clearArgumentBox() = 0;
    // Clears the "&CMD" check box.
    virtual void clearCheck() = 0;
    virtual void show() = 0;
};

// The argument dialog itself as the settings window's partner.
class Form1Link : public DialogLink {
public:
    explicit Form1Link(Form1& form) : form_(form) {}
    std::string CheckEx() const override;
    std::string FILEName() const override;
    void ClearMRU() override;
    int Run_Once() override;
    void clearArgumentBox() override;
    void clearCheck() override;
    void show() override;

private:
    Form1& form_;
};

// An image control; the settings window only ever shows its own icon in it.
class IconImage : public virtual Control {
public:
    virtual void showWindowIcon() = 0;
};

// The real controls (or test doubles) the window works on.
struct SettingsControls {
    Window& form;
    Control& CMD_OK;
    Control& CMD_RUN;
    ListBox& List1;
    Control& CMD_ADD;
    Control& CMD_REMOVE;
    Control& CMD_File;
    Control& CMD_ClearAll;
    Control& Frame1;
    Control& Frame2;
    Control& lbl_MAIL;
    Control& lbl_WWW;
    IconImage& Image1;
};

struct SettingsServices {
    Host& host;
    Shell& shell;
    Registry& registry;
    DialogLink& dialog;
    // Told once after each add or removal that changed verbs; none: nobody is told.
    FileTypes* fileTypes = nullptr;
};

class frmSettings {
public:
    frmSettings(SettingsControls controls, SettingsServices services);
    ~frmSettings();

    // Event procedures.
    void Form_Load();
    void Form_Unload();
    void List1_Click();
    void CMD_ADD_Click();
    void CMD_REMOVE_Click();
    // Clear All History and Clear File History: true when the file took the change; when it
    // refuses, a message names the file and the dialog and the buttons stay as they were.
    bool CMD_ClearAll_Click();
    bool CMD_File_Click();
    void CMD_RUN_Click();
    void CMD_OK_Click();
    void lbl_MAIL_Click();
    void lbl_WWW_Click();

    // Runs a control's Click handler by its name (the front end's event routing); false for
    // a name without one.
    bool click(const std::string& controlName);

    const std::string& HistoryFile() const { return HistoryFile_; }
    const std::string& SettingsFile() const { return SettingsFile_; }
    SettingsControls& controls() { return c_; }

private:
    Control* controlByName(const std::string& name);
    void clearDialogHistory();
    bool historyNotCleared();
    void openLink(const std::string& address);

    SettingsControls c_;
    SettingsServices s_;
    // The registry as the association list changes it, so each command tells the file
    // manager once.
    RegistryChanges registry_;
    std::string HistoryFile_;
    std::string SettingsFile_;
    std::unique_ptr<AssociationList> list_;
};

}  // namespace tarvo

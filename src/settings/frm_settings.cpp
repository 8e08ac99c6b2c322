// The settings window's event procedures.
#include "settings/frm_settings.h"

#include <utility>

#include "common/system_style.h"
#include "platform/filesystem.h"
#include "settings/settings_layout.h"
#include "storage/data_location.h"
#include "storage/ini_handler.h"
#include "storage/mru_layout.h"

namespace tarvo {
namespace {

constexpr char kTitle[] = "Tarvolin";
constexpr char kNoTarget[] = "6";
constexpr char kTargetWithoutRecord[] = "5";
constexpr char kAddPrompt[] = "Please Enter File Extension:";
constexpr char kUninstallQuestion[] =
    "You have removed all association to Tarvolin.\r\nDo you wish to uninstall it completely?";
constexpr char kSettingsLaterText[] =
    "If no association is set now, you can access these settings again later at:\r\n";
// Shown when the history file refuses a clear (a read-only MRU.INI), followed by its path.
constexpr char kHistoryNotClearedMessage[] =
    "The history could not be cleared; it is unchanged.\n\n";

std::string removeQuestion(const std::string& ext) {
    return "Are you sure you wish to remove 'Tarvolin' from " + ext + " file extension?";
}

}  // namespace

frmSettings::frmSettings(SettingsControls controls, SettingsServices services)
    : c_(controls), s_(services), registry_(services.registry) {}

frmSettings::~frmSettings() = default;

void frmSettings::Form_Load() {
    const std::string folder = s_.host.programFolder();
    HistoryFile_ = dataFile(folder, mru::kHistoryFileName);
    SettingsFile_ = dataFile(folder, mru::kSettingsFileName);
    c_.Image1.showWindowIcon();

    list_ = std::make_unique<AssociationList>(c_.List1, registry_, s_.host, &c_.form, folder,
                                              SettingsFile_);
    list_->load();

    // A history file that was never written counts as empty.
    if (fs::isMissingOrEmpty(HistoryFile_)) {
        c_.CMD_ClearAll.setEnabled(false);
        c_.CMD_File.setEnabled(false);
    }
    const std::string checkEx = s_.dialog.CheckEx();
    if (checkEx != kNoTarget) {
        if (checkEx != kTargetWithoutRecord) c_.CMD_File.setEnabled(true);
    } else {
        c_.CMD_RUN.setVisible(true);
        c_.form.setHeight(kNoTargetWindowHeight);
        for (const auto& [name, top] : kNoTargetTops)
            if (Control* control = controlByName(name)) control->setTop(top);
    }
}

// Every way of closing the window ends here. Without a target the window is the whole
// program; otherwise the hidden argument dialog comes back.
void frmSettings::Form_Unload() {
    if (s_.dialog.CheckEx() == kNoTarget)
        s_.host.endProgram();
    else
        s_.dialog.show();
}

// Only ever enables: nothing in the window takes a selection away except a removal.
void frmSettings::List1_Click() {
    if (c_.List1.listIndex() > -1) c_.CMD_REMOVE.setEnabled(true);
}

void frmSettings::CMD_ADD_Click() {
    const std::string ext = s_.host.inputBox(&c_.form, kAddPrompt, kTitle, "");
    if (ext.empty() || !list_) return;
    list_->add(ext);
    registry_.announce(s_.fileTypes);
}

void frmSettings::CMD_REMOVE_Click() {
    const int k = c_.List1.listIndex();
    if (k < 0 || !list_) return;
    const std::string ext = c_.List1.list(k);
    if (s_.host.messageBox(&c_.form, removeQuestion(ext), kTitle, MsgButtons::YesNo,
                           MsgIcon::Question) != MsgResult::Yes)
        return;
    const bool removed = list_->remove(k);
    // Told before the uninstaller hand-off below, which ends the program.
    registry_.announce(s_.fileTypes);
    // Not removed (the list file refused the rewrite, and the user has been told): the entry
    // stays selected, so "Remove" stays ready for another try.
    if (!removed) return;
    c_.CMD_REMOVE.setEnabled(false);

    if (c_.List1.listCount() != 0) return;
    // A Linux install is removed by the package manager, and a portable copy (no uninstaller
    // beside it) by deleting its folder: neither has an uninstaller to hand to, so neither is
    // asked.
    const bool uninstallerBeside =
        systemStyle() != SystemStyle::Linux &&
        !fs::isMissingOrEmpty(s_.host.programFolder() + "\\" + kUninstallerFile);
    if (uninstallerBeside &&
        s_.host.messageBox(&c_.form, kUninstallQuestion, kTitle, MsgButtons::YesNo,
                           MsgIcon::Question) == MsgResult::Yes) {
        uninstallHandOff(s_.shell, s_.host, &c_.form);
        return;
    }
    // Opened from the dialog: tell where the settings can be reached once no file type
    // carries the verb any more.
    if (s_.dialog.CheckEx() != kNoTarget) {
        const std::string path =
            systemStyle() == SystemStyle::Linux
                ? s_.host.programFolder() + "/" + s_.host.exeName()
                : s_.host.programFolder() + "\\" + s_.host.exeName() + ".exe";
        s_.host.messageBox(&c_.form, kSettingsLaterText + path, kTitle, MsgButtons::Ok,
                           MsgIcon::Exclamation);
    }
}

void frmSettings::clearDialogHistory() {
    s_.dialog.ClearMRU();
    s_.dialog.clearArgumentBox();
    s_.dialog.clearCheck();
}

bool frmSettings::historyNotCleared() {
    s_.host.messageBox(&c_.form, kHistoryNotClearedMessage + HistoryFile_, kTitle, MsgButtons::Ok,
                       MsgIcon::Exclamation);
    return false;
}

// The history file is cut to nothing (created when missing), under the lock the profile
// engine's edits take, so no other copy's record is half-way through a rewrite. A refused
// write clears nothing: the file still holds every text, so the dialog and the buttons stay
// as they were and the user is told.
bool frmSettings::CMD_ClearAll_Click() {
    fs::Result written;
    {
        const fs::FileLock lock(HistoryFile_);
        written = fs::replaceFile(HistoryFile_, "");
    }
    if (written != fs::Result::Ok) return historyNotCleared();
    clearDialogHistory();
    c_.CMD_ClearAll.setEnabled(false);
    c_.CMD_File.setEnabled(false);
    return true;
}

bool frmSettings::CMD_File_Click() {
    ProfileEdit edit(HistoryFile_);
    edit.DeleteProfileSection(s_.dialog.FILEName());
    if (!edit.commit()) return historyNotCleared();
    clearDialogHistory();
    c_.CMD_File.setEnabled(false);
    if (fs::isMissingOrEmpty(HistoryFile_)) c_.CMD_ClearAll.setEnabled(false);
    return true;
}

// After a pick the dialog holds the new target and CheckEx is no longer "6", so unloading
// shows the dialog instead of ending the program.
void frmSettings::CMD_RUN_Click() {
    if (s_.dialog.Run_Once() == 1) s_.host.unloadSettings();
}

void frmSettings::CMD_OK_Click() {
    s_.host.unloadSettings();
}

void frmSettings::openLink(const std::string& address) {
    ShellRequest request;
    request.owner = &c_.form;
    request.file = address;
    s_.shell.execute(request);
}

void frmSettings::lbl_MAIL_Click() {
    openLink(kMakerMailLink);
}

void frmSettings::lbl_WWW_Click() {
    openLink(kMakerWeb);
}

bool frmSettings::click(const std::string& controlName) {
    using Handler = void (frmSettings::*)();
    // The clears report their result to their callers; a click has told the user already.
    if (controlName == "CMD_ClearAll") {
        CMD_ClearAll_Click();
        return true;
    }
    if (controlName == "CMD_File") {
        CMD_File_Click();
        return true;
    }
    static const std::pair<const char*, Handler> handlers[] = {
        {"CMD_OK", &frmSettings::CMD_OK_Click},         {"CMD_RUN", &frmSettings::CMD_RUN_Click},
        {"List1", &frmSettings::List1_Click},           {"CMD_ADD", &frmSettings::CMD_ADD_Click},
        {"CMD_REMOVE", &frmSettings::CMD_REMOVE_Click}, {"lbl_MAIL", &frmSettings::lbl_MAIL_Click},
        {"lbl_WWW", &frmSettings::lbl_WWW_Click},
    };
    for (const auto& [name, handler] : handlers) {
        if (controlName == name) {
            (this->*handler)();
            return true;
        }
    }
    return false;
}

Control* frmSettings::controlByName(const std::string& name) {
    const std::pair<const char*, Control*> all[] = {
        {"CMD_OK", &c_.CMD_OK},
        {"CMD_RUN", &c_.CMD_RUN},
        {"List1", &c_.List1},
        {"CMD_ADD", &c_.CMD_ADD},
        {"CMD_REMOVE", &c_.CMD_REMOVE},
        {"CMD_File", &c_.CMD_File},
        {"CMD_ClearAll", &c_.CMD_ClearAll},
        {"Frame1", &c_.Frame1},
        {"Frame2", &c_.Frame2},
        {"lbl_MAIL", &c_.lbl_MAIL},
        {"lbl_WWW", &c_.lbl_WWW},
        {"Image1", &c_.Image1},
    };
    for (const auto& [n, control] : all)
        if (name == n) return control;
    return nullptr;
}

}  // namespace tarvo

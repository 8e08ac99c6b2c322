// The argument dialog Form1: loading a target, its history, launching, keys, the Browse menu,
// drops, picking a file to run, and the expand/collapse button.
#include "dialog/form1.h"

#include <charconv>
#include <cmath>

#include "common/shell_words.h"
#include "common/system_style.h"
#include "common/utf8.h"
#include "complete/auto_complete.h"
#include "dialog/form1_layout.h"
#include "storage/data_location.h"
#include "storage/ini_handler.h"

namespace tarvo {
namespace {

constexpr char kTitle[] = "Tarvolin";
constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;
constexpr const char* kFolderPrompt = "Select Folder...";
constexpr unsigned kFolderOptions = 0x50;  // edit box, new resizable style

// History keys are named with one blank in front; the profile layer drops it.
std::string historyKey(int i) {
    return " " + std::to_string(i);
}

// The record's history, entry 1 first, up to the first empty entry; from a snapshot when the
// dialog loads, from the locked edit when OK writes. An OK works from what the file holds at
// that moment, so a record another running copy wrote since this dialog opened moves down
// instead of being written over.
template <typename Profile>
std::array<std::string, kHistorySize> historyIn(const Profile& file, const std::string& section) {
    std::array<std::string, kHistorySize> history;
    for (int i = 1; i <= kHistorySize; ++i) {
        auto& entry = history[static_cast<std::size_t>(i - 1)];
        entry = file.ReadProfileString(section, historyKey(i), "");
        if (entry.empty()) break;
    }
    return history;
}

// The file that could not be started, then the system's reason, as the system's own boxes
// put them.
std::string launchFailedText(const std::string& path, const std::string& reason) {
    return path + "\r\n\r\n" + reason;
}

// The stored check state as the check box takes it: "1" sets it, anything else (a hand-edited
// file may hold any text) leaves it clear.
int checkValueOf(const std::string& stored) {
    int value = 0;
    const auto* end = stored.data() + stored.size();
    const auto [ptr, ec] = std::from_chars(stored.data(), end, value);
    return (ec == std::errc() && ptr == end && value == 1) ? 1 : 0;
}

// A path added to the argument text. On Linux the text is split by shell quoting, so a path
// that holds blanks or quotes goes in quoted, to arrive as the one argument it is.
std::string argumentPiece(const std::string& path) {
    return systemStyle() == SystemStyle::Linux ? shellQuote(path) : path;
}

}  // namespace

Form1::Form1(Form1Controls controls, Form1Services services) : c_(controls), s_(services) {}

void Form1::LoadTarget() {
    // A path without any backslash is all file name and no folder, so that folder + name
    // still gives the path back.
    const auto slash = TargetPath_.rfind(pathSeparator());
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    FILEName = TargetPath_.substr(nameStart);
    TargetFolder_ = TargetPath_.substr(0, nameStart);
    CommonDialog1.InitDir = TargetFolder_;
    c_.Label1.setCaption(FILEName + ":");
    HistoryFile_ = dataFile(s_.host.programFolder(), "MRU.INI");

    // One parse of the file serves every read of the load.
    const ProfileSnapshot history(HistoryFile_);
    CheckEx = history.ReadProfileString(FILEName, "0", "5");
    if (CheckEx == "5") return;
    c_.Check1.setValue(checkValueOf(CheckEx));
    History_ = historyIn(history, FILEName);
    for (const auto& entry : History_) {
        if (entry.empty()) break;
        c_.cmbArg.addItem(entry);
    }
}

// Move-to-front: the text becomes entry 1 and older entries move down one place until the
// text's own earlier place, so it never appears twice.
static void saveArgumentTo(ProfileEdit& edit, const std::string& section,
                           const std::array<std::string, kHistorySize>& history, std::string text) {
    edit.WriteProfileString(section, "1", text);
    for (int i = 1; i <= kHistorySize - 1; ++i) {
        std::string entry = history[static_cast<std::size_t>(i - 1)];
        if (text == entry) return;
        if (entry.empty()) continue;
        edit.WriteProfileString(section, historyKey(i + 1), entry);
    }
}

void Form1::SaveArgument(std::string text) {
    ProfileEdit edit(HistoryFile_);
    saveArgumentTo(edit, FILEName, historyIn(edit, FILEName), std::move(text));
    edit.commit();
}

void Form1::ClearMRU() {
    for (auto& entry : History_) entry.clear();
}

void Form1::CMD_OK_Click(RunAs as) {
    // A file that is gone, or is no file at all, is told first and nothing is recorded: the
    // history keeps the texts used with files that exist.
    if (const std::string why = s_.shell.startRefusal(TargetPath_); !why.empty()) {
        s_.host.messageBox(&c_.form, why, kTitle, MsgButtons::Ok, MsgIcon::Critical);
        s_.host.endProgram();
        return;
    }
    const std::string argument = c_.cmbArg.text();
    if (!argumentsArriveOrAccepted(argument)) return;
    // Linux programs take their arguments one by one: a text that cannot be split is
    // neither run nor recorded, and the dialog stays for the user to mend it.
    const bool oneByOne = systemStyle() == SystemStyle::Linux;
    ShellWords words;
    if (oneByOne) {
        words = splitShellWords(argument);
        if (words.error) {
            s_.host.messageBox(&c_.form, *words.error, "Tarvolin", MsgButtons::Ok,
                               MsgIcon::Exclamation);
            return;
        }
    }
    ShellRequest request;
    request.owner = &c_.form;
    if (as == RunAs::Administrator) request.verb = "runas";
    request.directory = TargetFolder_;
    request.showCommand = 1;

    // Every write of this press is one commit, made before the launch so the history is kept
    // even when the launch fails.
    {
        ProfileEdit edit(HistoryFile_);  // holds the file's lock until the commit
        const auto history = historyIn(edit, FILEName);
        if (c_.Check1.value() == 1) {
            std::string one = "1";
            edit.WriteProfileString(FILEName, "0", one);
            if (!argument.empty()) saveArgumentTo(edit, FILEName, history, argument);
            request.file = "command.com";
            request.parameters = "/k \"" + TargetPath_ + "\"";
            if (!argument.empty()) *request.parameters += " " + argument;
        } else {
            if (argument.empty()) {
                if (history[0].empty() && CheckEx != "5") edit.DeleteProfileSection(FILEName);
            } else {
                std::string zero = "0";
                edit.WriteProfileString(FILEName, "0", zero);
                saveArgumentTo(edit, FILEName, history, argument);
            }
            request.file = TargetPath_;
            request.parameters = argument;
        }
        edit.commit();
    }
    if (oneByOne) {
        request.file = TargetPath_;
        request.parameters.reset();
        request.arguments = std::move(words.words);
        request.keepOpen = c_.Check1.value() == 1;
    }
    // A prompt of the system's that the user declined (the elevation prompt answered No) is
    // the user's answer, not a failure: back to the dialog, with the history already recorded
    // as for any OK. A launch the system refuses is told before the program ends, or the
    // failure would look like success.
    const ShellResult result = s_.shell.execute(request);
    if (result.wasCancelled()) return;
    if (!result.ok())
        s_.host.messageBox(&c_.form, launchFailedText(TargetPath_, result.reason), kTitle,
                           MsgButtons::Ok, MsgIcon::Critical);
    s_.host.endProgram();
}

void Form1::CMD_Cancel_Click() {
    s_.host.unloadDialog();
}

int Form1::Form_KeyPress(int keyAscii) {
    if (keyAscii == kKeyEscape) {
        s_.host.unloadDialog();
        return 0;
    }
    return keyAscii;
}

int Form1::cmbArg_KeyPress(int keyAscii) {
    // Enter belongs to the default button and never completes text.
    if (keyAscii == kKeyEnter) return keyAscii;
    return MAutoComplete::CompleteFromList(c_.cmbArg, keyAscii);
}

int Form1::Run_Once() {
    CommonDialog1.InitDir = CommonDialog::kMyComputer;
    CommonDialog1.ShowOpen(s_.filePicker, &c_.form);
    if (CommonDialog1.FileName.empty()) return 0;
    TargetPath_ = CommonDialog1.FileName;
    CommonDialog1.FileName.clear();
    LoadTarget();
    return 1;
}

void Form1::CMD_About_Click() {
    c_.form.setVisible(false);
    s_.host.showSettings();
}

void Form1::CMD_WIDTH_Click() {
    const double screen = c_.form.screenWidth();
    Control* const buttons[] = {&c_.CMD_WIDTH, &c_.CMD_OK, &c_.CMD_Cancel, &c_.CMD_Browse,
                                &c_.CMD_About};
    if (c_.form.width() == kCollapsedWidth) {
        const WidthLayout wide = expandedWindow(screen);
        c_.form.setWidth(wide.windowWidth);
        c_.form.setLeft(wide.windowLeft);
        // The controls move by the width the window really got, not the one asked for.
        const int grow = c_.form.width() - kCollapsedWidth;
        c_.cmbArg.setWidth(c_.cmbArg.width() + grow);
        for (Control* button : buttons) button->setLeft(button->left() + grow);
        c_.Label1.setWidth(c_.Label1.width() + grow);
        c_.CMD_WIDTH.setCaption("<");
    } else {
        const WidthLayout narrow = collapsedWindow(screen);
        c_.form.setWidth(narrow.windowWidth);
        c_.form.setLeft(narrow.windowLeft);
        const FormSpec& design = form1Layout();
        c_.cmbArg.setWidth(design.find("cmbArg")->width);
        const char* const names[] = {"CMD_WIDTH", "CMD_OK", "CMD_Cancel", "CMD_Browse",
                                     "CMD_About"};
        for (std::size_t i = 0; i < std::size(names); ++i)
            buttons[i]->setLeft(design.find(names[i])->left);
        c_.Label1.setWidth(design.find("Label1")->width);
        c_.CMD_WIDTH.setCaption(">");
    }
}

void Form1::CMD_Browse_Click() {
    const std::string chosen =
        c_.form.popupMenu(browseMenu(), c_.CMD_Browse.left() + 50, c_.CMD_Browse.top() + 50);
    // A menu closed without a choice leaves the focus on the button, as any menu button does.
    if (chosen.empty()) return;
    menuCommand(chosen);
    focusArgumentBox();
}

void Form1::focusArgumentBox() {
    c_.cmbArg.setFocus();
    c_.cmbArg.setSelStart(static_cast<int>(utf8::length(c_.cmbArg.text())));
}

void Form1::menuCommand(const std::string& itemName) {
    if (itemName == "browse_addfiles")
        browse_addfiles_Click();
    else if (itemName == "browse_addfolders")
        browse_addfolders_Click();
    else if (itemName == "browse_clear_addfiles")
        browse_clear_addfiles_Click();
    else if (itemName == "browse_clear_addfolders")
        browse_clear_addfolders_Click();
}

bool Form1::pickFilePiece(std::string& piece) {
    CommonDialog1.ShowOpen(s_.filePicker, &c_.form);
    const std::string& path = CommonDialog1.FileName;
    if (path.empty()) return false;
    const std::string& title = CommonDialog1.FileTitle;
    const std::string folder =
        title.size() <= path.size() ? path.substr(0, path.size() - title.size()) : std::string();
    // Only a file lying directly beside the target is named bare; the comparison counts case.
    piece = argumentPiece(folder == TargetFolder_ ? title : path);
    return true;
}

bool Form1::pickFolderPath(std::string& path) {
    path = s_.folderPicker.browseForFolder(kFolderPrompt, kFolderOptions);
    if (systemStyle() == SystemStyle::Linux) {
        path = path.empty() ? path : argumentPiece(path);
        return !path.empty();
    }
    // Virtual folders (My Computer) have no file-system path; drive and network paths always
    // hold a backslash.
    if (path.rfind("::", 0) == 0 || path.find('\\') == std::string::npos) path.clear();
    return !path.empty();
}

// The caret goes to the end of the new text, so typing on continues after the inserted path.
void Form1::setArgumentText(const std::string& text) {
    c_.cmbArg.setText(text);
    c_.cmbArg.setSelStart(static_cast<int>(utf8::length(text)));
}

void Form1::browse_addfiles_Click() {
    std::string piece;
    if (pickFilePiece(piece)) setArgumentText(c_.cmbArg.text() + piece);
}

void Form1::browse_clear_addfiles_Click() {
    std::string piece;
    if (pickFilePiece(piece)) setArgumentText(piece);
}

void Form1::browse_addfolders_Click() {
    std::string path;
    if (pickFolderPath(path)) setArgumentText(c_.cmbArg.text() + path);
}

void Form1::browse_clear_addfolders_Click() {
    std::string path;
    if (pickFolderPath(path)) setArgumentText(path);
}

void Form1::OLEDragDrop(const std::vector<std::string>& files) {
    // Only the first dropped item counts; a drop that carries no file list changes nothing.
    if (files.empty() || files.front().empty()) return;
    setArgumentText(c_.cmbArg.text() + argumentPiece(files.front()));
    focusArgumentBox();
}

}  // namespace tarvo

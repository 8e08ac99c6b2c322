// The shell verb's registry entries and the association list Settings.ini.
#include "settings/associations.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "common/system_style.h"
#include "platform/controls.h"
#include "platform/host.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "settings/linux/extensions.h"
#include "storage/data_location.h"
#include "storage/ini_handler.h"
#include "storage/mru_layout.h"
#include "storage/profile_document.h"

namespace tarvo {
namespace {

constexpr char kTitle[] = "Tarvolin";

// The list is read and added to with the key's number after one blank; the profile engine
// drops blanks around key names, so the file holds the bare numbers either way.
std::string entryKey(int index) {
    return " " + std::to_string(index);
}

// Deletes the command key, then the verb key, in one root. The verb key can only go once its
// command key is gone (a key with subkeys is not deleted).
void deleteVerb(Registry& registry, RegistryRoot root, const std::string& fileType,
                bool verbEvenWhenCommandFailed) {
    const bool commandDeleted = registry.deleteKey(root, commandKey(fileType));
    if (commandDeleted || verbEvenWhenCommandFailed) registry.deleteKey(root, verbKey(fileType));
}

// Through HKEY_CLASSES_ROOT first, then from the user's branch where the keys still stand:
// the verb may have been written there when the machine-wide type refused it. A copy installed
// for one user removes its verbs from the user's branch; through HKEY_CLASSES_ROOT it removes
// only a verb that runs this very copy (as an earlier version wrote it), so that none is left
// behind pointing at a program that is gone, and nobody else's is touched.
void unregisterVerb(Registry& registry, const std::string& fileType,
                    bool verbEvenWhenCommandFailed, VerbScope scope,
                    const std::string& programFolder) {
    if (scope == VerbScope::UserOnly) {
        deleteVerb(registry, RegistryRoot::UserClasses, fileType, verbEvenWhenCommandFailed);
        const auto machineWide = registry.readDefault(RegistryRoot::ClassesRoot, commandKey(fileType));
        if (machineWide && ProfileDocument::foldCase(*machineWide) ==
                               ProfileDocument::foldCase(verbCommand(programFolder)))
            deleteVerb(registry, RegistryRoot::ClassesRoot, fileType, false);
        return;
    }
    deleteVerb(registry, RegistryRoot::ClassesRoot, fileType, verbEvenWhenCommandFailed);
    deleteVerb(registry, RegistryRoot::UserClasses, fileType, verbEvenWhenCommandFailed);
}

// A folder as two spellings of it compare: "/" read as "\\", no doubled backslash after the
// start (a "\\\\server" stays), no closing backslash, letter case folded as the system
// ignores it.
std::string comparableFolder(std::string_view folder) {
    std::string out;
    for (const char c : folder) {
        const char ch = c == '/' ? '\\' : c;
        if (ch == '\\' && out.size() >= 2 && out.back() == '\\') continue;
        out += ch;
    }
    while (!out.empty() && out.back() == '\\') out.pop_back();
    return ProfileDocument::foldCase(out);
}

// Entries " 0", " 1", ... of a profile file (a snapshot or an edit) up to the first index
// that yields the sentinel.
template <class Profile>
std::vector<std::string> entriesOf(const Profile& file) {
    std::vector<std::string> entries;
    for (int i = 0;; ++i) {
        std::string value =
            file.ReadProfileString(kAssociationSection, entryKey(i), kNoAssociation);
        if (value == kNoAssociation) break;
        entries.push_back(std::move(value));
    }
    return entries;
}

}  // namespace

VerbScope verbScopeOf(Registry& registry, const std::string& programFolder) {
    const auto installed = registry.readUserValue(kUserUninstallKey, kInstallLocationValue);
    if (installed && !installed->empty() && !programFolder.empty() &&
        comparableFolder(*installed) == comparableFolder(programFolder))
        return VerbScope::UserOnly;
    return VerbScope::ClassesRoot;
}

std::string verbCommand(const std::string& programFolder) {
    return "\"" + programFolder + "\\Tarvo.exe\" %1";
}

std::string verbKey(const std::string& fileType) {
    return fileType + "\\shell\\Tarvolin";
}

std::string commandKey(const std::string& fileType) {
    return verbKey(fileType) + "\\command";
}

// Only a plain extension and a type that names one key keep the verb's writes and deletions
// inside "<type>\shell\Tarvolin": an extension such as "txt\PersistentHandler" would read
// another key's value, and an empty type, or one with an empty level ("a\\b", "\a"),
// would put the keys somewhere no file type reads them. Either counts as no type.
std::optional<std::string> fileTypeOf(Registry& registry, const std::string& ext) {
    if (ext.find('\\') != std::string::npos || !isRelativeKeyName("." + ext)) return std::nullopt;
    auto type = registry.readDefault(RegistryRoot::ClassesRoot, "." + ext);
    if (!type || !isRelativeKeyName(*type)) return std::nullopt;
    return type;
}

std::vector<std::string> readAssociationList(const std::string& settingsFile) {
    return entriesOf(ProfileSnapshot(settingsFile));
}

std::string associationFileText(const std::vector<std::string>& entries) {
    std::string text = "[";
    text += kAssociationSection;
    text += "]\r\n";
    for (std::size_t i = 0; i < entries.size(); ++i)
        text += std::to_string(i) + "=" + entries[i] + "\r\n";
    return text;
}

AssociationList::AssociationList(ListBox& items, Registry& registry, Host& host,
                                 const Window* owner, std::string programFolder,
                                 std::string settingsFile)
    : items_(items),
      registry_(registry),
      host_(host),
      owner_(owner),
      programFolder_(std::move(programFolder)),
      settingsFile_(std::move(settingsFile)) {}

void AssociationList::load() {
    for (const auto& entry : readAssociationList(settingsFile_)) items_.addItem(entry);
}

VerbScope AssociationList::scope() {
    if (!scope_) scope_ = verbScopeOf(registry_, programFolder_);
    return *scope_;
}

// A normal user may not write under a file type that exists only machine-wide; the user's own
// classes branch takes the same keys, and the shell merges it into the classes root. A copy
// installed for one user writes there alone.
std::optional<AssociationList::WrittenVerb> AssociationList::writeVerb(
    const std::string& fileType) {
    const std::string key = commandKey(fileType);
    const std::string command = verbCommand(programFolder_);
    const bool userOnly = scope() == VerbScope::UserOnly;
    for (const RegistryRoot root : {RegistryRoot::ClassesRoot, RegistryRoot::UserClasses}) {
        if (userOnly && root == RegistryRoot::ClassesRoot) continue;
        auto before = registry_.readDefault(root, key);
        if (registry_.writeDefault(root, key, command)) return WrittenVerb{root, std::move(before)};
    }
    return std::nullopt;
}

// A command value that stood before goes back; a verb this call created goes, so that no verb
// stays that no list names.
void AssociationList::takeBack(const std::string& fileType, const WrittenVerb& written) {
    if (written.before)
        registry_.writeDefault(written.root, commandKey(fileType), *written.before);
    else
        deleteVerb(registry_, written.root, fileType, false);
}

bool AssociationList::add(const std::string& typed) {
    // Typed with its dot (".ini"), the extension is still what is meant.
    const std::string ext = !typed.empty() && typed.front() == '.' ? typed.substr(1) : typed;
    enum class Outcome { Added, Listed, NotHandled, NotSaved } outcome;
    std::string listed;
    std::vector<std::string> entries;
    {
        // The index and the duplicate check come from the file as it is under its lock, which
        // is held until the entry is in place; the messages wait until it is released.
        ProfileEdit file(settingsFile_);
        entries = entriesOf(file);
        const std::string folded = ProfileDocument::foldCase(ext);
        const auto same = std::find_if(entries.begin(), entries.end(), [&](const auto& entry) {
            return ProfileDocument::foldCase(entry) == folded;
        });
        std::optional<WrittenVerb> written;
        if (same != entries.end()) {
            listed = *same;
            outcome = Outcome::Listed;
        } else if (const auto fileType = ext.empty() ? std::nullopt : fileTypeOf(registry_, ext);
                   !fileType || !(written = writeVerb(*fileType))) {
            outcome = Outcome::NotHandled;
        } else {
            // The profile engine turns line breaks into blanks; the list shows the entry as
            // the file holds it.
            std::string entry = ext;
            file.WriteProfileString(kAssociationSection, entryKey(static_cast<int>(entries.size())),
                                    entry);
            if (file.commit()) {
                entries.push_back(entry);
                outcome = Outcome::Added;
            } else {
                takeBack(*fileType, *written);
                outcome = Outcome::NotSaved;
            }
        }
    }
    show(entries);
    switch (outcome) {
        case Outcome::Added:
            return true;
        case Outcome::Listed:
            host_.messageBox(owner_, listed + kAlreadyListedMessage, kTitle, MsgButtons::Ok,
                             MsgIcon::Exclamation);
            return false;
        case Outcome::NotHandled:
            // On Linux every extension the menus can name is taken; the cause of a refusal
            // is the text itself.
            host_.messageBox(owner_,
                             systemStyle() == SystemStyle::Linux
                                 ? menus::unusableExtensionMessage(ext)
                                 : std::string(kAddFailedMessage),
                             kTitle, MsgButtons::Ok, MsgIcon::Critical);
            return false;
        case Outcome::NotSaved:
            break;
    }
    return listNotSaved();
}

bool AssociationList::listNotSaved() {
    host_.messageBox(owner_, kListNotSavedMessage + settingsFile_, kTitle, MsgButtons::Ok,
                     MsgIcon::Exclamation);
    return false;
}

bool AssociationList::remove(int k) {
    if (k < 0 || k >= items_.listCount()) return false;
    const std::string ext = items_.list(k);
    std::vector<std::string> entries;
    bool saved = true;
    {
        ProfileEdit file(settingsFile_);
        entries = entriesOf(file);
        if (const auto fileType = fileTypeOf(registry_, ext))
            unregisterVerb(registry_, *fileType, false, scope(), programFolder_);
        // The entry as the file holds it now: at k while another window has not moved it,
        // else where it is; when another window removed it already, the file stays.
        const auto index = static_cast<std::size_t>(k);
        const auto at = index < entries.size() && entries[index] == ext
                            ? entries.begin() + k
                            : std::find(entries.begin(), entries.end(), ext);
        if (at != entries.end()) {
            std::vector<std::string> rest = entries;
            rest.erase(rest.begin() + (at - entries.begin()));
            saved = file.replaceWith(associationFileText(rest));
            if (saved) entries = std::move(rest);
        }
    }
    show(entries);
    if (!saved) return listNotSaved();
    items_.setListIndex(-1);
    return true;
}

void AssociationList::show(const std::vector<std::string>& entries) {
    const int count = items_.listCount();
    bool same = count == static_cast<int>(entries.size());
    for (int i = 0; same && i < count; ++i) same = items_.list(i) == entries[i];
    if (same) return;

    const int selected = items_.listIndex();
    const std::string selectedText = selected >= 0 ? items_.list(selected) : std::string();
    while (items_.listCount() > 0) items_.removeItem(items_.listCount() - 1);
    for (const auto& entry : entries) items_.addItem(entry);
    if (selected < 0) return;
    int index = -1;
    if (selected < static_cast<int>(entries.size()) && entries[selected] == selectedText) {
        index = selected;
    } else {
        const auto it = std::find(entries.begin(), entries.end(), selectedText);
        if (it != entries.end()) index = static_cast<int>(it - entries.begin());
    }
    items_.setListIndex(index);
}

// Both lists count: the uninstaller runs "/cleareg" with rights to the program folder, while
// the user's own runs may have kept their list in the user's folder.
void RemoveAllAssociations(Registry& registry, const std::string& programFolder) {
    std::optional<VerbScope> scope;  // read once there is a verb to remove
    std::vector<std::string> done;
    for (const auto& file : dataFilePlaces(programFolder, mru::kSettingsFileName)) {
        for (const auto& ext : readAssociationList(file)) {
            if (std::find(done.begin(), done.end(), ext) != done.end()) continue;
            done.push_back(ext);
            if (const auto fileType = fileTypeOf(registry, ext)) {
                if (!scope) scope = verbScopeOf(registry, programFolder);
                unregisterVerb(registry, *fileType, true, *scope, programFolder);
            }
        }
    }
}

void uninstallHandOff(Shell& shell, Host& host, const Window* owner) {
    ShellRequest request;
    request.owner = owner;
    request.file = host.programFolder() + "\\" + kUninstallerFile;
    request.parameters = "/silent";
    shell.execute(request);
    host.endProgram();
}

}  // namespace tarvo

// The shell verb's registry entries and the association list Settings.ini.
#include "settings/associations.h"

#include <algorithm>
#include <utility>

#include "common/system_style.h"
#include "platform/controls.h"
#include "platform/filesystem.h"
#include "platform/host.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "settings/linux_associations.h"
#include "storage/data_location.h"
#include "storage/ini_handler.h"
#include "storage/mru_layout.h"

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
// the verb may have been written there when the machine-wide type refused it.
void unregisterVerb(Registry& registry, const std::string& fileType,
                    bool verbEvenWhenCommandFailed) {
    deleteVerb(registry, RegistryRoot::ClassesRoot, fileType, verbEvenWhenCommandFailed);
    deleteVerb(registry, RegistryRoot::UserClasses, fileType, verbEvenWhenCommandFailed);
}

}  // namespace

std::string verbCommand(const std::string& programFolder) {
    return "\"" + programFolder + "\\Tarvo.exe\" %1";
}

std::string verbKey(const std::string& fileType) {
    return fileType + "\\shell\\Tarvolin";
}

std::string commandKey(const std::string& fileType) {
    return verbKey(fileType) + "\\command";
}

// An empty type name would put the verb under a "shell" key at the top of the classes root,
// where no file type reads it; it counts as no type.
std::optional<std::string> fileTypeOf(Registry& registry, const std::string& ext) {
    auto type = registry.readDefault(RegistryRoot::ClassesRoot, "." + ext);
    if (!type || type->empty()) return std::nullopt;
    return type;
}

std::vector<std::string> readAssociationList(const std::string& settingsFile) {
    const ProfileSnapshot file(settingsFile);
    std::vector<std::string> entries;
    for (int i = 0;; ++i) {
        std::string value =
            file.ReadProfileString(kAssociationSection, entryKey(i), kNoAssociation);
        if (value == kNoAssociation) break;
        entries.push_back(std::move(value));
    }
    return entries;
}

std::string associationFileText(const std::vector<std::string>& entries) {
    std::string text = "[";
    text += kAssociationSection;
    text += "]\r\n";
    for (std::size_t i = 0; i < entries.size(); ++i)
        text += std::to_string(i) + "=" + entries[i] + "\r\n";
    return text;
}

// Under the same lock as the profile engine's edits, so a removal never interleaves with
// another copy's addition half-way.
bool writeAssociationList(const std::string& settingsFile,
                          const std::vector<std::string>& entries) {
    const fs::FileLock lock(settingsFile);
    return fs::replaceFile(settingsFile, associationFileText(entries)) == fs::Result::Ok;
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

bool AssociationList::add(const std::string& ext) {
    const auto fail = [&] {
        // On Linux every extension the menus can name is taken; the cause of a refusal is
        // the text itself.
        host_.messageBox(owner_,
                         systemStyle() == SystemStyle::Linux ? menus::kUnusableExtensionMessage
                                                             : kAddFailedMessage,
                         kTitle, MsgButtons::Ok, MsgIcon::Critical);
        return false;
    };
    const auto fileType = fileTypeOf(registry_, ext);
    if (!fileType) return fail();
    // A normal user may not write under a file type that exists only machine-wide; the user's
    // own classes branch takes the same keys, and the shell merges it into the classes root.
    const std::string key = commandKey(*fileType);
    const std::string command = verbCommand(programFolder_);
    if (!registry_.writeDefault(RegistryRoot::ClassesRoot, key, command) &&
        !registry_.writeDefault(RegistryRoot::UserClasses, key, command))
        return fail();

    // The file is written before the list box takes the entry, so a refused write leaves
    // both as they were. The profile engine turns line breaks into blanks; the list box shows
    // the entry as the file holds it.
    std::string entry = ext;
    ProfileEdit file(settingsFile_);
    file.WriteProfileString(kAssociationSection, entryKey(items_.listCount()), entry);
    if (!file.commit()) return listNotSaved();
    items_.addItem(entry);
    return true;
}

bool AssociationList::listNotSaved() {
    host_.messageBox(owner_, kListNotSavedMessage + settingsFile_, kTitle, MsgButtons::Ok,
                     MsgIcon::Exclamation);
    return false;
}

bool AssociationList::remove(int k) {
    if (k < 0 || k >= items_.listCount()) return false;
    if (const auto fileType = fileTypeOf(registry_, items_.list(k)))
        unregisterVerb(registry_, *fileType, false);

    std::vector<std::string> rest;
    for (int i = 0; i < items_.listCount(); ++i)
        if (i != k) rest.push_back(items_.list(i));
    if (!writeAssociationList(settingsFile_, rest)) return listNotSaved();
    items_.removeItem(k);
    return true;
}

// Both lists count: the uninstaller runs "/cleareg" with rights to the program folder, while
// the user's own runs may have kept their list in the user's folder.
void RemoveAllAssociations(Registry& registry, const std::string& programFolder) {
    std::vector<std::string> done;
    for (const auto& file : dataFilePlaces(programFolder, mru::kSettingsFileName)) {
        for (const auto& ext : readAssociationList(file)) {
            if (std::find(done.begin(), done.end(), ext) != done.end()) continue;
            done.push_back(ext);
            if (const auto fileType = fileTypeOf(registry, ext))
                unregisterVerb(registry, *fileType, true);
        }
    }
}

void uninstallHandOff(Shell& shell, Host& host, const Window* owner) {
    ShellRequest request;
    request.owner = owner;
    request.file = host.programFolder() + "\\unins000.exe";
    request.parameters = "/silent";
    shell.execute(request);
    host.endProgram();
}

}  // namespace tarvo

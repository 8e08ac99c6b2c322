// The shell verb's registry entries and the association list Settings.ini: reading the list,
// adding and removing one extension, removing every recorded verb, the uninstaller hand-off.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace tarvo {

class Host;
class ListBox;
class Shell;
class Window;

inline constexpr char kAssociationSection[] = "ASSOCIATION";
// The default an entry is read with; reading it back means there is no entry of that index.
inline constexpr char kNoAssociation[] = "EMPTY!";
inline constexpr char kAddFailedMessage[] = "Windows is not set to handle this file extension";
// Shown, after the listed entry's text, when the extension typed for Add is listed already
// (letter case ignored, as the registry ignores it): nothing is written then.
inline constexpr char kAlreadyListedMessage[] = " is already in the list.";
// Shown when the list file refuses a write (a read-only Settings.ini, a full disk), followed
// by the file's path; the list stays as the file holds it.
inline constexpr char kListNotSavedMessage[] =
    "The list of extensions could not be saved; it is unchanged.\n\n";

// The installer's entry in the user's list of installed programs (relative to
// HKEY_CURRENT_USER), and its value naming the folder it installed into.
inline constexpr char kUserUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvolin";
inline constexpr char kInstallLocationValue[] = "InstallLocation";

// Where a copy of the program registers and removes its verbs.
enum class VerbScope {
    // Through HKEY_CLASSES_ROOT, in the user's branch where that write is refused: a copy
    // installed for all users, or a portable copy.
    ClassesRoot,
    // In HKEY_CURRENT_USER\Software\Classes only: a copy installed for one user, whose verbs
    // must never reach the machine's other users, who may not even reach the program.
    UserOnly
};

// UserOnly when the user's list of installed programs names programFolder as Tarvolin's
// folder (letter case, "/" for "\", doubled and closing backslashes aside); else ClassesRoot.
VerbScope verbScopeOf(Registry& registry, const std::string& programFolder);

// The command the verb runs: Tarvo.exe in programFolder, quoted, and the shell's placeholder
// for the chosen file, unquoted, so the whole path arrives as the command line.
std::string verbCommand(const std::string& programFolder);
// The verb key and its command key on file type fileType.
std::string verbKey(const std::string& fileType);
std::string commandKey(const std::string& fileType);

// The file type that names extension ext (typed without its dot), looked up through
// HKEY_CLASSES_ROOT; nullopt when the system has none.
std::optional<std::string> fileTypeOf(Registry& registry, const std::string& ext);

// Entries " 0", " 1", ... of the list file up to the first missing index.
std::vector<std::string> readAssociationList(const std::string& settingsFile);
// The list file's whole-file form: the section line and "index=entry" per entry, CRLF ends.
std::string associationFileText(const std::vector<std::string>& entries);

// The settings window's list box and Settings.ini, kept equal entry by entry. Several windows
// (running copies) may have the file open: each change is made under the file's lock to the
// file as it is at that moment, and the list box then shows the file again, so no window's
// change undoes another's.
class AssociationList {
public:
    // programFolder: where the running Tarvo.exe is (the verb's command); settingsFile: the
    // list file; owner: the window that owns the failure message.
    AssociationList(ListBox& items, Registry& registry, Host& host, const Window* owner,
                    std::string programFolder, std::string settingsFile);

    // Fills the list box from the file.
    void load();
    // Registers the verb for the file type of the typed extension (one leading dot taken off)
    // and appends the extension to the file under the next free index. An extension listed
    // already (letter case ignored) is refused with its own message, and nothing is written.
    // When the system has no file type for it or refuses the registry write, shows the
    // failure message; when the file refuses the write, takes back the verb this call wrote
    // and says so. The list box then shows the file. True when added.
    bool add(const std::string& typed);
    // Deletes the verb of entry k's file type where possible (silently) where this copy's
    // scope writes verbs, then takes that
    // entry out of the file as it is now and rewrites it from the remaining entries; the list
    // box then shows the file, with nothing selected. When the file cannot be rewritten the
    // entry stays listed, as it stays in the file, and a message says so. True when removed.
    bool remove(int k);

private:
    // What add wrote to the registry, so that it can be taken back.
    struct WrittenVerb {
        RegistryRoot root;
        std::optional<std::string> before;  // the command value this write replaced
    };
    std::optional<WrittenVerb> writeVerb(const std::string& fileType);
    // Decided at the first add or remove, not when the window opens.
    VerbScope scope();
    void takeBack(const std::string& fileType, const WrittenVerb& written);
    // Makes the list box show entries, its selection staying with its entry.
    void show(const std::vector<std::string>& entries);
    // Tells the user that the list file refused a write; false.
    bool listNotSaved();

    ListBox& items_;
    Registry& registry_;
    Host& host_;
    const Window* owner_;
    std::string programFolder_;
    std::string settingsFile_;
    std::optional<VerbScope> scope_;
};

// "/cleareg": takes the verb off the file type of every extension recorded in the list file
// in programFolder's data folder, where this copy's scope writes verbs. Silent; the list file
// is not changed.
void RemoveAllAssociations(Registry& registry, const std::string& programFolder);

// The uninstaller an installation puts beside the program; a portable copy has none.
inline constexpr char kUninstallerFile[] = "unins000.exe";

// Starts the uninstaller beside the program with "/silent" and ends the program at once,
// whether the start succeeded or not.
void uninstallHandOff(Shell& shell, Host& host, const Window* owner);

}  // namespace tarvo

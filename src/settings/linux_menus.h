// The file managers' menus on a Linux desktop, the counterpart there of the shell verb: a
// Dolphin service menu, a Nemo action and a Thunar custom action per listed extension, and a
// desktop entry that offers the program under "Open With" for the listed extensions' types.
// All of them are made from the association list alone, so one function brings them in line
// with it, and removing them leaves nothing of the program's behind.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo::menus {

// The first line of every file the program writes for a menu; it marks the file as the
// program's own, so nothing without it is ever replaced or deleted.
inline constexpr char kMadeByLine[] =
    "# Made by Tarvolin from its list of extensions; Tarvolin rewrites and removes this file.";
// Thunar's actions of the program carry unique ids that begin with this.
inline constexpr char kThunarIdPrefix[] = "tarvolin-";
// The desktop entry's name, which the package also installs under /usr/share/applications.
inline constexpr char kDesktopEntryName[] = "tarvolin.desktop";
// The switch the Dolphin menu starts the program with: Dolphin offers a menu for every type
// derived from the listed ones too, so the program looks at the file's extension again.
inline constexpr char kIfListedSwitch[] = "--if-listed";

// The types the shared MIME database gives a file name extension, gathered from the
// database's globs2 files.
class MimeGlobs {
public:
    // Adds one globs2 file ("weight:type:pattern[:flags]" lines). Files are added from the
    // most important folder to the least, as the database's rules want: a type that a more
    // important file marks "__NOGLOBS__" keeps no patterns from the less important ones.
    void addFile(std::string_view text);
    // Every type whose pattern is exactly "*." + ext, heaviest first. Patterns marked "cs"
    // match in the same letter case only and, where one matches, the others are not asked,
    // as the database decides a file's type; the rest match in any case.
    std::vector<std::string> typesOf(std::string_view ext) const;

private:
    struct Glob {
        int weight;
        std::string type;
        std::string pattern;  // without the "*." in front
        bool caseSensitive;
    };
    std::vector<Glob> globs_;
    std::vector<std::string> blocked_;  // types a more important file took over
};

// The longest fileStem that still names files: "tarvolin-" + stem + ".nemo_action", and the
// temporary name each is written through (a suffix of up to 25 characters), must fit the 255
// bytes of a file name.
inline constexpr std::size_t kLongestStem = 255 - 9 - 12 - 25;

// Whether ext can name files in every menu: not empty, no dot in front (it is typed without
// one), no blank at either end, no control character, none of / \ ; * ? [ ] (separators and
// pattern characters of the menus' formats), valid UTF-8, and a fileStem of at most
// kLongestStem characters.
bool usableExtension(std::string_view ext);

// The part of the menu files' names and of the Thunar id that stands for ext: ASCII letters
// in lower case, digits, '.', '+' and '-' as they are, every other byte as "_" and two hex
// digits, so two extensions that differ other than in letter case never share a file.
std::string fileStem(std::string_view ext);

// The texts of the files, for the program started as program (a name the desktop finds on
// its search path, or an absolute path).
std::string dolphinServiceMenu(const std::string& program, std::string_view ext,
                               const std::vector<std::string>& mimeTypes);
std::string nemoAction(const std::string& program, std::string_view ext);
// One <action> element for Thunar's uca.xml, with the line end after it.
std::string thunarAction(const std::string& program, std::string_view ext);
// The program's desktop entry; mimeTypes empty gives the entry the package installs (without
// the first line that marks the generated one).
std::string desktopEntry(const std::string& program, const std::vector<std::string>& mimeTypes);

// Thunar's uca.xml with every action of the program taken out and ours put in before the
// closing tag, in their order. Everything else stays byte for byte. nullopt when the text
// is not an actions file this function can read; it must then be left alone.
std::optional<std::string> mergeThunarActions(std::string_view uca,
                                              const std::vector<std::string>& ourActions);
// The actions file Thunar starts from when there is none at all.
std::string emptyThunarFile();

// Whether path names a file whose extension is one of entries (letter case ignored, as the
// menus match): the check of a start from Dolphin's menu.
bool extensionListed(std::string_view path, const std::vector<std::string>& entries);

// The folders the menus live in, each without a trailing slash.
struct MenuFolders {
    std::string dolphin;                    // $XDG_DATA_HOME/kio/servicemenus
    std::string nemo;                       // $XDG_DATA_HOME/nemo/actions
    std::string applications;               // $XDG_DATA_HOME/applications
    std::string thunar;                     // $XDG_CONFIG_HOME/Thunar
    std::vector<std::string> systemThunar;  // $XDG_CONFIG_DIRS/Thunar, most important first
    std::vector<std::string> mimeGlobs;     // every globs2 file, most important first
};
// From the XDG base-directory variables and their defaults; empty folders when there is no
// home folder to put them in.
MenuFolders menuFolders();

// What one regeneration did.
struct MenuUpdate {
    bool ok = true;                        // every file was written or removed as planned
    std::vector<std::string> withoutType;  // usable extensions no MIME type knows
    std::vector<std::string> unusable;     // entries that cannot name files (skipped)
    std::vector<std::string> failedPaths;  // files that could not be written or removed
};

// Brings every menu in line with entries (the association list): writes the files of the
// usable extensions, deletes the program's files and Thunar actions of the others, and keeps
// every file and action that is not the program's. Writes only what changes, each file in
// one atomic step; the user's uca.xml is kept as uca.xml.bak before it changes.
MenuUpdate regenerateMenus(const std::vector<std::string>& entries, const MenuFolders& folders,
                           const std::string& program);
// Removes every menu of the program (regenerateMenus with an empty list).
MenuUpdate removeAllMenus(const MenuFolders& folders);

// The list in the settings file, regenerated: the one call for every change of the list.
MenuUpdate regenerateMenusFromSettings(const std::string& settingsFile, const std::string& program);

}  // namespace tarvo::menus

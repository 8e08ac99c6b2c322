// What every format of desktop entry works with: the plan made from the list, the record of
// what a regeneration did, and the careful writing and removal of the program's own files.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/filesystem.h"
#include "settings/linux/folders.h"

namespace tarvo::menus {

// What one regeneration did.
struct MenuUpdate {
    bool ok = true;                        // every file was written or removed as planned
    std::vector<std::string> withoutType;  // usable extensions no MIME type knows
    std::vector<std::string> unusable;     // entries that cannot name files (skipped)
    std::vector<std::string> failedPaths;  // files that could not be written or removed
    // For each listed extension, the file managers whose entry for it is in place after this
    // (written now or already as it should be), in the order the formats ran.
    std::map<std::string, std::vector<std::string>> offeredBy;
};

// One listed extension as every menu sees it.
struct ListedExtension {
    std::string ext;                 // as listed
    std::string stem;                // fileStem(ext): its part of file names and ids
    std::vector<std::string> types;  // its MIME types, heaviest first; empty when none knows it
};

// What the menus are made from: the usable extensions of the list, one for each stem, in the
// list's order, and the program the entries start.
struct MenuPlan {
    const MenuFolders& folders;
    std::string program;
    std::vector<ListedExtension> extensions;
};

// A format of desktop entry: brings its files in line with the plan and records failures.
using MenuFormat = void (*)(const MenuPlan& plan, MenuUpdate& update);

// Whether a file's bytes mark it as the program's own.
using OwnMark = bool (*)(std::string_view bytes);
// The mark of most formats: the file starts with kMadeByLine.
bool startsWithMadeByLine(std::string_view bytes);

// The file's bytes; found says whether it could be read.
std::string readText(const std::string& path, bool& found);
// Whether path is a file that starts with kMadeByLine.
bool madeByUs(const std::string& path);
// Writes text to folder/name when it differs, for a file of ours; a file there that is not
// ours is left as it is and counts as a failure. True when the file stands as text after.
bool putFile(MenuUpdate& update, const std::string& folder, const std::string& name,
             const std::string& text, fs::FileMode mode, OwnMark ours = startsWithMadeByLine);
// Removes path when it is a file of ours; anything else there stays.
void dropIfOurs(MenuUpdate& update, const std::string& path, OwnMark ours = startsWithMadeByLine);
// Removes path; a file that is already gone is no failure.
void dropFile(MenuUpdate& update, const std::string& path);
// Deletes the program's files in folder (named prefix...suffix, marked as ours) that are not
// among wanted.
void dropOthers(MenuUpdate& update, const std::string& folder, std::string_view prefix,
                std::string_view suffix, const std::set<std::string>& wanted);

}  // namespace tarvo::menus

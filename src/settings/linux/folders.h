// The folders the desktop entries live in, from the XDG base-directory variables.
#pragma once

#include <string>
#include <vector>

namespace tarvo::menus {

// The folders the menus live in, each without a trailing slash.
struct MenuFolders {
    std::string dolphin;       // $XDG_DATA_HOME/kio/servicemenus
    std::string nemo;          // $XDG_DATA_HOME/nemo/actions
    std::string applications;  // $XDG_DATA_HOME/applications
    std::string thunar;        // $XDG_CONFIG_HOME/Thunar
    std::string thunarMade;    // $XDG_STATE_HOME/tarvolin/thunar-made: what a uca.xml the program
                               // made was made from (empty path: it is never taken for ours)
    std::vector<std::string> systemThunar;  // $XDG_CONFIG_DIRS/Thunar, most important first
    std::vector<std::string> mimeGlobs;     // every globs2 file, most important first
    // GNOME Files: its Python extensions and its Scripts submenu; the first is used where the
    // extensions' loader (python3-nautilus) is installed, else the second.
    std::string nautilusExtensions;         // $XDG_DATA_HOME/nautilus-python/extensions
    std::string nautilusScripts;            // $XDG_DATA_HOME/nautilus/scripts
    bool nautilusPython = false;            // the loader of GNOME Files' Python extensions
    std::string fileManagerActions;         // $XDG_DATA_HOME/file-manager/actions (Caja, PCManFM-Qt)
    std::string icons;                      // $XDG_DATA_HOME/icons/hicolor
    std::vector<std::string> systemIcons;   // $XDG_DATA_DIRS/icons/hicolor, most important first
    // The associations of types with programs (empty mimeApps: none are made).
    std::string mimeApps;     // $XDG_CONFIG_HOME/mimeapps.list
    std::string addedRecord;  // what the program added there (its state)
    // Present while the entries are off ("--unregister-all"); empty: no such state is kept.
    std::string entriesOff;                    // $XDG_STATE_HOME/tarvolin/entries-off
    std::vector<std::string> configDirs;       // $XDG_CONFIG_HOME, $XDG_CONFIG_DIRS
    std::vector<std::string> applicationDirs;  // $XDG_DATA_HOME and $XDG_DATA_DIRS/applications
    std::vector<std::string> desktops;         // $XDG_CURRENT_DESKTOP's names in lower case
};
// From the XDG base-directory variables and their defaults; empty folders when there is no
// home folder to put them in.
MenuFolders menuFolders();

}  // namespace tarvo::menus

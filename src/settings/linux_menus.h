// The file managers' menus on a Linux desktop, the counterpart there of the shell verb. Each
// format of desktop entry lives in its own unit in settings/linux/; all of them are made from
// the association list alone, so the one function here brings them in line with it, and
// removing them leaves nothing of the program's behind.
#pragma once

#include <string>
#include <vector>

#include "settings/linux/dolphin.h"
#include "settings/linux/entry_text.h"
#include "settings/linux/extensions.h"
#include "settings/linux/file_manager_actions.h"
#include "settings/linux/folders.h"
#include "settings/linux/icon.h"
#include "settings/linux/menu_files.h"
#include "settings/linux/mime_apps.h"
#include "settings/linux/mime_globs.h"
#include "settings/linux/nautilus.h"
#include "settings/linux/nemo.h"
#include "settings/linux/open_with.h"
#include "settings/linux/thunar.h"

namespace tarvo::menus {

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

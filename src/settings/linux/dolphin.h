// Dolphin's service menus: one file per listed extension that a MIME type knows, in
// $XDG_DATA_HOME/kio/servicemenus.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/linux/menu_files.h"

namespace tarvo::menus {

// The service menu for ext, whose types are mimeTypes, starting program.
std::string dolphinServiceMenu(const std::string& program, std::string_view ext,
                               const std::vector<std::string>& mimeTypes);
// Writes the menus of the plan and deletes the program's others.
void updateDolphinMenus(const MenuPlan& plan, MenuUpdate& update);

}  // namespace tarvo::menus

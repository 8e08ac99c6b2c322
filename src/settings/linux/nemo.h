// Nemo's actions: one file per listed extension in $XDG_DATA_HOME/nemo/actions.
#pragma once

#include <string>
#include <string_view>

#include "settings/linux/menu_files.h"

namespace tarvo::menus {

// The action for ext, starting program.
std::string nemoAction(const std::string& program, std::string_view ext);
// Writes the actions of the plan and deletes the program's others.
void updateNemoActions(const MenuPlan& plan, MenuUpdate& update);

}  // namespace tarvo::menus

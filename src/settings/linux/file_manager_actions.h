// FileManager-Actions files, which Caja (with caja-actions) and PCManFM-Qt (libfm-qt) read from
// $XDG_DATA_HOME/file-manager/actions: one per listed extension, offered for files of that
// extension only, one file at a time.
#pragma once

#include <string>
#include <string_view>

#include "settings/linux/menu_files.h"

namespace tarvo::menus {

// The action for ext, starting program.
std::string fileManagerAction(const std::string& program, std::string_view ext);
// Writes the actions of the plan and deletes the program's others.
void updateFileManagerActions(const MenuPlan& plan, MenuUpdate& update);

}  // namespace tarvo::menus

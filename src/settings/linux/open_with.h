// The program's desktop entry in $XDG_DATA_HOME/applications, which offers it under "Open
// With" for the listed extensions' types.
#pragma once

#include <string>
#include <vector>

#include "settings/linux/menu_files.h"

namespace tarvo::menus {

// The desktop entry's name, which the package also installs under /usr/share/applications.
inline constexpr char kDesktopEntryName[] = "tarvolin.desktop";

// The program's desktop entry; mimeTypes empty gives the entry the package installs (without
// the first line that marks the generated one).
std::string desktopEntry(const std::string& program, const std::vector<std::string>& mimeTypes);
// Writes the entry for every type of the plan, or deletes ours when there is none.
void updateOpenWithEntry(const MenuPlan& plan, MenuUpdate& update);

}  // namespace tarvo::menus

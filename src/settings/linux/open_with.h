// The program's desktop entry in $XDG_DATA_HOME/applications, which the "Open With"
// associations name (settings/linux/mime_apps.h). It lists no types itself: a desktop entry's
// MimeType makes it a candidate for the default program in every desktop's rules.
#pragma once

#include <string>
#include <vector>

#include "settings/linux/menu_files.h"

namespace tarvo::menus {

// The desktop entry's name, which the package also installs under /usr/share/applications.
inline constexpr char kDesktopEntryName[] = "tarvolin.desktop";

// The program's desktop entry: the one the package installs, or with generated the one made
// here (the same, after the first line that marks it as the program's).
std::string desktopEntry(const std::string& program, bool generated);
// Writes the entry while any listed extension has a type, or deletes ours when none has.
void updateOpenWithEntry(const MenuPlan& plan, MenuUpdate& update);

}  // namespace tarvo::menus

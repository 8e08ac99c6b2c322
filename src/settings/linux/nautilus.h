// GNOME Files (Nautilus 43 and later): a Python extension that puts "Tarvolin" in the context
// menu of files of the listed extensions, where the extensions' loader (python3-nautilus) is
// installed; elsewhere a script in its Scripts submenu, which it offers for every file, so the
// program asks before it opens a file whose extension is not listed (--if-listed).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/linux/menu_files.h"

namespace tarvo::menus {

// The extension's file name in $XDG_DATA_HOME/nautilus-python/extensions, and the script's in
// $XDG_DATA_HOME/nautilus/scripts (the name is the menu item's text).
inline constexpr char kNautilusExtensionName[] = "tarvolin.py";
inline constexpr char kNautilusScriptName[] = "Tarvolin";

// The Python extension for the listed extensions, starting program.
std::string nautilusExtension(const std::string& program, const std::vector<std::string>& exts);
// The script, starting program.
std::string nautilusScript(const std::string& program);
// Writes the one of the two that fits the system when the plan lists an extension, and
// deletes the program's other (or both when it lists none).
void updateNautilus(const MenuPlan& plan, MenuUpdate& update);

}  // namespace tarvo::menus

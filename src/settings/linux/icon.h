// The program's icon for the entries' "Icon=tarvolin": the package installs it into the system's
// hicolor theme; a program run from a build tree or copied alone installs the same pictures,
// compiled in, into $XDG_DATA_HOME/icons/hicolor along with its entries, and removes them with
// the entries or once the system has its own.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "settings/linux/menu_files.h"

namespace tarvo::menus {

// One size of the icon: a square PNG picture.
struct IconImage {
    int size;
    std::string_view png;
};
// The pictures the package installs, compiled into the program.
std::span<const IconImage> programIconImages();

// png with a text chunk after its header that marks the file as the program's own.
std::string markedPng(std::string_view png);
// Whether bytes are a PNG picture that markedPng marked.
bool markedAsOurs(std::string_view bytes);

// Whether a system data folder's hicolor theme has the program's icon (the package's).
bool systemHasIcon(const MenuFolders& folders);
// Installs the marked pictures while the plan lists an extension and the system has no icon of
// its own; removes those that are ours otherwise.
void updateProgramIcon(const MenuPlan& plan, MenuUpdate& update);

}  // namespace tarvo::menus

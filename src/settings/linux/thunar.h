// Thunar's custom actions: one <action> per listed extension in the user's shared actions
// file, $XDG_CONFIG_HOME/Thunar/uca.xml, among the user's own actions.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/linux/menu_files.h"

namespace tarvo::menus {

// An action of the program has the unique id kThunarIdPrefix + fileStem(ext) and the
// description extensionComment(ext) + kThunarMark; only an action with both is taken for the
// program's (Thunar keeps both when it rewrites the file, but drops elements it does not know).
inline constexpr char kThunarIdPrefix[] = "tarvolin-";
inline constexpr char kThunarMark[] = " (added by Tarvolin)";

// One <action> element for Thunar's uca.xml, with the line end after it.
std::string thunarAction(const std::string& program, std::string_view ext);

// Thunar's uca.xml with every action of the program taken out and ours (each with its own
// unique id) put in before the closing tag, in their order. Everything else stays byte for byte.
// nullopt when the text is not an actions file this function can read; it must then be left alone.
std::optional<std::string> mergeThunarActions(std::string_view uca,
                                              const std::vector<std::string>& ourActions);
// The actions file Thunar starts from when there is none at all.
std::string emptyThunarFile();

// Brings the program's actions in the user's file in line with the plan. The file is made
// from the system's when there is none, and goes again with the last of ours while it holds
// nothing else; a file that was there before is only ever rewritten (never deleted; a link
// keeps leading to the same file); one that cannot be read or understood is named as a
// failure.
void updateThunarActions(const MenuPlan& plan, MenuUpdate& update);

}  // namespace tarvo::menus

// The listed extensions as the menus see them: which can name files in every menu, the part of
// a file name that stands for one, and the check of a start from a menu.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvo::menus {

// Whether ext can name files in every menu: not empty, no dot in front (it is typed without
// one), no blank at either end, no control character, none of / \ ; * ? [ ] (separators and
// pattern characters of the menus' formats), and valid UTF-8.
bool usableExtension(std::string_view ext);

// The part of the menu files' names and of the Thunar id that stands for ext: ASCII letters
// in lower case, digits, '.', '+' and '-' as they are, every other byte as "_" and two hex
// digits, so two extensions that differ other than in letter case never share a file.
std::string fileStem(std::string_view ext);

// Whether path names a file whose extension is one of entries (letter case ignored, as the
// menus match): the check of a start from Dolphin's menu.
bool extensionListed(std::string_view path, const std::vector<std::string>& entries);

}  // namespace tarvo::menus

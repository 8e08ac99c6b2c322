// The listed extensions as the menus see them: which can name files in every menu, the part of
// a file name that stands for one, and the check of a start from a menu.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo::menus {

// The longest fileStem that still names files: "tarvolin-" + stem + ".nemo_action", and the
// temporary name each is written through (a suffix of up to 25 characters), must fit the 255
// bytes of a file name.
inline constexpr std::size_t kLongestStem = 255 - 9 - 12 - 25;

// Whether ext can name files in every menu: not empty, no dot in front (it is typed without
// one), no blank at either end, no control character, none of / \ ; * ? [ ] (separators and
// pattern characters of the menus' formats), valid UTF-8, and a fileStem of at most
// kLongestStem characters.
bool usableExtension(std::string_view ext);

// The part of the menu files' names and of the Thunar id that stands for ext: ASCII letters
// in lower case, digits, '.', '+' and '-' as they are, every other byte as "_" and two hex
// digits, so two extensions that differ other than in letter case never share a file.
std::string fileStem(std::string_view ext);

// Shown when an extension cannot name files in the menus (the counterpart of the Windows
// message about a file type the system does not know).
inline constexpr char kUnusableExtensionMessage[] =
    "This cannot be used as a file extension. Type it without its dot, for example txt, "
    "without blanks at either end and without / \\ ; * ? [ or ].";
// Shown instead when the extension is too long to name the menus' files.
inline constexpr char kTooLongExtensionMessage[] =
    "This extension is too long: the file managers' menus are files named after it. Use at "
    "most 209 characters a-z, A-Z, 0-9, \".\", \"+\" or \"-\"; any other character takes "
    "the room of three or more.";
// The message for an extension the menus refused (see usableExtension).
std::string unusableExtensionMessage(std::string_view ext);
// Whether path names a file whose extension is one of entries (letter case ignored, as the
// menus match): the check of a start from Dolphin's menu.
bool extensionListed(std::string_view path, const std::vector<std::string>& entries);

}  // namespace tarvo::menus

// Texts every desktop-entry format shares: the program's name and icon, the line that marks a
// file as the program's own, and the quoting of desktop entries, shell-like command lines and
// XML text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvo::menus {

// The first line of every file the program writes for a menu; it marks the file as the
// program's own, so nothing without it is ever replaced or deleted.
inline constexpr char kMadeByLine[] =
    "# Made by Tarvolin from its list of extensions; Tarvolin rewrites and removes this file.";
inline constexpr char kEntryName[] = "Tarvolin";
inline constexpr char kEntryIcon[] = "tarvolin";
inline constexpr char kEntryComment[] = "Run a file with arguments typed in a small dialog";
// The switch the Dolphin menu starts the program with: Dolphin offers a menu for every type
// derived from the listed ones too, so the program looks at the file's extension again.
inline constexpr char kIfListedSwitch[] = "--if-listed";

std::string asciiLower(std::string_view text);
std::string asciiUpper(std::string_view text);

// A program text that needs no quoting in any of the formats and can stand in their lists.
bool plainProgram(std::string_view program);
// A desktop entry's string value: backslashes doubled (the other escapes are for control
// characters, which no text here holds).
std::string entryValue(std::string_view text);
// The program as the first word of a desktop entry's Exec (quoted by the entry's own rules
// where it holds a reserved character; a literal % doubled).
std::string execProgram(const std::string& program);
// The program as the first word of a shell-like command line (Nemo parses its Exec as one,
// Thunar runs its command through /bin/sh): single quotes where needed, % doubled.
std::string shellProgram(const std::string& program);
// "Run .ext files with arguments": the comment of every per-extension entry.
std::string extensionComment(std::string_view ext);
// Types as a desktop entry's list: each followed by ';'.
std::string joinTypes(const std::vector<std::string>& types);

// XML character data: & < > escaped.
std::string xmlText(std::string_view text);
// XML character data read back: the five named entities and character references; text with
// a malformed character reference comes back as it is.
std::string xmlUnescape(std::string_view text);

}  // namespace tarvo::menus

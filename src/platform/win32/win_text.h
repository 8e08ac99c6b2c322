// UTF-8 <-> UTF-16 at the Win32 boundary: the program keeps UTF-8 text, the W functions take
// UTF-16, and controls count caret positions in UTF-16 units where the program counts
// characters (code points).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace tarvo::win {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// The window's text (WM_GETTEXT) as UTF-8.
std::string windowText(HWND hwnd);

// Number of code points in the first `units` UTF-16 units of text (a unit count that falls
// inside a surrogate pair counts the pair).
int codePointsInUnits(std::wstring_view text, int units);
// Number of UTF-16 units taken by the first `codePoints` characters of text (all of it when
// it has fewer).
int unitsForCodePoints(std::wstring_view text, int codePoints);

}  // namespace tarvo::win

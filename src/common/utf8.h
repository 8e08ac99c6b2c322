// UTF-8 helpers for the portable core: texts are UTF-8 inside the program, while controls
// count caret positions in characters (code points).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvo::utf8 {

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates, at most U+10FFFF).
bool isValid(std::string_view bytes);

// Number of code points; a malformed byte counts as one character.
std::size_t length(std::string_view text);

// The first n code points of text (all of it when it has fewer).
std::string prefix(std::string_view text, std::size_t n);

// The code point as UTF-8; surrogates and values beyond U+10FFFF give the empty text.
std::string encode(char32_t codePoint);

// Number of UTF-16 code units the text needs (Win32 controls count in these).
std::size_t utf16Length(std::string_view text);

}  // namespace tarvo::utf8

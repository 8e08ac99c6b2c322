// Conversions of profile-file bytes into the engine's UTF-8: UTF-16 files and files written in
// the legacy 8-bit code page by older versions of the program.
#pragma once

#include <string>
#include <string_view>

namespace tarvo::text {

// UTF-16 code units (little- or big-endian, without the byte-order mark) as UTF-8. Unpaired
// surrogates and an odd last byte become U+FFFD, so nothing is dropped without a trace.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian);

// Windows-1252 bytes as UTF-8. The five bytes the code page leaves undefined (81, 8D, 8F, 90,
// 9D) map to the control characters of the same number, as the Windows conversion does.
std::string windows1252ToUtf8(std::string_view bytes);

// The same answer as utf8::isValid, with runs of ASCII skipped eight bytes at a time: profile
// files are mostly ASCII, and this check runs over the whole file on every load.
bool isWellFormedUtf8(std::string_view bytes);

// text with every byte that is not part of well-formed UTF-8 read as Windows-1252, so text
// that reaches a file never turns the whole file into something that is not UTF-8.
std::string repairUtf8(std::string_view text);

}  // namespace tarvo::text

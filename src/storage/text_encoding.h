// Conversions of profile-file bytes into the engine's UTF-8: UTF-16 files, files in which an
// older version or another program wrote lines in the ANSI code page, and the repair of
// malformed bytes in text the program writes.
#pragma once

#include <string>
#include <string_view>

#include "common/windows1252.h"

namespace tarvo::text {

// UTF-16 code units (little- or big-endian, without the byte-order mark) as UTF-8. Unpaired
// surrogates and an odd last byte become U+FFFD, so nothing is dropped without a trace.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian);

// The same answer as utf8::isValid, with runs of ASCII skipped eight bytes at a time: profile
// files are mostly ASCII, and this check runs over the whole file on every load.
bool isWellFormedUtf8(std::string_view bytes);

// bytes with each line that is not well-formed UTF-8 read in the legacy code page (see
// legacyToUtf8) and every other line kept byte for byte: one line an older version or another
// program wrote in the ANSI code page must not change how the UTF-8 records around it read.
// Line ends (CR, LF) are kept as they are; no code page uses their bytes inside a character.
std::string legacyLinesToUtf8(std::string_view bytes);

// text with every byte that is not part of well-formed UTF-8 read as Windows-1252, so text
// that reaches a file never turns the whole file into something that is not UTF-8. Unlike a
// legacy file this does not follow the system's code page: the program's own text is UTF-8
// from the W functions, so a stray byte is no ANSI text to decode, only a byte to keep; one
// byte as one character keeps it on every system alike, where a double-byte code page would
// pair it with whatever follows.
std::string repairUtf8(std::string_view text);

}  // namespace tarvo::text

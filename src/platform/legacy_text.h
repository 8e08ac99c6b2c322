// Text in the 8-bit code page that older versions wrote their profile files in, read into the
// program's UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

// bytes as the system's ANSI code page reads them, as UTF-8: older versions wrote the profile
// files through the ANSI functions, so in that code page. A system without one (POSIX) reads
// Windows-1252, the code page of those versions on Western systems. Every byte ends up in the
// result: a byte the code page leaves undefined maps as the system's own conversion maps it,
// and a double-byte character cut off at the end becomes U+FFFD.
std::string legacyToUtf8(std::string_view bytes);

}  // namespace tarvo

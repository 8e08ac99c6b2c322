// Conversion of text in a Windows code page into UTF-8, with the code page given, so that it
// can be used (and tested) for any code page whatever the system's own.
#pragma once

#include <string>
#include <string_view>

namespace tarvo::win {

// bytes in codePage as UTF-8, converted by the system (MultiByteToWideChar), so undefined bytes
// map as Windows maps them. A lead byte with nothing after it becomes U+FFFD and nothing past
// the end of bytes is read. A code page the system does not know reads as Windows-1252.
std::string codePageToUtf8(std::string_view bytes, unsigned int codePage);

}  // namespace tarvo::win

// Windows-1252 bytes as UTF-8, shared by the profile engine and the platforms' legacy-text
// readers.
#pragma once

#include <string>
#include <string_view>

namespace tarvo::text {

// Windows-1252 bytes as UTF-8. The five bytes the code page leaves undefined (81, 8D, 8F, 90,
// 9D) map to the control characters of the same number, as the Windows conversion does.
std::string windows1252ToUtf8(std::string_view bytes);

}  // namespace tarvo::text

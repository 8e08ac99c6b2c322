// Legacy profile text on POSIX systems, which have no ANSI code page: read as Windows-1252.
#include "platform/legacy_text.h"
#include "common/windows1252.h"

namespace tarvo {

std::string legacyToUtf8(std::string_view bytes) {
    return text::windows1252ToUtf8(bytes);
}

}  // namespace tarvo

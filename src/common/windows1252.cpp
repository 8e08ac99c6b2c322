// Windows-1252 text as UTF-8: how a legacy file is read where the system has no ANSI code
// page, and how stray bytes in the program's own text are kept.
#include "common/windows1252.h"

#include "common/utf8.h"

namespace tarvo::text {

std::string windows1252ToUtf8(std::string_view bytes) {
    static constexpr char16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else if (b < 0xA0) {
            out += utf8::encode(kHigh[b - 0x80]);
        } else {
            out += utf8::encode(b);
        }
    }
    return out;
}

}  // namespace tarvo::text

// Conversions of profile-file bytes into the engine's UTF-8.
#include "storage/text_encoding.h"

#include <cstdint>
#include <cstring>

#include "common/utf8.h"

namespace tarvo::text {

bool isWellFormedUtf8(std::string_view bytes) {
    // A multi-byte sequence holds no ASCII byte, so the text is well-formed exactly when each
    // run of non-ASCII bytes is.
    const std::size_t size = bytes.size();
    std::size_t i = 0;
    while (i < size) {
        while (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, bytes.data() + i, sizeof word);
            if ((word & 0x8080808080808080u) != 0) break;
            i += 8;
        }
        while (i < size && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
        std::size_t run = i;
        while (run < size && static_cast<unsigned char>(bytes[run]) >= 0x80) ++run;
        if (!utf8::isValid(bytes.substr(i, run - i))) return false;
        i = run;
    }
    return true;
}

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    constexpr char32_t kReplacement = 0xFFFD;
    std::string out;
    out.reserve(bytes.size());
    auto unitAt = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (char32_t{a} << 8) | b : (char32_t{b} << 8) | a;
    };
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        char32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                out += utf8::encode(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF) unit = kReplacement;
        out += utf8::encode(unit);
    }
    if (i < bytes.size()) out += utf8::encode(kReplacement);
    return out;
}

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

std::string repairUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::string first = utf8::prefix(text, 1);
        out += utf8::isValid(first) ? first : windows1252ToUtf8(first);
        text.remove_prefix(first.size());
    }
    return out;
}

}  // namespace tarvo::text

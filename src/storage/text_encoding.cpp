// Conversions of profile-file bytes into the engine's UTF-8.
#include "storage/text_encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "common/utf8.h"
#include "platform/legacy_text.h"

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

std::string legacyLinesToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    // Lines to read in the code page are gathered into runs, converted one run at a time: an
    // ASCII line reads the same either way and joins the run around it, so an old file that is
    // legacy throughout is converted in one call.
    constexpr std::size_t kNoRun = std::string_view::npos;
    std::size_t run = kNoRun;
    const auto endRun = [&](std::size_t at) {
        if (run == kNoRun) return;
        out += legacyToUtf8(bytes.substr(run, at - run));
        run = kNoRun;
    };
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = bytes.substr(pos, end - pos);
        std::size_t next = end;
        if (next < bytes.size()) {
            next += bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n' ? 2 : 1;
        }
        const bool ascii = std::all_of(line.begin(), line.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (!ascii && !isWellFormedUtf8(line)) {
            if (run == kNoRun) run = pos;
        } else if (run == kNoRun || !ascii) {
            endRun(pos);
            out.append(bytes.substr(pos, next - pos));
        }
        pos = next;
    }
    endRun(bytes.size());
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

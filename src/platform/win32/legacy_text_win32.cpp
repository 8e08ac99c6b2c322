// Legacy profile text on Windows: read in the system's ANSI code page, which is what the ANSI
// functions of older versions wrote.
#include "platform/win32/legacy_text_win32.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <string>

#include "platform/legacy_text.h"
#include "common/windows1252.h"

namespace tarvo::win {
namespace {

// Text is converted a piece at a time: the Win32 calls take int lengths, and the pieces keep
// the wide buffer small. Every piece ends on a character boundary.
constexpr std::size_t kPiece = std::size_t{1} << 20;

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

void appendWide(const wchar_t* wide, int length, std::string& out) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(n));
    ::WideCharToMultiByte(CP_UTF8, 0, wide, length, out.data() + at, n, nullptr, nullptr);
}

// One piece of whole characters.
void appendPiece(std::string_view piece, unsigned int codePage, std::wstring& wide,
                 std::string& out) {
    if (piece.empty()) return;
    const int size = static_cast<int>(piece.size());
    const int n = ::MultiByteToWideChar(codePage, 0, piece.data(), size, nullptr, 0);
    if (n <= 0) {
        out += text::windows1252ToUtf8(piece);
        return;
    }
    wide.resize(static_cast<std::size_t>(n));
    ::MultiByteToWideChar(codePage, 0, piece.data(), size, wide.data(), n);
    appendWide(wide.data(), n, out);
}

}  // namespace

std::string codePageToUtf8(std::string_view bytes, unsigned int codePage) {
    CPINFO info;
    if (!::IsValidCodePage(codePage) || !::GetCPInfo(codePage, &info)) {
        return text::windows1252ToUtf8(bytes);
    }
    // The lead bytes of a double-byte code page, from the ranges GetCPInfo lists in pairs
    // ending with two zeros. A single-byte code page has none.
    std::array<bool, 256> lead{};
    bool doubleByte = false;
    for (std::size_t i = 0; i + 1 < MAX_LEADBYTES && (info.LeadByte[i] | info.LeadByte[i + 1]);
         i += 2) {
        for (unsigned b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b) lead[b] = true;
        doubleByte = true;
    }

    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    std::wstring wide;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = std::min(bytes.size(), pos + kPiece);
        bool cutOff = false;
        if (doubleByte) {
            // Walk the characters from the piece's start: whether a byte is a lead or a trail
            // byte depends on everything before it.
            std::size_t i = pos;
            while (i < end) i += lead[static_cast<unsigned char>(bytes[i])] ? 2 : 1;
            if (i > bytes.size()) {
                cutOff = true;
                --end;
            } else {
                end = i;
            }
        }
        appendPiece(bytes.substr(pos, end - pos), codePage, wide, out);
        if (cutOff) {
            out += kReplacementUtf8;
            end = bytes.size();
        }
        pos = end;
    }
    return out;
}

}  // namespace tarvo::win

namespace tarvo {

std::string legacyToUtf8(std::string_view bytes) {
    // A system whose ANSI code page is UTF-8 cannot have written a file that is not UTF-8
    // through it: such a file dates from before the switch, and Windows-1252 at least keeps
    // every byte as a character of its own.
    const unsigned int codePage = ::GetACP();
    if (codePage == CP_UTF8) return text::windows1252ToUtf8(bytes);
    return win::codePageToUtf8(bytes, codePage);
}

}  // namespace tarvo

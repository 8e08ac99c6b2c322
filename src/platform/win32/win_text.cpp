// UTF-8 <-> UTF-16 conversion and caret-position counting for the Win32 front end.
#include "platform/win32/win_text.h"

#include <vector>

namespace tarvo::win {

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::string windowText(HWND hwnd) {
    const int len = GetWindowTextLengthW(hwnd);
    if (len <= 0) return {};
    std::wstring buf(static_cast<std::size_t>(len) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, buf.data(), len + 1);
    buf.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return narrow(buf);
}

namespace {
bool isHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
}  // namespace

int codePointsInUnits(std::wstring_view text, int units) {
    int count = 0;
    for (std::size_t i = 0; i < text.size() && static_cast<int>(i) < units; ++count)
        i += (isHighSurrogate(text[i]) && i + 1 < text.size()) ? 2 : 1;
    return count;
}

int unitsForCodePoints(std::wstring_view text, int codePoints) {
    std::size_t i = 0;
    for (int count = 0; i < text.size() && count < codePoints; ++count)
        i += (isHighSurrogate(text[i]) && i + 1 < text.size()) ? 2 : 1;
    return static_cast<int>(i);
}

}  // namespace tarvo::win

// Profile files of older versions, written in an ANSI code page, read on the real platform:
// Cyrillic and Japanese code pages by name, and the engine in the system's own code page.
#include <gtest/gtest.h>

#include <string>

#include "win32_test_support.h"
// clang-format off
// After <windows.h>, whose WriteProfileString macro the engine's header takes back.
#include "storage/ini_handler.h"
// clang-format on
#include "common/utf8.h"
#include "platform/win32/legacy_text_win32.h"
#include "storage/profile_document.h"
#include "storage/text_encoding.h"

namespace tarvo::test {
namespace {

using win::codePageToUtf8;

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

std::string allBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    return bytes;
}

// The system's own reading of bytes in its ANSI code page, as UTF-8.
std::string systemReading(const std::string& bytes) {
    const int size = static_cast<int>(bytes.size());
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), size)));
    return win::narrow(wide);
}

TEST(LegacyText, ACyrillicFileInCodePage1251ReadsBack) {
    ASSERT_TRUE(IsValidCodePage(1251));
    // "[отчёт.exe]", "1=Привет, мир — Ёж" as a Cyrillic system's ANSI functions wrote them.
    const std::string file =
        "[\xEE\xF2\xF7\xB8\xF2.exe]\r\n1=\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0"
        " \x97 \xA8\xE6\r\n";
    const std::string text = codePageToUtf8(file, 1251);
    EXPECT_EQ(text,
              "[\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82.exe]\r\n1=\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2"
              "\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80 \xE2\x80\x94 \xD0\x81\xD0\xB6\r\n");
    // The record is found by its name in any letter case: "ОТЧЁТ.EXE".
    const ProfileDocument doc(text);
    EXPECT_EQ(doc.read("\xD0\x9E\xD0\xA2\xD0\xA7\xD0\x81\xD0\xA2.EXE", "1").value_or("?"),
              "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80 "
              "\xE2\x80\x94 \xD0\x81\xD0\xB6");

    // In a single-byte code page every byte is one character, the undefined ones included.
    for (const unsigned int codePage : {1250u, 1251u, 1252u}) {
        const std::string all = codePageToUtf8(allBytes(), codePage);
        EXPECT_TRUE(utf8::isValid(all)) << codePage;
        EXPECT_EQ(utf8::length(all), 256u) << codePage;
    }
}

TEST(LegacyText, AShiftJisTextConverts) {
    ASSERT_TRUE(IsValidCodePage(932));
    // "日本語", a half-width "ｱ", and "表", whose second byte is a backslash on its own.
    EXPECT_EQ(codePageToUtf8("[\x93\xFA\x96{\x8C\xEA] \xB1 \x95\\", 932),
              "[\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E] \xEF\xBD\xB1 \xE8\xA1\xA8");

    // A lead byte at the end is a character cut off, not one joined with what lies beyond.
    const std::string buffer = "a\x93\xFA";
    EXPECT_EQ(codePageToUtf8(std::string_view(buffer).substr(0, 2), 932),
              "a" + std::string(kReplacement));
    EXPECT_EQ(codePageToUtf8("\x93", 932), kReplacement);

    // A lead byte followed by a byte that cannot end the character leaves a mark behind.
    const std::string broken = codePageToUtf8(
        "a\x81\x7F"
        "b",
        932);
    EXPECT_TRUE(utf8::isValid(broken));
    EXPECT_EQ(broken.front(), 'a');
    EXPECT_EQ(broken.back(), 'b');
    EXPECT_GT(utf8::length(broken), 2u);
}

TEST(LegacyText, ALongDoubleByteTextConvertsWhole) {
    // Several megabytes of "日" after one ASCII byte, so that characters straddle every
    // point where a piece of conversion could be cut, then a lead byte cut off at the end.
    constexpr std::size_t kCount = 1'500'000;
    std::string bytes = "a";
    std::string expected = "a";
    for (std::size_t i = 0; i < kCount; ++i) {
        bytes += "\x93\xFA";
        expected += "\xE6\x97\xA5";
    }
    bytes += "\x93";
    expected += kReplacement;
    EXPECT_TRUE(codePageToUtf8(bytes, 932) == expected);
}

TEST(LegacyText, TheEngineReadsALegacyFileInTheSystemCodePage) {
    const unsigned int codePage = GetACP();
    // High bytes that are letters in the single-byte code pages and whole characters in the
    // double-byte ones, so the file reads back the same in each.
    const std::string section = "\xC0\xC1\xC2\xC3.exe";
    const std::string value = "-x \xE4\xF6\xFC\xE9";
    WinTempFolder dir;
    dir.write("MRU.INI", "[" + section + "]\r\n0=1\r\n1=" + value + "\r\n");
    const std::string file = dir.path() + "\\MRU.INI";

    // A system whose ANSI code page is UTF-8 reads such a file as Windows-1252.
    const bool utf8System = codePage == CP_UTF8;
    const std::string sectionText =
        utf8System ? text::windows1252ToUtf8(section) : systemReading(section);
    const std::string valueText =
        utf8System ? text::windows1252ToUtf8(value) : systemReading(value);
    ASSERT_TRUE(utf8::isValid(sectionText));
    if (!utf8System) {
        EXPECT_EQ(codePageToUtf8(value, codePage), valueText) << codePage;
    }

    EXPECT_EQ(INIHandler::ReadProfileString(file, sectionText, "1", "?"), valueText)
        << "ANSI code page " << codePage;
    std::string zero = "0";
    INIHandler::WriteProfileString(file, sectionText, "0", zero);
    EXPECT_EQ(dir.read("MRU.INI"), "[" + sectionText + "]\r\n0=0\r\n1=" + valueText + "\r\n")
        << "ANSI code page " << codePage;
}

}  // namespace
}  // namespace tarvo::test

// Tests of the UTF-8 helpers: what counts as well-formed, and counting in code points and
// UTF-16 units.
#include "common/utf8.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(Utf8, RejectsEveryKindOfMalformedSequence) {
    EXPECT_TRUE(utf8::isValid(""));
    EXPECT_TRUE(utf8::isValid("plain \xC3\xA9 \xE6\x96\x87 \xF0\x9F\x98\x80"));
    EXPECT_TRUE(utf8::isValid("\xF4\x8F\xBF\xBF"));   // U+10FFFF
    EXPECT_FALSE(utf8::isValid("\xE9t\xE9"));         // Windows-1252 "été"
    EXPECT_FALSE(utf8::isValid("\xC0\xAF"));          // overlong "/"
    EXPECT_FALSE(utf8::isValid("\xED\xA0\x80"));      // surrogate U+D800
    EXPECT_FALSE(utf8::isValid("\xF4\x90\x80\x80"));  // beyond U+10FFFF
    EXPECT_FALSE(utf8::isValid("ab\xE6\x96"));        // cut short
    EXPECT_FALSE(utf8::isValid("\x80"));              // lone continuation byte
}

TEST(Utf8, CountsAndCutsByCodePoint) {
    const std::string text = "a\xC3\xA9\xE6\x96\x87\xF0\x9F\x98\x80";  // a é 文 😀
    EXPECT_EQ(utf8::length(text), 4u);
    EXPECT_EQ(utf8::utf16Length(text), 5u);
    EXPECT_EQ(utf8::prefix(text, 2), "a\xC3\xA9");
    EXPECT_EQ(utf8::prefix(text, 9), text);
    EXPECT_EQ(utf8::length("\xFF\xFE"), 2u);  // each malformed byte is one character
    EXPECT_EQ(utf8::encode(0xE9), "\xC3\xA9");
    EXPECT_EQ(utf8::encode(0x1F600), "\xF0\x9F\x98\x80");
    EXPECT_EQ(utf8::encode(0xD800), "");
    EXPECT_EQ(utf8::encode(0x110000), "");
}

}  // namespace
}  // namespace tarvo

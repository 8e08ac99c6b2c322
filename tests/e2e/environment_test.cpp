// Checks of the Wine prefix the tests run in: without these, layout and text tests would pass
// or fail for reasons that have nothing to do with the program.
#include "driver.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

TEST(WineEnvironment, TahomaResolvesToTheRealFace) {
    // Without the font files in the prefix, Wine quietly substitutes another face with other
    // metrics, and every caption measures differently.
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                             0, 0, L"Tahoma");
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    EXPECT_STREQ(face, L"Tahoma");
}

TEST(WineEnvironment, ScreenIsAt96Dpi) {
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(dpi, 96);
}

}  // namespace
}  // namespace e2e

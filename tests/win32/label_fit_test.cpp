// Labels built by the form builder show their whole caption: a label narrower than its one
// line of text grows to it, at any DPI; wide enough, wrapping and other controls stay as the
// table says.
#include <gtest/gtest.h>

#include <utility>

#include "frontend/win32/dpi.h"
#include "frontend/win32/native_form.h"
#include "frontend/win32/settings_window_win32.h"
#include "settings/settings_layout.h"
#include "win32/win32_test_support.h"

namespace tarvo::test {
namespace {

// The pixels the control's caption needs on one line in the control's own font.
int textWidth(HWND control) {
    const std::wstring text = win::widen(win::windowText(control));
    HDC dc = GetDC(control);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT r{};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return r.right;
}

int widthOf(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    return r.right - r.left;
}

FormSpec labels() {
    FontSpec tahoma{"Tahoma", 8.25, 400, false, false, 177};
    FontSpec link = tahoma;
    link.underline = true;
    FormSpec f{"Labels", "Labels", 4815, 3000, tahoma, false, false, false, {}};
    f.controls = {
        {.name = "cut",
         .kind = ControlKind::Label,
         .caption = "Email:",
         .left = 120,
         .top = 120,
         .width = 300,
         .height = 195,
         .font = tahoma},
        {.name = "wide",
         .kind = ControlKind::Label,
         .caption = "Email:",
         .left = 120,
         .top = 400,
         .width = 2000,
         .height = 195,
         .font = tahoma},
        {.name = "link",
         .kind = ControlKind::LinkLabel,
         .caption = "https://example.com/a/b",
         .left = 120,
         .top = 700,
         .width = 600,
         .height = 195,
         .font = link},
        {.name = "access",
         .kind = ControlKind::Label,
         .caption = "&Name && more:",
         .left = 120,
         .top = 1000,
         .width = 300,
         .height = 195,
         .font = tahoma},
        {.name = "wraps",
         .kind = ControlKind::Label,
         .caption = "one two three four five six",
         .left = 120,
         .top = 1300,
         .width = 900,
         .height = 900,
         .font = tahoma},
        {.name = "button",
         .kind = ControlKind::Button,
         .caption = "A long caption here",
         .left = 120,
         .top = 2300,
         .width = 300,
         .height = 375,
         .tabIndex = 0,
         .font = tahoma},
    };
    return f;
}

TEST(LabelFit, NarrowLabelsGrowToTheirTextAndNothingElseChanges) {
    for (const int dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        win::NativeForm form(labels(), {.dpi = dpi});
        auto hwnd = [&](const char* name) { return form.find(name)->hwnd(); };
        auto px = [&](int twips) { return win::twipsToPixels(twips, dpi); };

        // Each of these is cut at its table width; "&" and "&&" are measured as shown.
        for (const auto& [name, design] :
             {std::pair{"cut", 300}, std::pair{"link", 600}, std::pair{"access", 300}}) {
            SCOPED_TRACE(name);
            ASSERT_GT(textWidth(hwnd(name)), px(design));
            EXPECT_GE(widthOf(hwnd(name)), textWidth(hwnd(name)));
            EXPECT_LE(widthOf(hwnd(name)), textWidth(hwnd(name)) + 1);
        }
        EXPECT_EQ(widthOf(hwnd("wide")), px(2000));
        EXPECT_EQ(widthOf(hwnd("wraps")), px(900));
        EXPECT_EQ(widthOf(hwnd("button")), px(300));
        // Left edges and heights stay as the table says.
        EXPECT_EQ(clientRectOf(hwnd("cut")).left, px(120));
        EXPECT_EQ(clientRectOf(hwnd("cut")).bottom - clientRectOf(hwnd("cut")).top, px(195));
    }
}

TEST(LabelFit, GrownLabelStaysWholeAfterADpiChange) {
    win::NativeForm form(labels(), {.dpi = 96});
    HWND cut = form.find("cut")->hwnd();
    const int at96 = widthOf(cut);
    form.applyDpi(192);
    EXPECT_GE(widthOf(cut), textWidth(cut));
    form.applyDpi(96);
    EXPECT_GE(widthOf(cut), textWidth(cut));
    EXPECT_LE(widthOf(cut), at96 + 1);
}

// The label that showed the fault: "Email:" in the settings window's About frame.
TEST(LabelFit, SettingsWindowShowsEveryLabelWhole) {
    win::BuildOptions options = win::SettingsWindow::designOptions();
    options.dpi = 96;
    win::NativeForm form(settingsLayout(), options);
    for (const char* name : {"Label1", "Label2", "Label3", "Label4", "lbl_MAIL", "lbl_WWW"}) {
        SCOPED_TRACE(name);
        HWND label = form.find(name)->hwnd();
        EXPECT_GE(widthOf(label), textWidth(label));
    }
    // Grown, it still ends before the mail link begins.
    EXPECT_LT(clientRectOf(form.find("Label3")->hwnd()).right,
              clientRectOf(form.find("lbl_MAIL")->hwnd()).left);
}

}  // namespace
}  // namespace tarvo::test

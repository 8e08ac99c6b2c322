// The control wrappers and the form builder on real Win32 controls: caret counting in
// characters, list operations, frames carrying their children, link labels and event routing.
#include "frontend/win32/win_controls.h"

#include <gtest/gtest.h>

#include "frontend/win32/dpi.h"
#include "frontend/win32/native_form.h"
#include "platform/win32/shell_win32.h"
#include "win32/win32_test_support.h"

namespace tarvo::test {
namespace {

FormSpec sampleForm() {
    // Built apart: GCC 12 misreads a nested designated initializer of the font as uninitialised.
    FontSpec linkFont;
    linkFont.underline = true;
    FormSpec f;
    f.name = "Sample";
    f.caption = "Sample";
    f.clientWidth = 4815;
    f.clientHeight = 4575;
    f.controls = {
        {.name = "Combo",
         .kind = ControlKind::ComboBox,
         .left = 120,
         .top = 120,
         .width = 3000,
         .height = 315,
         .tabIndex = 0},
        {.name = "List1",
         .kind = ControlKind::ListBox,
         .left = 240,
         .top = 1920,
         .width = 2535,
         .height = 1425,
         .tabIndex = 1},
        {.name = "CMD_Hidden",
         .kind = ControlKind::Button,
         .caption = "&Run",
         .left = 1200,
         .top = 600,
         .width = 2295,
         .height = 375,
         .tabIndex = 2,
         .enabled = false,
         .visible = false},
        {.name = "Frame1",
         .kind = ControlKind::Frame,
         .caption = " About: ",
         .left = 120,
         .top = 120,
         .width = 4575,
         .height = 1455,
         .tabIndex = 3},
        {.name = "lbl_WWW",
         .kind = ControlKind::LinkLabel,
         .caption = "https://example.org",
         .left = 840,
         .top = 1080,
         .width = 3375,
         .height = 195,
         .tabIndex = 4,
         .font = linkFont,
         .parent = "Frame1"},
    };
    return f;
}

class WinControlsTest : public ::testing::Test {
  protected:
    WinControlsTest() : form(sampleForm()) {
        form.events.click = [this](const std::string& name) { clicks.push_back(name); };
        form.show();
        pump();
    }
    HWND hwndOf(const std::string& name) { return form.find(name)->hwnd(); }

    win::NativeForm form;
    std::vector<std::string> clicks;
};

TEST_F(WinControlsTest, ComboCaretCountsCharactersNotUtf16Units) {
    ComboBox& c = form.comboBox("Combo");
    const std::string text =
        "a\xF0\x9F\x98\x80"
        "b";  // a, U+1F600 (two UTF-16 units), b
    c.setText(text);
    EXPECT_EQ(c.text(), text);
    c.setSelStart(2);
    EXPECT_EQ(c.selStart(), 2);
    DWORD start = 0, end = 0;
    SendMessageW(hwndOf("Combo"), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 3u);

    c.setSelStart(1);
    c.setSelLength(100);  // cut at the end of the text
    EXPECT_EQ(c.selStart(), 1);
    EXPECT_EQ(c.selLength(), 2);
    c.setSelStart(0);
    c.setSelLength(2);
    EXPECT_EQ(c.selLength(), 2);
}

TEST_F(WinControlsTest, ComboListFindsPrefixesIgnoringCaseAndClears) {
    ComboBox& c = form.comboBox("Combo");
    for (const char* item : {"zeta", "Readme.txt", "readme.md", "\xC3\xA9t\xC3\xA9"})
        c.addItem(item);
    EXPECT_EQ(c.listCount(), 4);
    EXPECT_EQ(c.list(1), "Readme.txt");  // not sorted: the order of adding
    EXPECT_EQ(c.findString("READ"), 1);  // the first in list order wins
    EXPECT_EQ(c.findString("readme.m"), 2);
    EXPECT_EQ(c.findString("\xC3\xA9t"), 3);
    EXPECT_EQ(c.findString("q"), -1);
    c.setListIndex(2);
    EXPECT_EQ(c.listIndex(), 2);
    EXPECT_EQ(c.text(), "readme.md");
    c.clear();
    EXPECT_EQ(c.listCount(), 0);
    EXPECT_EQ(c.text(), "");
}

TEST_F(WinControlsTest, ListBoxKeepsOrderAndReportsSelectionAsClick) {
    ListBox& l = form.listBox("List1");
    l.addItem(".txt");
    l.addItem(".exe");
    l.addItem(".bat");
    l.removeItem(1);
    ASSERT_EQ(l.listCount(), 2);
    EXPECT_EQ(l.list(1), ".bat");
    EXPECT_EQ(l.listIndex(), -1);
    l.setListIndex(1);
    EXPECT_EQ(l.listIndex(), 1);

    SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwndOf("List1")), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(hwndOf("List1")));
    EXPECT_EQ(clicks, std::vector<std::string>{"List1"});
}

TEST_F(WinControlsTest, FrameChildrenAreRelativeToTheFrameAndMoveWithIt) {
    Control& frame = form.control("Frame1");
    Control& link = form.control("lbl_WWW");
    EXPECT_EQ(clientRectOf(hwndOf("lbl_WWW")).left, (120 + 840) / 15);
    EXPECT_EQ(clientRectOf(hwndOf("lbl_WWW")).top, (120 + 1080) / 15);
    EXPECT_EQ(link.left(), 840);

    frame.setTop(695);  // the settings window's second layout
    EXPECT_EQ(frame.top(), 695);
    EXPECT_EQ(link.top(), 1080);
    EXPECT_EQ(clientRectOf(hwndOf("lbl_WWW")).top,
              win::twipsToPixels(695, 96) + win::twipsToPixels(1080, 96));
}

TEST_F(WinControlsTest, StartStatesAndCaptionsComeFromTheTable) {
    Control& hidden = form.control("CMD_Hidden");
    EXPECT_FALSE(hidden.visible());
    EXPECT_FALSE(hidden.enabled());
    hidden.setVisible(true);
    hidden.setEnabled(true);
    EXPECT_TRUE(hidden.visible());
    EXPECT_TRUE(hidden.enabled());
    EXPECT_EQ(form.control("Frame1").caption(), " About: ");  // blanks kept
    hidden.setCaption("Caf\xC3\xA9 && more");
    EXPECT_EQ(hidden.caption(), "Caf\xC3\xA9 && more");
}

// Whether the pixel of a cursor's image is black, white or left transparent by its mask.
char cursorPixel(const ICONINFO& info, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, info.hbmMask);
    const bool transparent = GetPixel(dc, x, y) != RGB(0, 0, 0);
    COLORREF colour = RGB(0, 0, 0);
    if (info.hbmColor) {
        SelectObject(dc, info.hbmColor);
        colour = GetPixel(dc, x, y);
    } else {
        colour = GetPixel(dc, x, y + 32);  // a monochrome cursor keeps its picture below the mask
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    if (transparent) return '.';
    return colour == RGB(0, 0, 0) ? '#' : colour == RGB(255, 255, 255) ? '-' : '?';
}

TEST_F(WinControlsTest, LinkLabelIsInTheLinkColourUnderlinedWithTheProgramsHandAndClicks) {
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(form.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(hwndOf("lbl_WWW")));
    EXPECT_EQ(GetTextColor(dc), win::linkTextColour());
    DeleteDC(dc);

    LOGFONTW f{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwndOf("lbl_WWW"), WM_GETFONT, 0, 0)), sizeof f,
               &f);
    EXPECT_TRUE(f.lfUnderline);

    EXPECT_EQ(SendMessageW(form.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(hwndOf("lbl_WWW")),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    // The program's own pointing hand (linked into this test program too), not the system's:
    // 32 x 32, hot spot on the black tip of the index finger, white inside it.
    const HCURSOR cursor = GetCursor();
    EXPECT_NE(cursor, LoadCursorW(nullptr, IDC_HAND));
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 13u);
    EXPECT_EQ(info.yHotspot, 4u);
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, 32);
    EXPECT_EQ(mask.bmHeight, info.hbmColor ? 32 : 64);
    EXPECT_EQ(cursorPixel(info, 13, 4), '#');
    EXPECT_EQ(cursorPixel(info, 13, 3), '.');
    EXPECT_EQ(cursorPixel(info, 13, 8), '-');
    EXPECT_EQ(cursorPixel(info, 0, 31), '.');
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);

    SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwndOf("lbl_WWW")), STN_CLICKED),
                 reinterpret_cast<LPARAM>(hwndOf("lbl_WWW")));
    EXPECT_EQ(clicks, std::vector<std::string>{"lbl_WWW"});
}

// Moved to a screen of another DPI, every control is put where its twips say at the new DPI
// and reports the same twips as before.
TEST_F(WinControlsTest, AnotherDpiRelaysTheFormOutFromItsTwips) {
    form.control("Frame1").setTop(695);
    form.applyDpi(144);
    const RECT list = clientRectOf(hwndOf("List1"));
    EXPECT_EQ(list.left, 24);
    EXPECT_EQ(list.top, 192);
    EXPECT_EQ(list.right - list.left, win::twipsToPixels(2535, 144));
    EXPECT_EQ(clientRectOf(hwndOf("lbl_WWW")).top, win::twipsToPixels(695, 144) + 108);
    EXPECT_EQ(form.control("Frame1").top(), 695);
    EXPECT_EQ(form.control("lbl_WWW").top(), 1080);
    EXPECT_EQ(form.window().width(), 4815 + 90);
    RECT client{};
    GetClientRect(form.hwnd(), &client);
    EXPECT_EQ(client.right, win::twipsToPixels(4815, 144));

    LOGFONTW f{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwndOf("List1"), WM_GETFONT, 0, 0)), sizeof f,
               &f);
    EXPECT_EQ(f.lfHeight, -17);  // 8.25 points at 144 DPI
}

// The forms the console command takes: the outer quotes that keep the command's own, names
// the interpreter would expand handed over in variables, and the change of folder that an
// elevated console needs. An elevated console inherits no variable of ours: a name it would
// expand is refused there, unless its "%" is the command's only one.
TEST(ConsoleCommand, KeepsNamesLiteralAndTheTextAsTyped) {
    const win::ConsoleStart here{true, true};
    const win::ConsoleStart elevatedStart{false, false};
    auto plain = win::consoleCommand("/k \"C:\\My Files\\run.bat\" -v \"x y\" & echo", here);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->parameters, "/v:off /k \"\"C:\\My Files\\run.bat\" -v \"x y\" & echo\"");
    EXPECT_TRUE(plain->environment.empty());

    auto folder = win::consoleCommand("/k \"C:\\x%OS%y\\a.exe\"", here);
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->parameters, "/v:off /k \"\".\\a.exe\"\"");

    auto name = win::consoleCommand("/k \"C:\\d\\%TEMP%.exe\" 1", here);
    ASSERT_TRUE(name);
    EXPECT_EQ(name->parameters, "/v:off /k \"\"%TARVO_FILE%\" 1\"");
    ASSERT_EQ(name->environment.size(), 1u);
    EXPECT_EQ(name->environment[0].second, "C:\\d\\%TEMP%.exe");

    auto elevated = win::consoleCommand("/k \"C:\\R&D\\a.exe\" 1", elevatedStart);
    ASSERT_TRUE(elevated);
    EXPECT_EQ(elevated->parameters, "/v:off /k cd /d \"C:\\R&D\\\" && \"C:\\R&D\\a.exe\" 1");
    EXPECT_TRUE(elevated->refusal.empty());

    // A lone "%" pairs with nothing: given as it is, the folder's through ".\".
    auto lone = win::consoleCommand("/k \"C:\\d\\50%.bat\" -q", elevatedStart);
    ASSERT_TRUE(lone);
    EXPECT_EQ(lone->parameters, "/v:off /k cd /d \"C:\\d\\\" && \"C:\\d\\50%.bat\" -q");
    EXPECT_TRUE(lone->environment.empty());
    EXPECT_TRUE(lone->refusal.empty());
    auto loneFolder = win::consoleCommand("/k \"C:\\50%\\a.exe\"", elevatedStart);
    ASSERT_TRUE(loneFolder);
    EXPECT_EQ(loneFolder->parameters, "/v:off /k cd /d \"C:\\50%\\\" && \".\\a.exe\"");
    EXPECT_TRUE(loneFolder->refusal.empty());

    // Two in the name, in the folder, or one in the name and one in the typed text: refused,
    // with no command and no variable.
    for (const char* refused : {"/k \"C:\\d\\a%TARVO_FILE%b.bat\"", "/k \"C:\\x%OS%y\\a.exe\"",
                                "/k \"C:\\d\\50%.bat\" 100%"}) {
        auto command = win::consoleCommand(refused, elevatedStart);
        ASSERT_TRUE(command) << refused;
        EXPECT_EQ(command->refusal, win::kElevatedPercentRefusal) << refused;
        EXPECT_TRUE(command->parameters.empty()) << refused;
        EXPECT_TRUE(command->environment.empty()) << refused;
    }
    // The typed text's own variables are the user's to use.
    auto typed = win::consoleCommand("/k \"C:\\d\\a.bat\" %USERNAME%", elevatedStart);
    ASSERT_TRUE(typed);
    EXPECT_TRUE(typed->refusal.empty());

    EXPECT_FALSE(win::consoleCommand("-v", here));
    EXPECT_FALSE(win::consoleCommand("/k \"C:\\a.exe\"x", here));
}

}  // namespace
}  // namespace tarvo::test

// The argument dialog on real Win32 controls: its layout, typing with completion, Enter and
// Esc through the message loop, expand and collapse, and drops.
#include "frontend/win32/form1_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "dialog/form1_layout.h"
#include "doubles/fake_services.h"
#include "frontend/win32/dpi.h"
#include "frontend/win32/win_controls.h"
#include "win32/win32_test_support.h"

namespace tarvo::test {
namespace {

constexpr char kTarget[] = "C:\\Tools\\run.exe";
constexpr char kHistory[] = "[run.exe]\r\n0=0\r\n1=readme.txt\r\n2=run.log\r\n";

class Form1WindowTest : public ::testing::Test {
  protected:
    void SetUp() override { host.folder = temp.path(); }

    void build(win::BuildOptions options = {}) {
        dialog = std::make_unique<win::Form1Window>(
            Form1Services{host, shell, filePicker, folderPicker}, options);
        dialog->native().show();
        pump();
    }
    void buildWithHistory() {
        temp.write("MRU.INI", kHistory);
        build();
        dialog->form1().setTargetPath(kTarget);
        dialog->form1().LoadTarget();
    }

    win::WinControl& control(const std::string& name) { return *dialog->native().find(name); }
    HWND hwndOf(const std::string& name) { return control(name).hwnd(); }
    ComboBox& combo() { return dialog->native().comboBox("cmbArg"); }
    HWND edit() { return dynamic_cast<win::WinComboBox&>(control("cmbArg")).edit(); }
    Window& window() { return dialog->native().window(); }

    WinTempFolder temp;
    FakeHost host;
    FakeShell shell;
    FakeFilePicker filePicker;
    FakeFolderPicker folderPicker;
    std::unique_ptr<win::Form1Window> dialog;
};

TEST_F(Form1WindowTest, ControlsStandWhereTheTableSaysWithTheirCaptions) {
    build();
    for (const ControlSpec& layout : form1Layout().controls) {
        SCOPED_TRACE(layout.name);
        const RECT r = clientRectOf(hwndOf(layout.name));
        EXPECT_EQ(r.left, win::twipsToPixels(layout.left, 96));
        EXPECT_EQ(r.top, win::twipsToPixels(layout.top, 96));
        EXPECT_EQ(r.right - r.left, layout.width / 15);
        EXPECT_EQ(r.bottom - r.top, layout.height / 15);
        EXPECT_EQ(win::windowText(hwndOf(layout.name)), layout.caption);
    }
    RECT client{};
    GetClientRect(dialog->hwnd(), &client);
    EXPECT_EQ(client.right, 333);
    EXPECT_EQ(client.bottom, 90);
    EXPECT_EQ(window().width(), kCollapsedWidth);
    EXPECT_EQ(window().caption(), "Tarvolin");

    // A fixed dialog frame: close box, no minimize or maximize button, not resizable.
    const LONG style = GetWindowLongW(dialog->hwnd(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_TRUE(GetWindowLongW(dialog->hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_EQ(GetWindowLongW(hwndOf("CMD_OK"), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(GetWindowLongW(hwndOf("Check1"), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
    EXPECT_EQ(GetWindowLongW(hwndOf("cmbArg"), GWL_STYLE) & 3, CBS_DROPDOWN);
}

TEST_F(Form1WindowTest, TabOrderAndFontsFollowTheTable) {
    build();
    const char* order[] = {"cmbArg",     "Check1",    "CMD_OK",    "CMD_Cancel",
                           "CMD_Browse", "CMD_About", "CMD_WIDTH", "cmbArg"};
    for (int i = 0; i + 1 < 8; ++i) {
        SCOPED_TRACE(order[i]);
        EXPECT_EQ(GetNextDlgTabItem(dialog->hwnd(), hwndOf(order[i]), FALSE), hwndOf(order[i + 1]));
    }
    auto fontOf = [&](const std::string& name) {
        LOGFONTW f{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwndOf(name), WM_GETFONT, 0, 0)), sizeof f,
                   &f);
        return f;
    };
    const LOGFONTW label = fontOf("Label1"), ok = fontOf("CMD_OK");
    EXPECT_STREQ(label.lfFaceName, L"Tahoma");
    EXPECT_EQ(label.lfHeight, -13);  // 9.75 points at 96 DPI
    EXPECT_EQ(ok.lfHeight, -11);     // 8.25 points
    EXPECT_EQ(ok.lfWeight, 400);
    EXPECT_EQ(ok.lfCharSet, 177);
}

TEST_F(Form1WindowTest, TypingCompletesFromTheHistoryAndBackspacePassesThrough) {
    buildWithHistory();
    ASSERT_EQ(combo().listCount(), 2);

    typeChar(edit(), L'r');
    EXPECT_EQ(combo().text(), "readme.txt");
    EXPECT_EQ(combo().selStart(), 1);
    EXPECT_EQ(combo().selLength(), 9);  // "eadme.txt"

    typeChar(edit(), L'u');
    EXPECT_EQ(combo().text(), "run.log");
    DWORD start = 0, end = 0;
    SendMessageW(edit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 2u);  // "n.log" selected
    EXPECT_EQ(end, 7u);

    typeChar(edit(), L'\b');  // no item starts with "ru\b": the key deletes the selection
    EXPECT_EQ(combo().text(), "ru");
    typeChar(edit(), L'x');  // nothing to complete: typed as it is
    EXPECT_EQ(combo().text(), "rux");
}

TEST_F(Form1WindowTest, CapitalLetterCompletesInTheItemsCase) {
    buildWithHistory();
    typeChar(edit(), L'R');
    EXPECT_EQ(combo().text(), "readme.txt");
    EXPECT_EQ(combo().selStart(), 1);
    EXPECT_EQ(combo().selLength(), 9);
}

TEST_F(Form1WindowTest, EnterPressesOkAndNeverCompletes) {
    buildWithHistory();
    combo().setText("r");
    combo().setSelStart(1);
    pressKey(edit(), VK_RETURN);

    ASSERT_EQ(shell.requests.size(), 1u);
    const ShellRequest& r = shell.requests[0];
    EXPECT_EQ(r.file, kTarget);
    EXPECT_EQ(r.parameters.value_or("<none>"), "r");  // not "readme.txt"
    EXPECT_EQ(r.directory.value_or(""), "C:\\Tools\\");
    EXPECT_EQ(r.owner, &window());
    EXPECT_EQ(host.ended, 1);
    EXPECT_NE(temp.read("MRU.INI").find("1=r\r\n"), std::string::npos);
}

TEST_F(Form1WindowTest, EscUnloadsWithoutWritingFromAnyControl) {
    buildWithHistory();
    typeText(edit(), L"ab");
    pressKey(edit(), VK_ESCAPE);
    EXPECT_EQ(host.dialogUnloads, 1);

    pressKey(hwndOf("CMD_OK"), VK_ESCAPE);  // the key preview sees it wherever the focus is
    EXPECT_EQ(host.dialogUnloads, 2);
    EXPECT_TRUE(shell.requests.empty());
    EXPECT_EQ(host.ended, 0);
    EXPECT_EQ(temp.read("MRU.INI"), kHistory);
}

TEST_F(Form1WindowTest, CloseBoxUnloads) {
    build();
    SendMessageW(dialog->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(host.dialogUnloads, 1);
}

TEST_F(Form1WindowTest, AccessKeyTogglesTheCheckBox) {
    build();
    PostMessageW(edit(), WM_SYSCHAR, L'c', static_cast<LPARAM>(1u << 29));
    pump();
    EXPECT_EQ(dialog->native().checkBox("Check1").value(), 1);
}

// The real controls' left edges and widths in pixels after the dialog grew by d twips.
void expectMovedBy(win::NativeForm& form, int d, int dpi) {
    auto px = [&](int twips) { return win::twipsToPixels(twips, dpi); };
    auto rect = [&](const char* name) { return clientRectOf(form.find(name)->hwnd()); };
    EXPECT_EQ(rect("cmbArg").right - rect("cmbArg").left, px(4815 + d));
    EXPECT_EQ(rect("Label1").right - rect("Label1").left, px(4695 + d));
    EXPECT_EQ(rect("CMD_WIDTH").left, px(4800 + d));
    EXPECT_EQ(rect("CMD_OK").left, px(1050 + d));
    EXPECT_EQ(rect("CMD_Cancel").left, px(2250 + d));
    EXPECT_EQ(rect("CMD_Browse").left, px(3450 + d));
    EXPECT_EQ(rect("CMD_About").left, px(4590 + d));
    EXPECT_EQ(rect("Check1").left, px(180));
}

TEST_F(Form1WindowTest, WidthButtonExpandsAndCollapsesTheRealWindow) {
    build();
    const double screen = window().screenWidth();
    click(hwndOf("CMD_WIDTH"));

    const WidthLayout wide = expandedWindow(screen);
    EXPECT_EQ(window().width(), wide.windowWidth);
    EXPECT_EQ(window().left(), wide.windowLeft);
    EXPECT_EQ(control("CMD_WIDTH").caption(), "<");
    expectMovedBy(dialog->native(), wide.windowWidth - kCollapsedWidth, 96);
    RECT client{};
    GetClientRect(dialog->hwnd(), &client);
    EXPECT_EQ(client.right, win::twipsToPixels(wide.windowWidth - 90, 96));

    click(hwndOf("CMD_WIDTH"));
    EXPECT_EQ(window().width(), kCollapsedWidth);
    EXPECT_EQ(window().left(), collapsedWindow(screen).windowLeft);
    EXPECT_EQ(control("CMD_WIDTH").caption(), ">");
    expectMovedBy(dialog->native(), 0, 96);
}

// At 144 DPI the design client width is 499.5 pixels, so the window cannot be exactly 4995
// twips wide; it must still count as collapsed at its design size, and the first click expands.
TEST_F(Form1WindowTest, DesignSizeCountsAsCollapsedAtOtherDpi) {
    build({.dpi = 144});
    EXPECT_EQ(window().width(), kCollapsedWidth);
    click(hwndOf("CMD_WIDTH"));
    EXPECT_EQ(control("CMD_WIDTH").caption(), "<");
    EXPECT_GT(window().width(), kCollapsedWidth);

    click(hwndOf("CMD_WIDTH"));
    EXPECT_EQ(control("CMD_WIDTH").caption(), ">");
    EXPECT_EQ(window().width(), kCollapsedWidth);
    expectMovedBy(dialog->native(), 0, 144);
    click(hwndOf("CMD_WIDTH"));
    EXPECT_EQ(control("CMD_WIDTH").caption(), "<");
}

// The Browse button pops its menu up at its own corner plus 50 twips; the chosen item's
// command runs (here "Add Folders...", the second item, chosen with the keyboard).
TEST_F(Form1WindowTest, BrowseMenuPopsUpAtTheButtonAndRunsTheChosenItem) {
    build();
    combo().setText("-x ");
    folderPicker.answers = {"D:\\Data"};
    RECT menu{};
    std::atomic<bool> done{false};
    std::thread user([&] {
        for (int i = 0; i < 200 && !done; ++i) {
            if (HWND popup = FindWindowW(L"#32768", nullptr); popup && IsWindowVisible(popup)) {
                GetWindowRect(popup, &menu);
                for (UINT vk : {VK_DOWN, VK_DOWN, VK_RETURN})
                    PostMessageW(dialog->hwnd(), WM_KEYDOWN, vk, 0);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
    });
    click(hwndOf("CMD_Browse"));
    done = true;
    user.join();

    POINT corner{win::twipsToPixels(3450 + 50, 96), win::twipsToPixels(870 + 50, 96)};
    ClientToScreen(dialog->hwnd(), &corner);
    EXPECT_EQ(menu.left, corner.x);
    EXPECT_EQ(menu.top, corner.y);
    EXPECT_EQ(folderPicker.prompts, std::vector<std::string>{"Select Folder..."});
    EXPECT_EQ(combo().text(), "-x D:\\Data");
}

TEST_F(Form1WindowTest, DropsAddOnlyTheFirstPathAndPressNothing) {
    build();
    combo().setText("-c ");
    const std::vector<std::wstring> three = {L"C:\\Tools\\conv.cfg", L"C:\\b.txt", L"C:\\c.txt"};
    dropFiles(hwndOf("cmbArg"), three);
    EXPECT_EQ(combo().text(), "-c C:\\Tools\\conv.cfg");

    dropFiles(edit(), {L"D:\\My Files\\a b.txt"});
    dropFiles(hwndOf("CMD_OK"), three);
    dropFiles(hwndOf("Check1"), three);
    dropFiles(dialog->hwnd(), three);
    EXPECT_EQ(combo().text(),
              "-c C:\\Tools\\conv.cfgD:\\My Files\\a b.txtC:\\Tools\\conv.cfg"
              "C:\\Tools\\conv.cfgC:\\Tools\\conv.cfg");
    EXPECT_TRUE(shell.requests.empty());
    EXPECT_EQ(host.ended, 0);
    EXPECT_EQ(dialog->native().checkBox("Check1").value(), 0);

    std::string before = combo().text();
    dropFiles(dialog->hwnd(), {});  // drop data without any file
    EXPECT_EQ(combo().text(), before);

    // The Browse button takes a drop like its neighbours and does not open its menu.
    dropFiles(hwndOf("CMD_Browse"), {L"E:\\x.txt"});
    EXPECT_EQ(combo().text(), before + "E:\\x.txt");
    EXPECT_TRUE(folderPicker.prompts.empty());

    // The label and the other buttons take drops too, and none of them acts: no unload, no
    // settings window, no change of width.
    const int width = dialog->native().window().width();
    for (const char* name : {"Label1", "CMD_Cancel", "CMD_About", "CMD_WIDTH"}) {
        SCOPED_TRACE(name);
        before = combo().text();
        dropFiles(hwndOf(name), {L"F:\\y.txt", L"F:\\z.txt"});
        EXPECT_EQ(combo().text(), before + "F:\\y.txt");
    }
    EXPECT_EQ(host.dialogUnloads, 0);
    EXPECT_EQ(host.settingsShown, 0);
    EXPECT_EQ(dialog->native().window().width(), width);
    EXPECT_EQ(control("CMD_WIDTH").caption(), ">");
}

}  // namespace
}  // namespace tarvo::test

namespace tarvo::test {
namespace {

BOOL CALLBACK toolTipOwnedBy(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<std::pair<HWND, HWND>*>(lp);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0 && GetWindow(hwnd, GW_OWNER) == search->first) {
        search->second = hwnd;
        return FALSE;
    }
    return TRUE;
}

TEST_F(Form1WindowTest, ExpandButtonsToolTipIsInPlaceWhenThePointerComes) {
    build();
    const HWND form = reinterpret_cast<HWND>(window().nativeHandle());
    const HWND expand = hwndOf("CMD_WIDTH");
    // The pointer over the button: the button asks its parent for the cursor first.
    SendMessageW(form, WM_SETCURSOR, reinterpret_cast<WPARAM>(expand),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    std::pair<HWND, HWND> search{form, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), toolTipOwnedBy, reinterpret_cast<LPARAM>(&search));
    ASSERT_NE(search.second, nullptr);
    EXPECT_EQ(SendMessageW(search.second, TTM_GETTOOLCOUNT, 0, 0), 1);
    wchar_t text[80] = {};
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = form;
    info.uId = reinterpret_cast<UINT_PTR>(expand);
    info.lpszText = text;
    SendMessageW(search.second, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(text, L"Expand");
}

}  // namespace
}  // namespace tarvo::test

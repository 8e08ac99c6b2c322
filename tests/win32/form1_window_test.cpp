// The argument dialog on real Win32 controls: its layout, typing with completion, Enter and
// Esc through the message loop, expand and collapse, and drops.
#include "frontend/win32/form1_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "dialog/form1_layout.h"
#include "doubles/fake_services.h"
#include "frontend/win32/dpi.h"
#include "frontend/win32/win_controls.h"
#include "settings/frm_settings.h"
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

// Typed letters keep their case; only the rest comes from the entry, so what OK runs is
// what was typed.
TEST_F(Form1WindowTest, TypedLettersKeepTheirCaseAndOnlyTheRestIsCompleted) {
    buildWithHistory();
    typeChar(edit(), L'R');
    EXPECT_EQ(combo().text(), "Readme.txt");
    EXPECT_EQ(combo().selStart(), 1);
    EXPECT_EQ(combo().selLength(), 9);  // "eadme.txt"
    typeChar(edit(), L'U');
    EXPECT_EQ(combo().text(), "RUn.log");
    EXPECT_EQ(combo().selStart(), 2);
    pressKey(edit(), VK_DELETE);
    pressKey(edit(), VK_RETURN);
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_EQ(shell.requests[0].parameters.value_or("<none>"), "RU");
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

// The modifier keys as the thread's key state holds them while OK is pressed.
class HeldKeys {
  public:
    explicit HeldKeys(std::initializer_list<int> keys) {
        GetKeyboardState(saved_);
        BYTE state[256];
        GetKeyboardState(state);
        for (int vk : keys) state[vk] = 0x80;
        SetKeyboardState(state);
    }
    ~HeldKeys() { SetKeyboardState(saved_); }

  private:
    BYTE saved_[256];
};

// Ctrl+Shift with Enter or with a click on OK asks for the elevated launch; Ctrl or Shift
// alone is a plain OK. A refused elevation prompt leaves the dialog open with its text.
TEST_F(Form1WindowTest, CtrlShiftWithOkRunsElevated) {
    buildWithHistory();
    shell.result = ShellResult::cancelled();
    combo().setText("-x");
    {
        HeldKeys held{VK_CONTROL, VK_SHIFT};
        pressKey(edit(), VK_RETURN);
    }
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_EQ(shell.requests[0].verb, "runas");
    EXPECT_EQ(host.ended, 0);
    EXPECT_TRUE(IsWindowVisible(dialog->hwnd()));
    EXPECT_EQ(combo().text(), "-x");
    EXPECT_TRUE(host.messages.empty());

    {
        HeldKeys held{VK_CONTROL, VK_SHIFT};
        SendMessageW(hwndOf("CMD_OK"), BM_CLICK, 0, 0);
        pump();
    }
    ASSERT_EQ(shell.requests.size(), 2u);
    EXPECT_EQ(shell.requests[1].verb, "runas");

    shell.result = ShellResult::started();
    {
        HeldKeys held{VK_SHIFT};
        pressKey(edit(), VK_RETURN);
    }
    ASSERT_EQ(shell.requests.size(), 3u);
    EXPECT_FALSE(shell.requests[2].verb.has_value());
    EXPECT_EQ(host.ended, 1);
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

// Presses the focused control's key, as the keyboard would deliver it to whatever has the focus.
void pressOnFocus(UINT vk) {
    pressKey(GetFocus(), vk);
}

// The edit field's selection, in UTF-16 units.
std::pair<DWORD, DWORD> selectionOf(HWND edit) {
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

// Presses the focused Browse button with the space bar and picks the menu's item with the
// arrow keys and Enter (the first Down marks the first item; the separator is passed over).
void chooseFromBrowseMenu(HWND dialog, int downs) {
    std::atomic<bool> done{false};
    std::thread user([&] {
        for (int i = 0; i < 200 && !done; ++i) {
            if (HWND popup = FindWindowW(L"#32768", nullptr); popup && IsWindowVisible(popup)) {
                for (int k = 0; k < downs; ++k) PostMessageW(dialog, WM_KEYDOWN, VK_DOWN, 0);
                PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
    });
    pressOnFocus(VK_SPACE);
    done = true;
    user.join();
}

// After each Browse command the keyboard is back in the argument box, the caret at the end:
// typing "-o out" goes on the text instead of pressing "&OK" through its access key.
TEST_F(Form1WindowTest, BrowseCommandsGiveTheKeyboardBackToTheArgumentBox) {
    build();
    filePicker.answers = {PickedFile{"C:\\a.txt", "a.txt"}, PickedFile{"C:\\b.txt", "b.txt"}};
    folderPicker.answers = {"D:\\Data", "E:\\"};
    const struct {
        int downs;
        const char* text;
    } commands[] = {{1, "C:\\a.txt"}, {2, "C:\\a.txtD:\\Data"}, {3, "C:\\b.txt"}, {4, "E:\\"},
                    {1, "E:\\"}};  // the last pick is cancelled
    for (const auto& command : commands) {
        SCOPED_TRACE(command.downs);
        for (int i = 0; i < 4; ++i) pressOnFocus(VK_TAB);  // cmbArg, Check1, OK, Cancel, Browse
        ASSERT_EQ(GetFocus(), hwndOf("CMD_Browse"));
        chooseFromBrowseMenu(dialog->hwnd(), command.downs);
        EXPECT_EQ(combo().text(), command.text);
        ASSERT_EQ(GetFocus(), edit());
        const auto end = static_cast<DWORD>(win::widen(combo().text()).size());
        EXPECT_EQ(selectionOf(edit()), std::make_pair(end, end));
    }
    typeText(GetFocus(), L" -o out");
    EXPECT_EQ(combo().text(), "E:\\ -o out");
    EXPECT_TRUE(shell.requests.empty());

    // A menu closed without a choice leaves the keyboard on the button.
    for (int i = 0; i < 4; ++i) pressOnFocus(VK_TAB);
    std::thread user([&] {
        for (int i = 0; i < 200; ++i) {
            if (HWND popup = FindWindowW(L"#32768", nullptr); popup && IsWindowVisible(popup)) {
                PostMessageW(dialog->hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
    });
    pressOnFocus(VK_SPACE);
    user.join();
    EXPECT_EQ(GetFocus(), hwndOf("CMD_Browse"));
    EXPECT_EQ(host.dialogUnloads, 0);
}

// A drop and the settings window's hand-back also leave the keyboard in the argument box with
// the caret at the end, wherever it was before.
TEST_F(Form1WindowTest, DropsAndTheHandBackGiveTheKeyboardBackToTheArgumentBox) {
    build();
    combo().setText("-c ");
    pressOnFocus(VK_TAB);
    ASSERT_EQ(GetFocus(), hwndOf("Check1"));
    dropFiles(hwndOf("Check1"), {L"C:\\Tools\\conv.cfg"});
    EXPECT_EQ(GetFocus(), edit());
    EXPECT_EQ(selectionOf(edit()), std::make_pair(DWORD{20}, DWORD{20}));
    typeText(GetFocus(), L" -o");
    EXPECT_EQ(combo().text(), "-c C:\\Tools\\conv.cfg -o");
    EXPECT_EQ(dialog->native().checkBox("Check1").value(), 0);

    // "?" hides the dialog for the settings window, whose unload shows it again.
    for (int i = 0; i < 5; ++i) pressOnFocus(VK_TAB);
    ASSERT_EQ(GetFocus(), hwndOf("CMD_About"));
    pressOnFocus(VK_SPACE);
    ASSERT_EQ(host.settingsShown, 1);
    ASSERT_FALSE(IsWindowVisible(dialog->hwnd()));
    Form1Link(dialog->form1()).show();
    pump();
    EXPECT_TRUE(IsWindowVisible(dialog->hwnd()));
    EXPECT_EQ(GetFocus(), edit());
    EXPECT_EQ(selectionOf(edit()), std::make_pair(DWORD{23}, DWORD{23}));
    // The default button is OK again: Enter launches.
    EXPECT_EQ(GetWindowLongW(hwndOf("CMD_OK"), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(GetWindowLongW(hwndOf("CMD_About"), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
}

// Esc with the history list dropped down closes the list and keeps the typed text; with the
// list closed it closes the dialog, as before.
TEST_F(Form1WindowTest, EscClosesADroppedListFirstThenTheDialog) {
    buildWithHistory();
    typeText(edit(), L"xy");
    pressKey(edit(), VK_F4);
    ASSERT_TRUE(SendMessageW(hwndOf("cmbArg"), CB_GETDROPPEDSTATE, 0, 0));
    pressKey(edit(), VK_ESCAPE);
    EXPECT_FALSE(SendMessageW(hwndOf("cmbArg"), CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(host.dialogUnloads, 0);
    EXPECT_EQ(combo().text(), "xy");
    EXPECT_EQ(GetFocus(), edit());

    pressKey(edit(), VK_ESCAPE);
    EXPECT_EQ(host.dialogUnloads, 1);
    EXPECT_TRUE(shell.requests.empty());
}

// The list drops down as wide as its widest item, never narrower than the box and never wider
// than the screen.
TEST_F(Form1WindowTest, DroppedListIsAsWideAsItsWidestItem) {
    const std::string base = "C:\\Very Long Folder Name\\" + std::string(60, 'n') + "\\";
    temp.write("MRU.INI", "[run.exe]\r\n0=0\r\n1=" + base + "end-one.txt\r\n2=" + base +
                              "end-two.txt\r\n3=short\r\n");
    build();
    dialog->form1().setTargetPath(kTarget);
    dialog->form1().LoadTarget();
    HWND box = hwndOf("cmbArg");
    RECT boxRect{};
    GetWindowRect(box, &boxRect);
    const int boxWidth = boxRect.right - boxRect.left;

    pressKey(edit(), VK_F4);
    ASSERT_TRUE(SendMessageW(box, CB_GETDROPPEDSTATE, 0, 0));
    HDC dc = GetDC(box);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
    SIZE text{};
    const std::wstring widest = win::widen(base + "end-one.txt");
    GetTextExtentPoint32W(dc, widest.c_str(), static_cast<int>(widest.size()), &text);
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    const auto dropped = static_cast<int>(SendMessageW(box, CB_GETDROPPEDWIDTH, 0, 0));
    EXPECT_GT(dropped, boxWidth);
    EXPECT_GE(dropped, text.cx);
    EXPECT_LE(dropped, text.cx + 40);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    GetComboBoxInfo(box, &info);
    RECT listRect{};
    GetWindowRect(info.hwndList, &listRect);
    EXPECT_EQ(listRect.right - listRect.left, dropped);
    pressKey(edit(), VK_ESCAPE);

    // Longer than the screen: as wide as the screen.
    combo().addItem(std::string(2000, 'w'));
    pressKey(edit(), VK_F4);
    EXPECT_EQ(SendMessageW(box, CB_GETDROPPEDWIDTH, 0, 0), GetSystemMetrics(SM_CXSCREEN));
    pressKey(edit(), VK_ESCAPE);

    // Short items: the box's own width.
    combo().clear();
    combo().addItem("a");
    pressKey(edit(), VK_F4);
    EXPECT_EQ(SendMessageW(box, CB_GETDROPPEDWIDTH, 0, 0), boxWidth);
    pressKey(edit(), VK_ESCAPE);
    EXPECT_EQ(host.dialogUnloads, 0);
}

// The label names the file as it is: "&" shown as itself and no access key; a long name stays
// on one line in the label's own place, cut with an ellipsis, whole in the tool tip.
TEST_F(Form1WindowTest, LabelShowsTheFileNameAsItIs) {
    build();
    HWND label = hwndOf("Label1");
    const RECT design = clientRectOf(label);
    const LONG style = GetWindowLongW(label, GWL_STYLE);
    EXPECT_TRUE(style & SS_NOPREFIX);
    EXPECT_EQ(style & SS_ELLIPSISMASK, SS_ENDELLIPSIS);

    dialog->form1().setTargetPath("C:\\T\\R&D&Q.bat");
    dialog->form1().LoadTarget();
    EXPECT_EQ(win::windowText(label), "R&D&Q.bat:");
    // Alt+D is no access key of the label: the keyboard stays in the argument box.
    PostMessageW(edit(), WM_SYSCHAR, L'd', static_cast<LPARAM>(1u << 29));
    pump();
    EXPECT_EQ(GetFocus(), edit());
    EXPECT_EQ(control("CMD_WIDTH").caption(), ">");

    auto toolTipText = [&] {
        HWND tip = nullptr;
        while ((tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) != nullptr)
            if (GetWindow(tip, GW_OWNER) == dialog->hwnd()) break;
        std::wstring text(4096, L'\0');
        TTTOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V2_SIZE;
        info.hwnd = dialog->hwnd();
        info.uId = reinterpret_cast<UINT_PTR>(label);
        info.lpszText = text.data();
        SendMessageW(tip, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&info));
        return win::narrow(text.c_str());
    };
    EXPECT_EQ(toolTipText(), "R&D&Q.bat:");

    const std::string longName = std::string(196, 'L') + ".bat";
    dialog->form1().setTargetPath("C:\\T\\" + longName);
    dialog->form1().LoadTarget();
    EXPECT_EQ(win::windowText(label), longName + ":");
    EXPECT_EQ(toolTipText(), longName + ":");
    const RECT now = clientRectOf(label);
    EXPECT_EQ(now.left, design.left);
    EXPECT_EQ(now.top, design.top);
    EXPECT_EQ(now.right, design.right);
    EXPECT_EQ(now.bottom, design.bottom);
}

// The taskbar and Alt+Tab show the program's icon for the dialog; its fixed frame shows none
// in the caption.
TEST_F(Form1WindowTest, TheTaskbarShowsTheProgramsIconTheCaptionNone) {
    build();
    ASSERT_NE(win::NativeForm::programIcon(), nullptr);
    EXPECT_EQ(SendMessageW(dialog->hwnd(), WM_GETICON, ICON_BIG, 0),
              reinterpret_cast<LRESULT>(win::NativeForm::programIcon()));
    EXPECT_EQ(SendMessageW(dialog->hwnd(), WM_GETICON, ICON_SMALL, 0), 0);
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
    // Expand's, OK's (its shortcut) and the file name label's (its whole text).
    EXPECT_EQ(SendMessageW(search.second, TTM_GETTOOLCOUNT, 0, 0), 3);
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

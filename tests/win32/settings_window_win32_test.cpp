// The settings window and the registry on the real Win32 platform: layout at 96 DPI, the
// taller layout without a target, where the window first appears, Enter, Esc and the close
// box, the links, and adding and removing an extension's verb in the real registry.
#include "frontend/win32/settings_window_win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "doubles/fake_controls.h"
#include "doubles/fake_dialog_link.h"
#include "doubles/fake_services.h"
#include "frontend/win32/dpi.h"
#include "frontend/win32/host_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/shell_win32.h"
#include "resources/resource_ids.h"
#include "settings/associations.h"
#include "settings/settings_layout.h"
#include "win32/win32_test_support.h"

namespace tarvo::test {
namespace {

std::optional<std::wstring> registryText(HKEY root, const std::wstring& key) {
    wchar_t buffer[1024];
    DWORD bytes = sizeof buffer;
    if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer, &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

// A file type of this test's own, removed with everything below it at the end.
class ScratchType {
public:
    ScratchType() : name_("TarvoTest.File" + std::to_string(GetTickCount())) {}
    ~ScratchType() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, win::widen(name_).c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + win::widen(name_)).c_str());
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L".tarvotest");
    }
    const std::string& name() const { return name_; }

private:
    std::string name_;
};

TEST(RegistryWin32, DefaultValuesAndDeletionInBothRoots) {
    ScratchType type;
    win::Win32Registry registry;
    const std::string command = type.name() + "\\shell\\Tarvolin\\command";
    const std::string verb = type.name() + "\\shell\\Tarvolin";
    const std::string value = "\"C:\\Pr\xC3\xB6gramme\\Tarvo.exe\" %1";

    for (const RegistryRoot root : {RegistryRoot::ClassesRoot, RegistryRoot::UserClasses}) {
        SCOPED_TRACE(root == RegistryRoot::ClassesRoot ? "classes root" : "user classes");
        EXPECT_EQ(registry.readDefault(root, command), std::nullopt);
        ASSERT_TRUE(registry.writeDefault(root, command, value));
        EXPECT_EQ(registry.readDefault(root, command), value);
        // The keys above were created without a value of their own.
        EXPECT_EQ(registry.readDefault(root, verb), std::nullopt);
        EXPECT_FALSE(registry.deleteKey(root, verb));  // still has its command key
        EXPECT_TRUE(registry.deleteKey(root, command));
        EXPECT_TRUE(registry.deleteKey(root, verb));
        EXPECT_FALSE(registry.deleteKey(root, verb));
        EXPECT_FALSE(registry.deleteKey(root, ""));
    }
    ASSERT_TRUE(registry.writeDefault(RegistryRoot::UserClasses, command, value));
    EXPECT_EQ(registryText(HKEY_CURRENT_USER, L"Software\\Classes\\" + win::widen(command)),
              win::widen(value));
}

// A file type named by an expandable value reads as the system expands it; a value that is
// not text names no file type.
TEST(RegistryWin32, ExpandableDefaultValuesAreExpandedOthersAreNone) {
    ScratchType type;
    win::Win32Registry registry;
    SetEnvironmentVariableW(L"TARVO_TEST_KIND", L"Text");
    const std::wstring expandable = L"%TARVO_TEST_KIND%.File";
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L".tarvotest", nullptr, REG_EXPAND_SZ, expandable.c_str(),
                    static_cast<DWORD>((expandable.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(registry.readDefault(RegistryRoot::ClassesRoot, ".tarvotest"), "Text.File");
    const DWORD number = 7;
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L".tarvotest", nullptr, REG_DWORD, &number, sizeof number);
    EXPECT_EQ(registry.readDefault(RegistryRoot::ClassesRoot, ".tarvotest"), std::nullopt);
    SetEnvironmentVariableW(L"TARVO_TEST_KIND", nullptr);
}

// A file type value "<victim>\0junk" names the key <victim>, as the system reads it: adding
// the verb writes only under <victim>\shell\Tarvolin, and "/cleareg" deletes only that; the
// key keeps its own value. A key name with a NUL or an empty level is refused outright.
TEST(RegistryWin32, ATypeValueWithANulNeverReachesTheNamedKeysOwnValue) {
    ScratchType type;
    WinTempFolder program;
    win::Win32Registry registry;
    const std::wstring victim = win::widen(type.name());
    const std::wstring own = L"the victim's own value";
    RegSetKeyValueW(HKEY_CLASSES_ROOT, victim.c_str(), nullptr, REG_SZ, own.c_str(),
                    static_cast<DWORD>((own.size() + 1) * sizeof(wchar_t)));
    const std::wstring typeValue = victim + std::wstring(L"\0junk", 5);
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L".tarvotest", nullptr, REG_SZ, typeValue.c_str(),
                    static_cast<DWORD>((typeValue.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(registry.readDefault(RegistryRoot::ClassesRoot, ".tarvotest"), type.name());

    FakeListBox items;
    FakeHost host;
    const std::string settings = program.path() + "\\Settings.ini";
    AssociationList list(items, registry, host, nullptr, program.path(), settings);
    ASSERT_TRUE(list.add("tarvotest"));
    EXPECT_EQ(registryText(HKEY_CLASSES_ROOT, victim), own);
    EXPECT_EQ(registryText(HKEY_CLASSES_ROOT, victim + L"\\shell\\Tarvolin\\command"),
              win::widen(verbCommand(program.path())));

    RemoveAllAssociations(registry, program.path());
    EXPECT_EQ(registryText(HKEY_CLASSES_ROOT, victim), own);
    HKEY verb = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CLASSES_ROOT, (victim + L"\\shell\\Tarvolin").c_str(), 0, KEY_READ,
                            &verb),
              ERROR_SUCCESS);

    const std::string withNul = type.name() + std::string("\0x", 2);
    EXPECT_FALSE(registry.writeDefault(RegistryRoot::ClassesRoot, withNul, "x"));
    EXPECT_FALSE(registry.deleteKey(RegistryRoot::ClassesRoot, withNul));
    EXPECT_FALSE(registry.writeDefault(RegistryRoot::ClassesRoot, type.name() + "\\\\x", "x"));
    EXPECT_EQ(registryText(HKEY_CLASSES_ROOT, victim), own);
}

class SettingsWindowWin32 : public ::testing::Test {
protected:
    void SetUp() override { host.folder = temp.path(); }

    void open(const std::string& checkEx) { open(checkEx, host); }
    void open(const std::string& checkEx, Host& withHost) {
        dialog.checkEx = checkEx;
        win::BuildOptions options = win::SettingsWindow::designOptions();
        options.dpi = 96;
        window = std::make_unique<win::SettingsWindow>(
            SettingsServices{withHost, *openWith, registry, dialog}, options);
        window->load();
        pump();
    }
    HWND hwndOf(const std::string& name) { return window->native().find(name)->hwnd(); }
    int px(int twips) { return win::twipsToPixels(twips, 96); }
    // Where a control stands in the client area: a frame's children within their frame.
    POINT designPosition(const ControlSpec& layout) {
        POINT p{px(layout.left), px(layout.top)};
        if (!layout.parent.empty()) {
            const RECT frame = clientRectOf(hwndOf(layout.parent));
            p.x = px(settingsLayout().find(layout.parent)->left + layout.left);
            p.y = frame.top + px(layout.top);
        }
        return p;
    }
    int clientHeight() {
        RECT r{};
        GetClientRect(window->hwnd(), &r);
        return r.bottom;
    }
    void select(int index) {
        SendMessageW(hwndOf("List1"), LB_SETCURSEL, index, 0);
        SendMessageW(window->hwnd(), WM_COMMAND,
                     MAKEWPARAM(GetDlgCtrlID(hwndOf("List1")), LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(hwndOf("List1")));
        pump();
    }

    WinTempFolder temp;
    FakeHost host;
    FakeShell shell;
    Shell* openWith = &shell;  // the shell the window opens its links with
    FakeDialogLink dialog;
    win::Win32Registry registry;
    std::unique_ptr<win::SettingsWindow> window;
};

TEST_F(SettingsWindowWin32, OpenedFromTheDialogControlsStandWhereTheTableSays) {
    open("0");
    EXPECT_EQ(clientHeight(), px(4575));
    for (const ControlSpec& layout : settingsLayout().controls) {
        SCOPED_TRACE(layout.name);
        const RECT r = clientRectOf(hwndOf(layout.name));
        const POINT p = designPosition(layout);
        EXPECT_EQ(r.left, p.x);
        EXPECT_EQ(r.top, p.y);
    }
    EXPECT_FALSE(IsWindowVisible(hwndOf("CMD_RUN")));
    EXPECT_FALSE(IsWindowEnabled(hwndOf("CMD_REMOVE")));
    EXPECT_EQ(win::windowText(hwndOf("Frame1")), " About: ");
    EXPECT_EQ(win::windowText(hwndOf("lbl_MAIL")), "tarvolin@example.com");
    EXPECT_EQ(GetWindow(window->hwnd(), GW_OWNER), nullptr);
}

TEST_F(SettingsWindowWin32, WithoutATargetRunNowTakesTheTop) {
    open("6");
    EXPECT_TRUE(IsWindowVisible(hwndOf("CMD_RUN")));
    EXPECT_EQ(clientHeight(), px(5555 - 300 - 45));
    for (const auto& [name, top] : kNoTargetTops) {
        SCOPED_TRACE(name);
        EXPECT_EQ(clientRectOf(hwndOf(name)).top, px(top));
    }
    // The About frame's children move with it.
    EXPECT_EQ(clientRectOf(hwndOf("lbl_WWW")).top, clientRectOf(hwndOf("Frame1")).top + px(1080));
}

// Tab walks the buttons, the list and the two addresses in the table's order, the frames and
// labels between them left out, whatever order the frames were put in behind their children.
TEST_F(SettingsWindowWin32, TabOrderFollowsTheTable) {
    open("6");
    const char* order[] = {"CMD_OK",   "CMD_RUN",      "List1",    "CMD_ADD", "CMD_REMOVE",
                           "CMD_File", "CMD_ClearAll", "lbl_MAIL", "lbl_WWW", "CMD_OK"};
    for (const char* name : order) EnableWindow(hwndOf(name), TRUE);
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        SCOPED_TRACE(order[i]);
        EXPECT_EQ(GetNextDlgTabItem(window->hwnd(), hwndOf(order[i]), FALSE), hwndOf(order[i + 1]));
    }
}

// The window first appears in the middle of the screen in either layout, the taller one
// included, which the window takes while it loads.
TEST_F(SettingsWindowWin32, EitherLayoutFirstAppearsCentred) {
    for (const char* checkEx : {"0", "6"}) {
        SCOPED_TRACE(checkEx);
        open(checkEx);
        ASSERT_TRUE(IsWindowVisible(window->hwnd()));
        EXPECT_EQ(clientHeight(), px((checkEx[0] == '6' ? 5555 : 4920) - 300 - 45));
        RECT r{};
        GetWindowRect(window->hwnd(), &r);
        EXPECT_NEAR((r.left + r.right) / 2.0, GetSystemMetrics(SM_CXSCREEN) / 2.0, 1.0);
        EXPECT_NEAR((r.top + r.bottom) / 2.0, GetSystemMetrics(SM_CYSCREEN) / 2.0, 1.0);
        window.reset();
    }
}

// Once the user sees the window, a change of its size leaves it where it stands.
TEST_F(SettingsWindowWin32, AShownWindowKeepsItsPlaceWhenItGrows) {
    open("0");
    RECT before{};
    GetWindowRect(window->hwnd(), &before);
    window->native().window().setHeight(5555);
    RECT after{};
    GetWindowRect(window->hwnd(), &after);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(clientHeight(), px(5555 - 300 - 45));
}

TEST_F(SettingsWindowWin32, EnterPressesOkEscDoesNothingAndTheCloseBoxUnloads) {
    open("0");
    pressKey(hwndOf("List1"), VK_ESCAPE);
    EXPECT_EQ(host.settingsUnloads, 0);
    pressKey(hwndOf("List1"), VK_RETURN);
    EXPECT_EQ(host.settingsUnloads, 1);
    SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
    pump();
    EXPECT_EQ(host.settingsUnloads, 2);

    window->unload();
    EXPECT_FALSE(IsWindowVisible(window->hwnd()));
    EXPECT_EQ(dialog.shows, 1);
}

TEST_F(SettingsWindowWin32, LinksGoToTheShellOwnedByTheWindow) {
    open("6");
    click(hwndOf("lbl_MAIL"));
    click(hwndOf("lbl_WWW"));
    ASSERT_EQ(shell.requests.size(), 2u);
    EXPECT_EQ(shell.requests[0].file, "mailto: tarvolin@example.com");
    EXPECT_EQ(shell.requests[1].file, "https://www.example.com/tarvolin");
    EXPECT_EQ(shell.requests[0].owner, &window->native().window());

    // Both links show the same pointer, the program's own.
    HCURSOR pointers[2] = {};
    for (int i = 0; i < 2; ++i) {
        SendMessageW(window->hwnd(), WM_SETCURSOR,
                     reinterpret_cast<WPARAM>(hwndOf(i == 0 ? "lbl_MAIL" : "lbl_WWW")),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        pointers[i] = GetCursor();
    }
    EXPECT_EQ(pointers[0], pointers[1]);
    EXPECT_EQ(pointers[0],
              LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_TARVO_LINK)));
    EXPECT_NE(pointers[0], nullptr);
}

TEST_F(SettingsWindowWin32, AddAndRemoveAnExtensionInTheRealRegistry) {
    ScratchType type;
    RegSetValueW(HKEY_CLASSES_ROOT, L".tarvotest", REG_SZ, win::widen(type.name()).c_str(), 0);
    const std::wstring commandKey = win::widen(type.name()) + L"\\shell\\Tarvolin\\command";
    temp.write("unins000.exe", "MZ");  // an installed copy: removing the last type offers it
    open("0");

    host.inputs = {"tarvotest"};
    click(hwndOf("CMD_ADD"));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(registryText(HKEY_CLASSES_ROOT, commandKey),
              L"\"" + win::widen(temp.path()) + L"\\Tarvo.exe\" %1");
    EXPECT_EQ(SendMessageW(hwndOf("List1"), LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(temp.read("Settings.ini"), "[ASSOCIATION]\r\n0=tarvotest\r\n");

    select(0);
    EXPECT_TRUE(IsWindowEnabled(hwndOf("CMD_REMOVE")));
    host.answers = {MsgResult::Yes, MsgResult::No};
    click(hwndOf("CMD_REMOVE"));
    EXPECT_EQ(registryText(HKEY_CLASSES_ROOT, commandKey), std::nullopt);
    HKEY verb = nullptr;
    EXPECT_NE(
        RegOpenKeyExW(HKEY_CLASSES_ROOT, (win::widen(type.name()) + L"\\shell\\Tarvolin").c_str(),
                      0, KEY_READ, &verb),
        ERROR_SUCCESS);
    EXPECT_EQ(temp.read("Settings.ini"), "[ASSOCIATION]\r\n");
    EXPECT_FALSE(IsWindowEnabled(hwndOf("CMD_REMOVE")));
    ASSERT_EQ(host.messages.size(), 3u);
    EXPECT_EQ(host.messages[2].icon, MsgIcon::Exclamation);

    // An extension the system does not know.
    host.inputs = {"tarvo-unknown"};
    click(hwndOf("CMD_ADD"));
    ASSERT_EQ(host.messages.size(), 4u);
    EXPECT_EQ(host.messages[3].text, kAddFailedMessage);
    EXPECT_EQ(SendMessageW(hwndOf("List1"), LB_GETCOUNT, 0, 0), 0);
}

void pressOnFocus(UINT vk) {
    pressKey(GetFocus(), vk);
}

// Remove, Clear File History and Clear All History each disable the button that was pressed:
// the keyboard moves on to the next enabled control in Tab order first, so Tab, Enter and
// Space keep working without the mouse.
TEST_F(SettingsWindowWin32, DisablingTheFocusedButtonHandsTheKeyboardOn) {
    temp.write("Settings.ini", "[ASSOCIATION]\r\n0=tarvo-a\r\n1=tarvo-b\r\n");
    temp.write("MRU.INI", "[t.exe]\r\n0=0\r\n1=a\r\n[other.exe]\r\n0=1\r\n");
    dialog.fileName = "t.exe";
    open("0");
    ASSERT_EQ(GetFocus(), hwndOf("CMD_OK"));
    pressOnFocus(VK_TAB);
    ASSERT_EQ(GetFocus(), hwndOf("List1"));
    pressOnFocus(VK_DOWN);  // selects the first extension and enables Remove
    ASSERT_TRUE(IsWindowEnabled(hwndOf("CMD_REMOVE")));
    pressOnFocus(VK_TAB);
    pressOnFocus(VK_TAB);
    ASSERT_EQ(GetFocus(), hwndOf("CMD_REMOVE"));

    host.answers = {MsgResult::Yes};
    pressOnFocus(VK_SPACE);
    EXPECT_FALSE(IsWindowEnabled(hwndOf("CMD_REMOVE")));
    EXPECT_EQ(GetFocus(), hwndOf("CMD_File"));

    pressOnFocus(VK_SPACE);  // the target's history goes; another file's stays
    EXPECT_FALSE(IsWindowEnabled(hwndOf("CMD_File")));
    EXPECT_EQ(GetFocus(), hwndOf("CMD_ClearAll"));

    pressOnFocus(VK_SPACE);  // the next stop after Clear All History is the e-mail address
    EXPECT_FALSE(IsWindowEnabled(hwndOf("CMD_ClearAll")));
    EXPECT_EQ(GetFocus(), hwndOf("lbl_MAIL"));
    EXPECT_EQ(temp.read("MRU.INI"), "");

    // The keyboard works on: Tab goes round the web address, OK, the list, Add and both
    // addresses to OK again, and Enter presses OK.
    for (const char* name :
         {"lbl_WWW", "CMD_OK", "List1", "CMD_ADD", "lbl_MAIL", "lbl_WWW", "CMD_OK"}) {
        pressOnFocus(VK_TAB);
        EXPECT_EQ(GetFocus(), hwndOf(name)) << name;
    }
    EXPECT_EQ(host.settingsUnloads, 0);
    pressOnFocus(VK_RETURN);
    EXPECT_EQ(host.settingsUnloads, 1);
}

// The addresses the system's link handler was asked to open, one a line: the test prefix
// (scripts/wine-env.sh) points Wine's browser and mailer at a script that appends them to the
// file named by TARVO_BROWSER_LOG (a Unix path, reached through drive Z:).
class BrowserLog {
public:
    BrowserLog() {
        wchar_t unix[MAX_PATH] = {};
        if (GetEnvironmentVariableW(L"TARVO_BROWSER_LOG", unix, MAX_PATH) == 0) return;
        path_ = L"Z:" + std::wstring(unix);
        for (wchar_t& c : path_)
            if (c == L'/') c = L'\\';
        skip_ = lines().size();
    }
    bool available() const { return !path_.empty(); }
    // The addresses logged since this object was made, once there are `count` of them or
    // the time is up.
    std::vector<std::string> waitFor(std::size_t count) const {
        std::vector<std::string> got;
        for (int i = 0; i < 200; ++i) {
            const std::vector<std::string> all = lines();
            got.assign(all.begin() + static_cast<std::ptrdiff_t>(std::min(skip_, all.size())),
                       all.end());
            if (got.size() >= count) break;
            Sleep(100);
            pump();
        }
        return got;
    }

private:
    std::vector<std::string> lines() const {
        std::vector<std::string> all;
        std::ifstream in{std::filesystem::path(path_)};
        for (std::string line; std::getline(in, line);) all.push_back(line);
        return all;
    }
    std::wstring path_;
    std::size_t skip_ = 0;
};

// The addresses are the last tab stops, in the table's order: Tab from Clear All History (the
// last of the others) reaches the e-mail link, then the web link, then OK again. Enter or Space
// on a link opens it through the real shell, as a click does, and never presses OK.
TEST_F(SettingsWindowWin32, TheLinksAreTabStopsOpenedWithEnterOrSpace) {
    BrowserLog log;
    ASSERT_TRUE(log.available()) << "TARVO_BROWSER_LOG is not set: run under scripts/wine-env.sh";
    temp.write("MRU.INI", "[t.exe]\r\n0=0\r\n1=a\r\n");
    dialog.fileName = "t.exe";
    win::WinShell realShell;
    openWith = &realShell;
    open("0");
    ASSERT_EQ(GetFocus(), hwndOf("CMD_OK"));
    // Remove stays disabled (nothing is selected) and Run a File Now hidden: both are passed.
    for (const char* name :
         {"List1", "CMD_ADD", "CMD_File", "CMD_ClearAll", "lbl_MAIL", "lbl_WWW", "CMD_OK"}) {
        pressOnFocus(VK_TAB);
        EXPECT_EQ(GetFocus(), hwndOf(name)) << name;
    }
    for (int i = 0; i < 5; ++i) pressOnFocus(VK_TAB);
    ASSERT_EQ(GetFocus(), hwndOf("lbl_MAIL"));
    // Each key opens the link once; the handler runs apart, so each is awaited in turn.
    // Wine's link handler escapes the blank after "mailto:".
    const std::string mail = "mailto:%20tarvolin@example.com";
    const std::string web = "https://www.example.com/tarvolin";
    std::vector<std::string> opened;
    for (const UINT key : {VK_RETURN, VK_SPACE}) {
        pressOnFocus(key);
        opened.push_back(mail);
        ASSERT_EQ(log.waitFor(opened.size()), opened) << "key " << key;
    }
    pressOnFocus(VK_TAB);
    ASSERT_EQ(GetFocus(), hwndOf("lbl_WWW"));
    for (const UINT key : {VK_RETURN, VK_SPACE}) {
        pressOnFocus(key);
        opened.push_back(web);
        ASSERT_EQ(log.waitFor(opened.size()), opened) << "key " << key;
    }
    EXPECT_EQ(host.settingsUnloads, 0);  // Enter opened the link, not OK
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(GetFocus(), hwndOf("lbl_WWW"));
}

// The link's pixels as the screen shows them once it has painted what was invalid: a change
// that shows on screen must have made the link paint itself anew.
std::vector<COLORREF> pixelsOf(HWND control) {
    UpdateWindow(control);
    RECT r{};
    GetClientRect(control, &r);
    HDC screen = GetDC(control);
    HDC copy = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
    const HGDIOBJ old = SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, r.right, r.bottom, screen, 0, 0, SRCCOPY);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x) pixels.push_back(GetPixel(copy, x, y));
    SelectObject(copy, old);
    DeleteObject(bitmap);
    DeleteDC(copy);
    ReleaseDC(control, screen);
    return pixels;
}

// The width of the control's caption in its own font, pixels.
int textWidth(HWND control) {
    const std::wstring text = win::widen(win::windowText(control));
    HDC dc = GetDC(control);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return extent.cx;
}

// Wine keeps no keyboard-cue state (WM_QUERYUISTATE answers 0 whatever the window was told), so
// the link is made to answer as Windows answers for a window that hides focus rectangles.
LRESULT CALLBACK focusHiddenByWindows(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                      DWORD_PTR hidden) {
    if (msg == WM_QUERYUISTATE && *reinterpret_cast<bool*>(hidden)) return UISF_HIDEFOCUS;
    return DefSubclassProc(hwnd, msg, wp, lp);
}

// A link with the keyboard shows the system's dotted focus rectangle round its text, and only
// while it has the keyboard: the pixels that change lie on one rectangle's outline, as tall as
// the label and as wide as the text. Where the window hides focus rectangles (UISF_HIDEFOCUS:
// Windows starts a window opened with the mouse so) the link looks as without the focus until
// the system says the keyboard was used (WM_UPDATEUISTATE).
TEST_F(SettingsWindowWin32, ALinkWithTheKeyboardShowsAFocusRectangleUnlessTheWindowHidesThem) {
    open("0");
    for (const char* name : {"lbl_MAIL", "lbl_WWW"}) {
        SCOPED_TRACE(name);
        HWND link = hwndOf(name);
        bool hidden = false;
        constexpr UINT_PTR kTestSubclass = 99;
        SetWindowSubclass(link, focusHiddenByWindows, kTestSubclass,
                          reinterpret_cast<DWORD_PTR>(&hidden));
        RECT r{};
        GetClientRect(link, &r);
        SendMessageW(window->hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hwndOf("CMD_OK")),
                     TRUE);
        const std::vector<COLORREF> without = pixelsOf(link);
        SendMessageW(window->hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(link), TRUE);
        ASSERT_EQ(GetFocus(), link);
        const std::vector<COLORREF> with = pixelsOf(link);

        RECT changed{r.right, r.bottom, -1, -1};
        std::vector<POINT> points;
        for (int y = 0; y < r.bottom; ++y)
            for (int x = 0; x < r.right; ++x)
                if (with[y * r.right + x] != without[y * r.right + x]) {
                    points.push_back({x, y});
                    changed = {std::min<LONG>(changed.left, x), std::min<LONG>(changed.top, y),
                               std::max<LONG>(changed.right, x), std::max<LONG>(changed.bottom, y)};
                }
        ASSERT_FALSE(points.empty()) << "no focus rectangle";
        for (const POINT& p : points)
            EXPECT_TRUE(p.x == changed.left || p.x == changed.right || p.y == changed.top ||
                        p.y == changed.bottom)
                << p.x << "," << p.y << " inside the rectangle";
        // A dotted line on each side: the outline spans the label's height and the text's width.
        EXPECT_EQ(changed.top, 0);
        EXPECT_EQ(changed.bottom, r.bottom - 1);
        EXPECT_LE(changed.left, 1);
        const int right = std::min<int>(textWidth(link), r.right) - 1;
        EXPECT_GE(changed.right, right - 1);
        EXPECT_LE(changed.right, right);

        hidden = true;
        SendMessageW(link, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
        EXPECT_EQ(pixelsOf(link), without) << "a hidden focus rectangle is drawn";
        hidden = false;
        SendMessageW(link, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        EXPECT_EQ(pixelsOf(link), with);
        pressOnFocus(VK_TAB);  // the link lets go of the keyboard and draws no rectangle
        EXPECT_NE(GetFocus(), link);
        EXPECT_EQ(pixelsOf(link), without);
        RemoveWindowSubclass(link, focusHiddenByWindows, kTestSubclass);
    }
}

// Answers the modal boxes the settings window opens, one after the other, from another thread
// as a user at the keyboard would: the input box with a text and OK, or Cancel; a message box
// with its button.
class BoxAnswers {
public:
    struct Answer {
        std::wstring input;  // typed into the input box; empty: Cancel
        bool isInputBox = true;
    };
    BoxAnswers(HWND owner, std::vector<Answer> answers)
        : owner_(owner), answers_(std::move(answers)), thread_([this] { run(); }) {}
    ~BoxAnswers() {
        stop_ = true;
        thread_.join();
    }
    int answered() const { return answered_; }
    std::vector<std::wstring> messages() {
        std::lock_guard<std::mutex> lock(mutex_);
        return messages_;
    }

private:
    static BOOL CALLBACK collectText(HWND child, LPARAM lp) {
        auto* texts = reinterpret_cast<std::wstring*>(lp);
        wchar_t buffer[512] = {};
        GetWindowTextW(child, buffer, 512);
        *texts += buffer;
        *texts += L"|";
        return TRUE;
    }
    HWND openBox() const {
        HWND w = nullptr;
        while ((w = FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr)
            if (GetWindow(w, GW_OWNER) == owner_ && IsWindowVisible(w)) return w;
        return nullptr;
    }
    void run() {
        for (const Answer& a : answers_) {
            HWND box = nullptr;
            while (!stop_ && !(box = openBox())) Sleep(20);
            if (stop_) return;
            Sleep(50);  // drawn and ready
            std::wstring texts;
            EnumChildWindows(box, collectText, reinterpret_cast<LPARAM>(&texts));
            {
                std::lock_guard<std::mutex> lock(mutex_);
                messages_.push_back(texts);
            }
            if (a.isInputBox && !a.input.empty()) SetDlgItemTextW(box, 101, a.input.c_str());
            ++answered_;  // counted before the box can close and the window's thread go on
            PostMessageW(box, WM_COMMAND, a.isInputBox && a.input.empty() ? IDCANCEL : IDOK, 0);
            while (!stop_ && IsWindow(box)) Sleep(20);
        }
    }
    HWND owner_;
    std::vector<Answer> answers_;
    std::atomic<bool> stop_{false};
    std::atomic<int> answered_{0};
    std::mutex mutex_;
    std::vector<std::wstring> messages_;
    std::thread thread_;
};

// When the input box of "&Add" closes (OK, Cancel, or the message for an unknown extension
// after it), the keyboard is back on "&Add" and Enter presses "&Add", not OK: the default
// button follows the focus. Enter presses OK only where no push button has the focus.
TEST_F(SettingsWindowWin32, EnterAfterTheInputBoxPressesTheFocusedButton) {
    int unloads = 0;
    win::WinHost realHost(win::WinHost::Windows{nullptr, nullptr, [&] { ++unloads; }});
    open("0", realHost);
    HWND add = hwndOf("CMD_ADD");
    auto isDefault = [](HWND button) {
        return (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    };
    BoxAnswers boxes(window->hwnd(),
                     {{L""}, {L"tarvo-unknown"}, {L"", false}, {L""}});

    PostMessageW(GetFocus(), WM_SYSCHAR, L'a', static_cast<LPARAM>(1u << 29));  // Alt+A
    pump();
    ASSERT_EQ(boxes.answered(), 1);
    EXPECT_EQ(GetFocus(), add);
    EXPECT_TRUE(isDefault(add));
    EXPECT_FALSE(isDefault(hwndOf("CMD_OK")));

    pressOnFocus(VK_RETURN);  // Add again: an unknown extension, then its message
    ASSERT_EQ(boxes.answered(), 3);
    EXPECT_NE(boxes.messages().at(2).find(L"Windows is not set to handle this file extension"),
              std::wstring::npos);
    EXPECT_EQ(GetFocus(), add);
    EXPECT_TRUE(isDefault(add));
    EXPECT_EQ(unloads, 0);

    pressOnFocus(VK_RETURN);
    ASSERT_EQ(boxes.answered(), 4);
    EXPECT_EQ(GetFocus(), add);
    EXPECT_EQ(unloads, 0);

    // Tab: Clear File History (the window was opened from the dialog), the two addresses, OK,
    // the list.
    for (int i = 0; i < 5; ++i) pressOnFocus(VK_TAB);
    ASSERT_EQ(GetFocus(), hwndOf("List1"));
    EXPECT_TRUE(isDefault(hwndOf("CMD_OK")));
    EXPECT_FALSE(isDefault(add));
    pressOnFocus(VK_RETURN);
    EXPECT_EQ(unloads, 1);
}

// A read-only MRU.INI refuses both clears: each says so, naming the file, and the file, the
// dialog's history and both buttons stay as they were.
TEST_F(SettingsWindowWin32, AReadOnlyHistoryFileRefusesBothClearsAndSaysSo) {
    const std::string before = "[a.exe]\r\n0=1\r\n1=-x\r\n";
    temp.write("MRU.INI", before);
    const std::wstring mru = temp.file("MRU.INI").wstring();
    SetFileAttributesW(mru.c_str(), FILE_ATTRIBUTE_READONLY);
    dialog.fileName = "a.exe";
    open("1");
    ASSERT_TRUE(IsWindowEnabled(hwndOf("CMD_ClearAll")));
    ASSERT_TRUE(IsWindowEnabled(hwndOf("CMD_File")));

    click(hwndOf("CMD_ClearAll"));
    click(hwndOf("CMD_File"));
    SetFileAttributesW(mru.c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_EQ(temp.read("MRU.INI"), before);
    ASSERT_EQ(host.messages.size(), 2u);
    for (const auto& m : host.messages)
        EXPECT_NE(m.text.find(temp.path() + "\\MRU.INI"), std::string::npos) << m.text;
    EXPECT_EQ(dialog.mruClears, 0);
    EXPECT_TRUE(IsWindowEnabled(hwndOf("CMD_ClearAll")));
    EXPECT_TRUE(IsWindowEnabled(hwndOf("CMD_File")));
}

}  // namespace
}  // namespace tarvo::test

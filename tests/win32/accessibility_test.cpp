// What a screen reader hears from both windows: the names and roles the system's accessibility
// layer (oleacc) gives their controls, asked in this process as a client would ask; where
// Wine's oleacc reads less than Windows' does, what Windows builds those readings from: the
// label just before a control in z-order, and the annotations set. Also the links' colour in
// any colour scheme, and every caption whole at 200 %.
#include <gtest/gtest.h>

// clang-format off
#include <windows.h>
#include <oleacc.h>
// clang-format on

#include <cctype>
#include <memory>
#include <tuple>
#include <utility>
#include <string>
#include <vector>

#include "dialog/form1_layout.h"
#include "doubles/fake_dialog_link.h"
#include "doubles/fake_services.h"
#include "frontend/win32/form1_window.h"
#include "frontend/win32/settings_window_win32.h"
#include "platform/win32/registry_win32.h"
#include "settings/settings_layout.h"
#include "win32/win32_test_support.h"

namespace tarvo::test {
namespace {

// The name and role oleacc gives the window's client object; empty and 0 when it gives none.
struct Reading {
    std::string name;
    long role = 0;
};

// IAccessible's interface id, spelt out: the import library's symbol is not the one Wine's
// oleacc answers to.
constexpr GUID kAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

Reading readingOf(HWND hwnd) {
    Reading r;
    IAccessible* acc = nullptr;
    if (FAILED(AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, kAccessible,
                                          reinterpret_cast<void**>(&acc))) ||
        !acc)
        return r;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    if (acc->get_accName(self, &name) == S_OK && name) {
        r.name = win::narrow(std::wstring(name, SysStringLen(name)));
        SysFreeString(name);
    }
    VARIANT role{};
    if (acc->get_accRole(self, &role) == S_OK && role.vt == VT_I4) r.role = role.lVal;
    acc->Release();
    return r;
}

class Accessibility : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        host.folder = temp.path();
    }
    void TearDown() override {
        dialog.reset();
        settings.reset();
        CoUninitialize();
    }

    void openDialog(win::BuildOptions options = {}) {
        dialog = std::make_unique<win::Form1Window>(
            Form1Services{host, shell, filePicker, folderPicker}, options);
        dialog->form1().setTargetPath("C:\\Tools\\run.sh");
        dialog->form1().LoadTarget();
        dialog->native().show();
        pump();
    }
    void openSettings(win::BuildOptions options = win::SettingsWindow::designOptions()) {
        link.checkEx = "6";
        settings = std::make_unique<win::SettingsWindow>(
            SettingsServices{host, shell, registry, link}, options);
        settings->load();
        pump();
    }
    HWND inDialog(const std::string& name) { return dialog->native().find(name)->hwnd(); }
    HWND inSettings(const std::string& name) { return settings->native().find(name)->hwnd(); }

    WinTempFolder temp;
    FakeHost host;
    FakeShell shell;
    FakeFilePicker filePicker;
    FakeFolderPicker folderPicker;
    FakeDialogLink link;
    win::Win32Registry registry;
    std::unique_ptr<win::Form1Window> dialog;
    std::unique_ptr<win::SettingsWindow> settings;
};

// A caption as the system reads it for a name: "&" marks an access key and "&&" is one "&".
std::string spoken(const std::string& caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

bool hasLetter(const std::string& text) {
    for (const unsigned char c : text)
        if (std::isalpha(c) || c >= 0x80) return true;
    return false;
}

// The name Windows' rule gives a control: the annotation's where there is one; else a button's,
// check box's, frame's or label's own caption; else (a box without a caption) the text of the
// label just before it in z-order, when that window is a label.
std::string windowsName(const win::Annotations& annotations, HWND hwnd) {
    if (const auto* a = annotations.find(hwnd); a && !a->name.empty()) return a->name;
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    const std::wstring kind = cls;
    if (kind == L"Button" || kind == L"Static") return spoken(win::windowText(hwnd));
    HWND before = GetWindow(hwnd, GW_HWNDPREV);
    if (!before) return {};
    GetClassNameW(before, cls, 32);
    return std::wstring(cls) == L"Static" ? spoken(win::windowText(before)) : std::string();
}

// Wine's oleacc reads a control's own caption as Windows' does, "&" taken out; it reads no
// label before a box, no annotation, and gives every control the role "client" (the edit
// field "text"). What it does read is checked here.
TEST_F(Accessibility, TheSystemReadsEveryCaptionInWords) {
    openDialog();
    openSettings();
    for (const auto& [form, layout] :
         {std::pair{&dialog->native(), &form1Layout()}, std::pair{&settings->native(), &settingsLayout()}}) {
        for (const ControlSpec& c : layout->controls) {
            if (c.caption.empty() || c.kind == ControlKind::ComboBox) continue;
            SCOPED_TRACE(c.name);
            const HWND hwnd = form->find(c.name)->hwnd();
            const std::string shown = win::windowText(hwnd);
            EXPECT_EQ(readingOf(hwnd).name, c.showsData ? shown : spoken(shown));
        }
    }
    EXPECT_EQ(readingOf(inDialog("Check1")).name, "CMD");
    EXPECT_EQ(readingOf(inDialog("CMD_OK")).name, "OK");
    EXPECT_EQ(readingOf(GetWindow(inDialog("cmbArg"), GW_CHILD)).role, ROLE_SYSTEM_TEXT);
}

// Every control of both windows has a name in words by Windows' rule and the annotations:
// the argument box after its purpose and file, "?" as "Settings", ">" by what it does next,
// the list by its frame's caption; the addresses are links.
TEST_F(Accessibility, EveryControlHasANameInWords) {
    openDialog();
    openSettings();
    // A client's question delivers the annotations; before it, nothing was loaded for them.
    EXPECT_FALSE(dialog->native().annotations().delivered());
    readingOf(inDialog("CMD_OK"));
    readingOf(inSettings("CMD_OK"));
    EXPECT_TRUE(dialog->native().annotations().delivered());
    EXPECT_TRUE(settings->native().annotations().delivered());

    const win::Annotations& d = dialog->native().annotations();
    const win::Annotations& s = settings->native().annotations();
    HWND edit = GetWindow(inDialog("cmbArg"), GW_CHILD);
    EXPECT_EQ(windowsName(d, inDialog("cmbArg")), "Arguments for run.sh");
    EXPECT_EQ(windowsName(d, edit), "Arguments for run.sh");
    EXPECT_EQ(windowsName(d, inDialog("CMD_About")), "Settings");
    EXPECT_EQ(windowsName(d, inDialog("CMD_WIDTH")), "More options");
    EXPECT_EQ(windowsName(s, inSettings("List1")), "File Association");
    EXPECT_EQ(windowsName(s, inSettings("Image1")), "Tarvolin");
    for (const char* link : {"lbl_MAIL", "lbl_WWW"}) {
        SCOPED_TRACE(link);
        ASSERT_NE(s.find(inSettings(link)), nullptr);
        EXPECT_EQ(s.find(inSettings(link))->role, ROLE_SYSTEM_LINK);
        EXPECT_TRUE(s.find(inSettings(link))->name.empty()) << "the address is the name";
        EXPECT_EQ(windowsName(s, inSettings(link)), win::windowText(inSettings(link)));
    }
    for (const auto& [annotations, layout, form] :
         {std::tuple{&d, &form1Layout(), &dialog->native()},
          std::tuple{&s, &settingsLayout(), &settings->native()}}) {
        for (const ControlSpec& c : layout->controls) {
            SCOPED_TRACE(c.name);
            EXPECT_TRUE(hasLetter(windowsName(*annotations, form->find(c.name)->hwnd())))
                << windowsName(*annotations, form->find(c.name)->hwnd());
        }
    }
    // Where annotations cannot reach (no annotation service), the argument box is still named
    // after the file by the label just before it; the label is no tab stop, so Tab's order is
    // the table's.
    EXPECT_EQ(GetWindow(inDialog("cmbArg"), GW_HWNDPREV), inDialog("Label1"));
    EXPECT_FALSE(GetWindowLongW(inDialog("Label1"), GWL_STYLE) & WS_TABSTOP);
}

// The names follow the state: a file loaded later names the box after it; ">" says what a
// press does next and the annotation changes with its caption, delivered at once.
TEST_F(Accessibility, NamesFollowTheFileAndTheWidth) {
    openDialog();
    readingOf(inDialog("cmbArg"));
    const win::Annotations& d = dialog->native().annotations();
    dialog->form1().setTargetPath("D:\\Other Place\\build & test.cmd");
    dialog->form1().LoadTarget();
    EXPECT_EQ(windowsName(d, inDialog("cmbArg")), "Arguments for build & test.cmd");

    SendMessageW(inDialog("CMD_WIDTH"), BM_CLICK, 0, 0);
    pump();
    EXPECT_EQ(win::windowText(inDialog("CMD_WIDTH")), "<");
    EXPECT_EQ(windowsName(d, inDialog("CMD_WIDTH")), "Fewer options");
    SendMessageW(inDialog("CMD_WIDTH"), BM_CLICK, 0, 0);
    pump();
    EXPECT_EQ(windowsName(d, inDialog("CMD_WIDTH")), "More options");
}

// The links take the system's link colour, which a high-contrast scheme sets as it sets the
// window's: no colour of the program's own. Where a scheme's link colour cannot be read on the
// window's background, the links take the window's text colour.
TEST_F(Accessibility, LinksTakeTheSystemsLinkColour) {
    openSettings();
    const int elements[] = {COLOR_HOTLIGHT, COLOR_BTNFACE, COLOR_BTNTEXT};
    COLORREF before[3];
    for (int i = 0; i < 3; ++i) before[i] = GetSysColor(elements[i]);
    struct Scheme {
        COLORREF link, face, text, shown;
    };
    const Scheme schemes[] = {
        {RGB(0, 102, 204), RGB(240, 240, 240), RGB(0, 0, 0), RGB(0, 102, 204)},  // Windows
        {RGB(255, 255, 0), RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 255, 0)},   // high contrast
        {RGB(224, 224, 224), RGB(245, 245, 245), RGB(0, 0, 0), RGB(0, 0, 0)},      // Wine's light
    };
    for (const Scheme& scheme : schemes) {
        const COLORREF colours[] = {scheme.link, scheme.face, scheme.text};
        SetSysColors(3, elements, colours);
        HDC dc = CreateCompatibleDC(nullptr);
        const auto brush = SendMessageW(settings->hwnd(), WM_CTLCOLORSTATIC,
                                        reinterpret_cast<WPARAM>(dc),
                                        reinterpret_cast<LPARAM>(inSettings("lbl_WWW")));
        EXPECT_EQ(GetTextColor(dc), scheme.shown);
        EXPECT_EQ(GetBkColor(dc), scheme.face);
        EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), GetSysColorBrush(COLOR_BTNFACE));
        DeleteDC(dc);
    }
    SetSysColors(3, elements, before);
}

// The pixels a caption needs on one line in the control's own font.
SIZE textSize(HWND control) {
    const std::wstring text = win::widen(win::windowText(control));
    HDC dc = GetDC(control);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT r{};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {r.right, r.bottom};
}

// At 150 % and 200 % every caption fits its control: buttons with room for their edges, the
// check box beside its box, frames on their border line, labels whole.
TEST_F(Accessibility, EveryCaptionIsWholeAtLargeScales) {
    for (const int dpi : {144, 192}) {
        SCOPED_TRACE(dpi);
        win::BuildOptions dialogOptions;
        dialogOptions.dpi = dpi;
        openDialog(dialogOptions);
        win::BuildOptions settingsOptions = win::SettingsWindow::designOptions();
        settingsOptions.dpi = dpi;
        openSettings(settingsOptions);
        for (const auto& [form, layout] : {std::pair{&dialog->native(), &form1Layout()},
                                           std::pair{&settings->native(), &settingsLayout()}}) {
            for (const ControlSpec& c : layout->controls) {
                if (c.caption.empty() || c.showsData || c.kind == ControlKind::ComboBox) continue;
                SCOPED_TRACE(c.name);
                const HWND hwnd = form->find(c.name)->hwnd();
                RECT box{};
                GetClientRect(hwnd, &box);
                const SIZE need = textSize(hwnd);
                int room = box.right;
                if (c.kind == ControlKind::Button) room -= 2 * MulDiv(3, dpi, 96);
                if (c.kind == ControlKind::CheckBox) room -= MulDiv(13 + 4, dpi, 96);
                if (c.kind == ControlKind::Frame) room -= 2 * MulDiv(8, dpi, 96);
                EXPECT_LE(need.cx, room) << win::windowText(hwnd);
                if (c.kind != ControlKind::Frame) {
                    EXPECT_LE(need.cy, box.bottom);
                }
            }
        }
        dialog.reset();
        settings.reset();
    }
}

}  // namespace
}  // namespace tarvo::test

// The Win32 host: program paths, ending the program, message boxes and the input box.
#include "frontend/win32/host_win32.h"

#include <windows.h>

#include <vector>

#include "platform/controls.h"
#include "platform/win32/win_text.h"

namespace tarvo::win {
namespace {

HWND ownerOf(const Window* owner) {
    return owner ? reinterpret_cast<HWND>(owner->nativeHandle()) : nullptr;
}

// Gives the keyboard back, when a modal box closes, to the owner's control that had it when
// the box opened. The owner's own restore on reactivation moves the focus but leaves the
// default button where it was, so Enter would press OK while the outline sits on another
// button; through the dialog manager the default button follows the focus.
class FocusReturn {
  public:
    explicit FocusReturn(HWND owner) : owner_(owner) {
        HWND focus = GetFocus();
        if (!owner_ || !focus || !IsChild(owner_, focus)) return;
        // The owner's own child (a combo box, not its edit field) is what the dialog manager
        // moves the focus to.
        while (GetParent(focus) != owner_) focus = GetParent(focus);
        control_ = focus;
    }
    ~FocusReturn() {
        if (!control_ || !IsWindow(owner_) || !IsWindowVisible(owner_)) return;
        HWND target = control_;
        if (!IsWindow(target) || !IsWindowEnabled(target) || !IsWindowVisible(target))
            target = GetNextDlgTabItem(owner_, nullptr, FALSE);
        if (target) SendMessageW(owner_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
    }
    FocusReturn(const FocusReturn&) = delete;
    FocusReturn& operator=(const FocusReturn&) = delete;

  private:
    HWND owner_;
    HWND control_ = nullptr;
};

// --- the input box: a dialog template written in memory --------------------------------------

// Builds a DLGTEMPLATE with its items; every item starts on a DWORD boundary.
class TemplateWriter {
  public:
    void header(DWORD style, short cx, short cy, const std::wstring& title, WORD items) {
        dword(style);
        dword(0);  // extended style
        word(items);
        word(0), word(0), word(static_cast<WORD>(cx)), word(static_cast<WORD>(cy));
        word(0);  // no menu
        word(0);  // the dialog class
        text(title);
        word(8);  // DS_SETFONT: point size and face
        text(L"MS Shell Dlg");
    }
    void item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom,
              const std::wstring& caption) {
        align();
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        word(static_cast<WORD>(x)), word(static_cast<WORD>(y));
        word(static_cast<WORD>(cx)), word(static_cast<WORD>(cy));
        word(id);
        word(0xFFFF), word(atom);  // a predefined class by its atom
        text(caption);
        word(0);  // no creation data
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(data_.data()); }

  private:
    void word(WORD w) { data_.push_back(w); }
    void dword(DWORD d) {
        word(LOWORD(d));
        word(HIWORD(d));
    }
    void text(const std::wstring& s) {
        for (wchar_t c : s) word(static_cast<WORD>(c));
        word(0);
    }
    void align() {
        if (data_.size() % 2) word(0);
    }
    std::vector<WORD> data_;
};

constexpr WORD kButtonAtom = 0x0080, kEditAtom = 0x0081, kStaticAtom = 0x0082;
constexpr WORD kPromptId = 100, kEditId = 101;

struct InputBoxState {
    std::wstring prompt;
    std::wstring text;
};

// Where an input box opens unless told otherwise: centred across the screen, a third of the
// way down, on the monitor of its owner (the primary one without an owner).
void placeAtInputBoxPosition(HWND box) {
    HWND owner = GetWindow(box, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(owner ? owner : box, MONITOR_DEFAULTTOPRIMARY),
                         &monitor))
        return;
    const RECT& area = monitor.rcWork;
    RECT r{};
    GetWindowRect(box, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(box, nullptr, area.left + (area.right - area.left - w) / 2,
                 area.top + (area.bottom - area.top - h) / 3, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK inputBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG: {
            auto* state = reinterpret_cast<InputBoxState*>(lp);
            SetWindowLongPtrW(hwnd, DWLP_USER, lp);
            SetDlgItemTextW(hwnd, kPromptId, state->prompt.c_str());
            SetDlgItemTextW(hwnd, kEditId, state->text.c_str());
            HWND edit = GetDlgItem(hwnd, kEditId);
            SendMessageW(edit, EM_SETSEL, 0, -1);
            SetFocus(edit);
            placeAtInputBoxPosition(hwnd);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                auto* state = reinterpret_cast<InputBoxState*>(GetWindowLongPtrW(hwnd, DWLP_USER));
                HWND edit = GetDlgItem(hwnd, kEditId);
                std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
                text.resize(static_cast<std::size_t>(
                    GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
                state->text = text;
                EndDialog(hwnd, IDOK);
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(hwnd, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

std::string modulePath() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) return narrow(std::wstring_view(buf.data(), n));
        buf.resize(buf.size() * 2);  // cut off: try with more room
    }
}

std::string WinHost::programFolder() const {
    const std::string path = modulePath();
    const auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string WinHost::exeName() const {
    const std::string path = modulePath();
    const auto slash = path.find_last_of('\\');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

void WinHost::endProgram() {
    ExitProcess(0);
}

void WinHost::unloadDialog() {
    if (windows_.unloadDialog) windows_.unloadDialog();
}
void WinHost::showSettings() {
    if (windows_.showSettings) windows_.showSettings();
}
void WinHost::unloadSettings() {
    if (windows_.unloadSettings) windows_.unloadSettings();
}

MsgResult WinHost::messageBox(const Window* owner, const std::string& text,
                              const std::string& title, MsgButtons buttons, MsgIcon icon) {
    UINT flags = buttons == MsgButtons::YesNo ? MB_YESNO : MB_OK;
    switch (icon) {
        case MsgIcon::Critical:
            flags |= MB_ICONERROR;
            break;
        case MsgIcon::Question:
            flags |= MB_ICONQUESTION;
            break;
        case MsgIcon::Exclamation:
            flags |= MB_ICONEXCLAMATION;
            break;
        case MsgIcon::None:
            break;
    }
    int r = 0;
    {
        const FocusReturn keep(ownerOf(owner));
        r = MessageBoxW(ownerOf(owner), widen(text).c_str(), widen(title).c_str(), flags);
    }
    if (r == IDYES) return MsgResult::Yes;
    if (r == IDNO) return MsgResult::No;
    return MsgResult::Ok;
}

std::string WinHost::inputBox(const Window* owner, const std::string& prompt,
                              const std::string& title, const std::string& defaultText) {
    // The classic input box: the prompt on the left, OK and Cancel on the right, the edit
    // field across the bottom (dialog units). The prompt comes just before the edit field in
    // the window order, where a screen reader looks for the field's name; the prompt is no
    // tab stop, so Tab still goes OK, Cancel, the field.
    TemplateWriter t;
    t.header(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 240, 78,
             widen(title), 4);
    t.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 183, 7, 50, 14, IDOK, kButtonAtom, L"OK");
    t.item(BS_PUSHBUTTON | WS_TABSTOP, 183, 25, 50, 14, IDCANCEL, kButtonAtom, L"Cancel");
    t.item(SS_LEFT, 7, 7, 170, 44, kPromptId, kStaticAtom, L"");
    t.item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 57, 226, 13, kEditId, kEditAtom, L"");
    InputBoxState state{widen(prompt), widen(defaultText)};
    INT_PTR r = 0;
    {
        const FocusReturn keep(ownerOf(owner));
        r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.get(), ownerOf(owner),
                                    inputBoxProc, reinterpret_cast<LPARAM>(&state));
    }
    return r == IDOK ? narrow(state.text) : std::string();
}

}  // namespace tarvo::win

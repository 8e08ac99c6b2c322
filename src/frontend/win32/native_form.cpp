// The form builder and the window procedure that routes a built form's events by name.
#include "frontend/win32/native_form.h"

// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>
// clang-format on

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "frontend/win32/dpi.h"
#include "platform/win32/lazy_dll.h"
#include "platform/win32/startup_trace.h"
#include "platform/win32/win_text.h"
#include "resources/resource_ids.h"

namespace tarvo::win {
namespace {

constexpr wchar_t kFormProperty[] = L"Tarvolin.NativeForm";
constexpr WORD kFirstControlId = 100;
constexpr UINT_PTR kDropSubclassId = 1;
constexpr UINT_PTR kDataLabelSubclassId = 2;
constexpr UINT_PTR kAccessibleSubclassId = 3;
constexpr UINT_PTR kLinkSubclassId = 4;

// A label showing data answers the dialog manager as no static control: the manager looks
// for access keys in the texts of static controls, and some systems do so even where the
// label shows "&" as itself (SS_NOPREFIX). So a file named "R&D.exe" never moves the focus
// on Alt+D.
LRESULT CALLBACK dataLabelSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                   DWORD_PTR) {
    if (msg == WM_GETDLGCODE) return DefSubclassProc(hwnd, msg, wp, lp) & ~DLGC_STATIC;
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, dataLabelSubclass, id);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

// The keys that open a link that has the keyboard, as they press a button.
bool opensLink(WPARAM key) {
    return key == VK_RETURN || key == VK_SPACE;
}

// The link label's text, the rectangle around it that shows the keyboard focus: as wide as
// the text, never wider than the label, and as tall as the label.
RECT linkFocusRect(HWND hwnd, HDC dc) {
    RECT client{};
    GetClientRect(hwnd, &client);
    const std::wstring text = widen(windowText(hwnd));
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    RECT need{};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need,
              DT_CALCRECT | DT_SINGLELINE | DT_LEFT);
    SelectObject(dc, old);
    if (need.right > 0 && need.right < client.right) client.right = need.right;
    return client;
}

// The static control paints the link; the focus rectangle goes on top while the link has the
// keyboard, unless the window hides focus rectangles (UISF_HIDEFOCUS: a window opened with
// the mouse, until a key is used), as the system's own controls do.
void paintLink(HWND hwnd, HDC dc) {
    DefSubclassProc(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    if (GetFocus() != hwnd) return;
    if (SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) return;
    const RECT focus = linkFocusRect(hwnd, dc);
    // DrawFocusRect inverts every other pixel of the outline through a monochrome pattern,
    // which takes the device context's colours: black and white make it a true inversion,
    // visible on any background (the link's own colours are still selected).
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &focus);
}

// A link label is a tab stop that the keyboard uses as a button: Enter or Space opens it
// (reported to the form as a click), with the focus rectangle round its text. A static control
// takes neither key by itself, and the dialog manager would press the default button on Enter,
// so the link asks for both keys (DLGC_WANTMESSAGE), as the system's own link control does for
// Enter. A key held down opens the link once.
LRESULT CALLBACK linkSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR) {
    switch (msg) {
        case WM_GETDLGCODE: {
            LRESULT code = DefSubclassProc(hwnd, msg, wp, lp);
            if (const auto* m = reinterpret_cast<const MSG*>(lp)) {
                if ((m->message == WM_KEYDOWN && opensLink(m->wParam)) ||
                    (m->message == WM_CHAR && (m->wParam == L'\r' || m->wParam == L' ')))
                    code |= DLGC_WANTMESSAGE;
            }
            return code;
        }
        case WM_KEYDOWN:
            if (!opensLink(wp)) break;
            if ((lp & (1L << 30)) == 0 && (GetKeyState(VK_CONTROL) & 0x8000) == 0)
                SendMessageW(GetParent(hwnd), WM_COMMAND,
                             MAKEWPARAM(GetDlgCtrlID(hwnd), STN_CLICKED),
                             reinterpret_cast<LPARAM>(hwnd));
            return 0;
        case WM_CHAR:
            if (wp == L'\r' || wp == L' ') return 0;  // the key down did the work
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_UPDATEUISTATE: {
            const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
            InvalidateRect(hwnd, nullptr, TRUE);
            return result;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            paintLink(hwnd, dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            paintLink(hwnd, reinterpret_cast<HDC>(wp));
            return 0;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, linkSubclass, id);
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

// An empty dialog template: the window gets the dialog manager's behaviour (default button,
// Tab order, focus keeping) and the controls are created afterwards from the table.
struct alignas(4) EmptyDialogTemplate {
    DLGTEMPLATE header;
    WORD menu = 0;
    WORD windowClass = 0;
    WCHAR title = 0;
};

// Fixed dialog frame with a close box, no minimize or maximize button.
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

std::string fontKey(const FontSpec& f) {
    return f.face + "|" + std::to_string(f.points) + "|" + std::to_string(f.weight) + "|" +
           std::to_string(f.italic) + "|" + std::to_string(f.underline) + "|" +
           std::to_string(f.charset);
}

struct ClassAndStyle {
    const wchar_t* windowClass;
    DWORD style;
    DWORD exStyle;
};

ClassAndStyle classFor(const ControlSpec& c) {
    switch (c.kind) {
        case ControlKind::Label:
            // A label showing data: "&" is a character of the text, never an access key; one
            // line, cut at the end with an ellipsis; SS_NOTIFY lets the mouse reach it, for the
            // tool tip that shows the whole text.
            if (c.showsData)
                return {WC_STATICW, SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS | SS_NOTIFY, 0};
            // Access keys stay on: "&" in a label's caption moves the focus to the next control.
            return {WC_STATICW, SS_LEFT, 0};
        case ControlKind::LinkLabel:
            // A tab stop, so the keyboard reaches it (see linkSubclass).
            return {WC_STATICW, SS_LEFT | SS_NOTIFY | WS_TABSTOP, 0};
        case ControlKind::ComboBox:
            return {WC_COMBOBOXW, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0};
        case ControlKind::CheckBox:
            return {WC_BUTTONW, BS_AUTOCHECKBOX | WS_TABSTOP, 0};
        case ControlKind::Button:
            return {WC_BUTTONW,
                    static_cast<DWORD>((c.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) |
                                       WS_TABSTOP),
                    0};
        case ControlKind::ListBox:
            return {WC_LISTBOXW, LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
        case ControlKind::Frame:
            return {WC_BUTTONW, BS_GROUPBOX, 0};
        case ControlKind::Image:
            return {WC_STATICW, SS_ICON | SS_REALSIZEIMAGE, 0};
    }
    return {WC_STATICW, SS_LEFT, 0};
}

// Widens a plain or link label to its one line of text where the text needs more than the
// table gives it: a face that measures a few pixels wider than the one the table was drawn
// with would otherwise cut off the caption's last letters. Never narrows a label, and leaves
// alone a label tall enough to wrap its text.
void fitLabelToText(WinControl& c, int dpi) {
    if (c.kind() != ControlKind::Label && c.kind() != ControlKind::LinkLabel) return;
    if (c.showsData()) return;  // keeps its size; a text too long is cut with an ellipsis
    const std::wstring text = widen(c.caption());
    if (text.empty()) return;
    HDC dc = GetDC(c.hwnd());
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(c.hwnd(), WM_GETFONT, 0, 0)));
    RECT need{};  // "&" read as the label reads it, an access key
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need,
              DT_CALCRECT | DT_SINGLELINE | DT_LEFT);
    SelectObject(dc, old);
    ReleaseDC(c.hwnd(), dc);
    RECT have{};
    GetClientRect(c.hwnd(), &have);
    if (need.right <= have.right || have.bottom >= 2 * (need.bottom - need.top)) return;
    c.setWidth((need.right * kTwipsPerInch + dpi - 1) / dpi);  // rounded up: not a pixel short
}

// Lets a window take dropped files. This extended style is all DragAcceptFiles sets, so no
// shell32 is needed until a drop comes.
void acceptDrops(HWND hwnd) {
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
}

// The link labels' pointing hand from the program's resources; the system's hand for an
// executable built without it. Cursors loaded from resources are shared: never destroyed.
HCURSOR linkCursor() {
    if (HCURSOR own = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_TARVO_LINK)))
        return own;
    return LoadCursorW(nullptr, IDC_HAND);
}

// How bright a colour looks (relative luminance of sRGB), as contrast ratios are reckoned.
double luminance(COLORREF colour) {
    auto channel = [](BYTE value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(GetRValue(colour)) + 0.7152 * channel(GetGValue(colour)) +
           0.0722 * channel(GetBValue(colour));
}

}  // namespace

COLORREF linkTextColour() {
    const COLORREF link = GetSysColor(COLOR_HOTLIGHT);
    const double a = luminance(link) + 0.05;
    const double b = luminance(GetSysColor(COLOR_BTNFACE)) + 0.05;
    return (a > b ? a / b : b / a) >= 3.0 ? link : GetSysColor(COLOR_BTNTEXT);
}

NativeForm::NativeForm(const FormSpec& layout, BuildOptions options)
    : spec_(layout), options_(options), window_(metrics_) {
    metrics_.frameSide = options.frameSide;
    metrics_.frameTop = options.frameTop;

    EmptyDialogTemplate tmpl{};
    tmpl.header.style = kFormStyle;
    HWND hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &tmpl.header, nullptr,
                                           dialogProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd) throw std::runtime_error("CreateDialogIndirectParamW failed");
    startupMark("dialog window created");
    metrics_.form = hwnd;
    disableDialogDpiScaling(hwnd);
    metrics_.dpi = options.dpi > 0 ? options.dpi : dpiForWindow(hwnd);

    SetWindowTextW(hwnd, widen(spec_.caption).c_str());
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font(spec_.font)), FALSE);
    window_.relayout(spec_.clientWidth, spec_.clientHeight);
    window_.centre();
    if (spec_.acceptsDrops) acceptDrops(hwnd);
    // Every window shows the program's icon in the taskbar and in Alt+Tab, which ask the
    // window for its big icon. A form with an icon of its own sets both icons and shows the
    // small one in its caption. A form without one answers the question for the big icon
    // itself (see handle()) and sets none: a caption draws whatever icon the window holds,
    // the big one scaled down where there is no small one, and a fixed dialog frame shows
    // none. Shared icons belong to the system's cache: never destroyed here.
    if (spec_.hasIcon) {
        auto small =
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TARVO), IMAGE_ICON,
                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED);
        SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
        SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(programIcon()));
    } else {
        // A themed frame would draw the taskbar's icon in the caption all the same; it is
        // told to draw none.
        WTA_OPTIONS hide{WTNCA_NODRAWICON, WTNCA_NODRAWICON};
        // uxtheme is reached at first use, as the minimal dialog's import table has it not.
        static const LazyFunction<decltype(&::SetWindowThemeAttribute)> setThemeAttribute{
            L"uxtheme.dll", "SetWindowThemeAttribute"};
        if (setThemeAttribute) setThemeAttribute(hwnd, WTA_NONCLIENT, &hide, sizeof hide);
    }
    startupMark("caption, form font, size and place, icons");

    // Tab order decides creation order, which is the dialog manager's Tab order; controls
    // without a tab stop come last, as the table lists them.
    std::vector<std::size_t> order(spec_.controls.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int ta = spec_.controls[a].tabIndex, tb = spec_.controls[b].tabIndex;
        if ((ta < 0) != (tb < 0)) return tb < 0;
        return ta < tb;
    });
    for (std::size_t i : order)
        createControl(spec_.controls[i], static_cast<WORD>(kFirstControlId + i));
    startupMark("controls created, with their fonts and tool tips");

    for (const auto& c : controls_) {
        if (c->kind() == ControlKind::Frame)
            // Frames lie behind every other control, so the controls inside them stay on top.
            SetWindowPos(c->hwnd(), HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        for (std::size_t i = 0; i < spec_.controls.size(); ++i)
            if (spec_.controls[i].name == c->name() && spec_.controls[i].defaultButton)
                SendMessageW(hwnd, DM_SETDEFID, kFirstControlId + i, 0);
    }
}

NativeForm::~NativeForm() {
    annotations_.clear();
    if (IsWindow(metrics_.form)) DestroyWindow(metrics_.form);
}

HFONT NativeForm::font(const FontSpec& layout) {
    const std::string key = fontKey(layout);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.get();
    const int height = -static_cast<int>(std::lround(layout.points * metrics_.dpi / 72.0));
    UniqueFont f(CreateFontW(height, 0, 0, 0, layout.weight, layout.italic, layout.underline, FALSE,
                             static_cast<DWORD>(layout.charset), OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             widen(layout.face).c_str()));
    HFONT h = f.get();
    fonts_.emplace(key, std::move(f));
    return h;
}

void NativeForm::createControl(const ControlSpec& layout, WORD id) {
    WinControl* frame = layout.parent.empty() ? nullptr : find(layout.parent);
    const ClassAndStyle cs = classFor(layout);
    DWORD style = WS_CHILD | cs.style;
    if (layout.visible && (!frame || frame->visible())) style |= WS_VISIBLE;
    if (!layout.enabled) style |= WS_DISABLED;
    if (controls_.empty()) style |= WS_GROUP;
    HWND hwnd = CreateWindowExW(
        cs.exStyle, cs.windowClass, widen(layout.caption).c_str(), style, 0, 0, 0, 0, metrics_.form,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) throw std::runtime_error("CreateWindowExW failed for " + layout.name);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font(layout.font)), FALSE);

    std::unique_ptr<WinControl> control;
    switch (layout.kind) {
        case ControlKind::ComboBox:
            control = std::make_unique<WinComboBox>(metrics_, hwnd, layout, frame);
            break;
        case ControlKind::CheckBox:
            control = std::make_unique<WinCheckBox>(metrics_, hwnd, layout, frame);
            break;
        case ControlKind::ListBox:
            control = std::make_unique<WinListBox>(metrics_, hwnd, layout, frame);
            break;
        default:
            control = std::make_unique<WinControl>(metrics_, hwnd, layout, frame);
            break;
    }
    control->relayout({layout.left, layout.top, layout.width, layout.height});
    if (layout.kind == ControlKind::ComboBox) {
        // The edit field's height follows the font; make it the table's height.
        RECT r{};
        GetWindowRect(hwnd, &r);
        const int want = twipsToPixels(layout.height, metrics_.dpi);
        const int field = static_cast<int>(SendMessageW(hwnd, CB_GETITEMHEIGHT, -1, 0));
        if (r.bottom - r.top != want && field > 0)
            SendMessageW(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                         field + want - (r.bottom - r.top));
        control->relayout({layout.left, layout.top, layout.width, layout.height});
    }
    fitLabelToText(*control, metrics_.dpi);

    if (layout.acceptsDrops) {
        const auto ref = reinterpret_cast<DWORD_PTR>(control.get());
        acceptDrops(hwnd);
        SetWindowSubclass(hwnd, dropSubclass, kDropSubclassId, ref);
        if (auto* combo = dynamic_cast<WinComboBox*>(control.get()); combo && combo->edit()) {
            acceptDrops(combo->edit());
            SetWindowSubclass(combo->edit(), dropSubclass, kDropSubclassId, ref);
        }
    }

    // A question of an accessibility client to any window of the form delivers the form's
    // annotations first.
    SetWindowSubclass(hwnd, accessibleSubclass, kAccessibleSubclassId, 0);
    if (auto* combo = dynamic_cast<WinComboBox*>(control.get()); combo && combo->edit())
        SetWindowSubclass(combo->edit(), accessibleSubclass, kAccessibleSubclassId, 0);

    if (!layout.toolTip.empty()) pendingToolTips_.push_back({hwnd, nullptr, layout.toolTip});
    if (layout.kind == ControlKind::LinkLabel)
        SetWindowSubclass(hwnd, linkSubclass, kLinkSubclassId, 0);
    if (layout.showsData) {
        SetWindowSubclass(hwnd, dataLabelSubclass, kDataLabelSubclassId, 0);
        pendingToolTips_.push_back({hwnd, control.get(), {}});
    }
    controls_.push_back(std::move(control));
}

// The tool-tip window is a window of its own; it is made when the pointer first comes over the
// form, not before the first paint, which does not need it. A label that shows data has its
// whole text as its tool tip, as it stands by then, and keeps it up to date from then on.
void NativeForm::createToolTips() {
    if (pendingToolTips_.empty()) return;
    auto pending = std::move(pendingToolTips_);
    pendingToolTips_.clear();
    for (const PendingToolTip& tip : pending) {
        addToolTip(tip.control, tip.wholeText ? tip.wholeText->caption() : tip.text);
        if (tip.wholeText) tip.wholeText->showWholeTextIn(toolTip_);
    }
}

void NativeForm::addToolTip(HWND control, const std::string& text) {
    if (!toolTip_) {
        toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, metrics_.form,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
        // A long text (a file name of 200 characters) wraps onto more lines rather than
        // running off the screen.
        SendMessageW(toolTip_, TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN) / 2);
    }
    std::wstring wide = widen(text);
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;  // accepted by every version of the tool-tip control
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = metrics_.form;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = wide.data();
    SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

HICON NativeForm::programIcon() {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TARVO),
                                         IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                         GetSystemMetrics(SM_CYICON), LR_SHARED));
}

void NativeForm::setImage(const std::string& name, HICON icon) {
    if (WinControl* c = find(name); c && c->kind() == ControlKind::Image)
        SendMessageW(c->hwnd(), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

WinControl* NativeForm::find(const std::string& name) const {
    for (const auto& c : controls_)
        if (c->name() == name) return c.get();
    return nullptr;
}

namespace {
template <typename T>
T& typed(WinControl* c, const std::string& name) {
    auto* t = dynamic_cast<T*>(c);
    if (!t) throw std::logic_error("the form has no control " + name + " of that kind");
    return *t;
}
}  // namespace

Control& NativeForm::control(const std::string& name) const {
    return typed<Control>(find(name), name);
}
ComboBox& NativeForm::comboBox(const std::string& name) const {
    return typed<ComboBox>(find(name), name);
}
CheckBox& NativeForm::checkBox(const std::string& name) const {
    return typed<CheckBox>(find(name), name);
}
ListBox& NativeForm::listBox(const std::string& name) const {
    return typed<ListBox>(find(name), name);
}

WinControl* NativeForm::byId(WORD id) const {
    if (id < kFirstControlId) return nullptr;
    const std::size_t index = id - kFirstControlId;
    if (index >= spec_.controls.size()) return nullptr;
    return find(spec_.controls[index].name);
}

WinControl* NativeForm::byWindow(HWND hwnd) const {
    for (const auto& c : controls_)
        if (c->owns(hwnd)) return c.get();
    return nullptr;
}

NativeForm* NativeForm::fromWindow(HWND hwnd) {
    if (!hwnd) return nullptr;
    HWND root = GetAncestor(hwnd, GA_ROOT);
    return root ? static_cast<NativeForm*>(GetPropW(root, kFormProperty)) : nullptr;
}

bool NativeForm::preTranslate(MSG& msg) {
    const std::shared_ptr<bool> alive = alive_;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && events.keyPreview) {
        // Esc in a combo box whose list is dropped down closes only the list, as in every
        // combo box: the box has the key, untranslated, so no Esc character reaches the preview.
        if (auto* combo = dynamic_cast<WinComboBox*>(byWindow(msg.hwnd));
            combo && combo->droppedDown()) {
            DispatchMessageW(&msg);
            if (*alive && combo->droppedDown())
                SendMessageW(combo->hwnd(), CB_SHOWDROPDOWN, FALSE, 0);
            return true;
        }
        // With key preview Esc is a key press like any other: translated here, it comes back
        // as a character for the preview instead of the dialog manager's Cancel command.
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        return true;
    }
    if (msg.message == WM_CHAR) {
        int key = static_cast<int>(msg.wParam);
        // Half of a surrogate pair is no character of its own: the handlers never see it.
        const bool surrogate = key >= 0xD800 && key <= 0xDFFF;
        if (!surrogate && events.keyPreview) {
            key = events.keyPreview(key);
            if (!*alive || key == 0) return true;
        }
        if (!surrogate) {
            if (WinControl* c = byWindow(msg.hwnd)) {
                auto it = events.keyPress.find(c->name());
                if (it != events.keyPress.end() && it->second) {
                    key = it->second(key);
                    if (!*alive || key == 0) return true;
                }
            }
        }
        msg.wParam = static_cast<WPARAM>(key);
    }
    return IsDialogMessageW(metrics_.form, &msg) != FALSE;
}

INT_PTR CALLBACK NativeForm::dialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<NativeForm*>(lp);
        self->metrics_.form = hwnd;
        SetPropW(hwnd, kFormProperty, self);
        return FALSE;  // the focus is set when the form is shown
    }
    auto* self = static_cast<NativeForm*>(GetPropW(hwnd, kFormProperty));
    if (!self) return FALSE;
    if (msg == WM_NCDESTROY) {
        RemovePropW(hwnd, kFormProperty);
        *self->alive_ = false;
        return FALSE;
    }
    return self->handle(msg, wp, lp);
}

INT_PTR NativeForm::handle(UINT msg, WPARAM wp, LPARAM lp) {
    HWND hwnd = metrics_.form;
    switch (msg) {
        case WM_COMMAND:
            handleCommand(LOWORD(wp), HIWORD(wp));
            return TRUE;
        case WM_DROPFILES:
            handleDrop(reinterpret_cast<HDROP>(wp), "");
            return TRUE;
        case WM_GETOBJECT:
            annotations_.queried();
            return FALSE;  // the system's own accessible object, annotated
        case WM_CLOSE:
            if (events.close) events.close();
            return TRUE;
        case WM_GETICON:
            // The taskbar's and Alt+Tab's icon for a form without an icon of its own.
            if (spec_.hasIcon || wp != ICON_BIG) return FALSE;
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(programIcon()));
            return TRUE;
        case WM_CTLCOLORSTATIC: {
            WinControl* c = byWindow(reinterpret_cast<HWND>(lp));
            if (!c || c->kind() != ControlKind::LinkLabel) return FALSE;
            auto dc = reinterpret_cast<HDC>(wp);
            SetTextColor(dc, linkTextColour());
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_SETCURSOR: {
            // Comes before the pointer's first move over the form or any of its controls is
            // handled, so the tool tips are in place for that move.
            createToolTips();
            WinControl* c = byWindow(reinterpret_cast<HWND>(wp));
            if (!c || c->kind() != ControlKind::LinkLabel) return FALSE;
            SetCursor(linkCursor());
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        case WM_DPICHANGED: {
            if (options_.dpi > 0) return FALSE;
            const auto* suggested = reinterpret_cast<const RECT*>(lp);
            applyDpi(HIWORD(wp));
            SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
            return TRUE;
        }
        default:
            return FALSE;
    }
}

void NativeForm::handleCommand(WORD id, WORD code) {
    WinControl* c = byId(id);
    if (!c) return;
    switch (c->kind()) {
        case ControlKind::Button:
        case ControlKind::CheckBox:
        case ControlKind::LinkLabel:
        case ControlKind::Label:
        case ControlKind::Image:
            // BN_CLICKED and STN_CLICKED are both 0.
            if (code == BN_CLICKED && events.click) events.click(c->name());
            break;
        case ControlKind::ListBox:
            if (code == LBN_SELCHANGE && events.click) events.click(c->name());
            if (code == LBN_DBLCLK && events.dblClick) events.dblClick(c->name());
            break;
        case ControlKind::ComboBox:
            if (code == CBN_DROPDOWN) static_cast<WinComboBox*>(c)->fitDroppedWidth();
            break;
        default:
            break;
    }
}

LRESULT CALLBACK NativeForm::accessibleSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                                UINT_PTR id, DWORD_PTR) {
    if (msg == WM_GETOBJECT) {
        if (NativeForm* form = fromWindow(hwnd)) form->annotations_.queried();
    } else if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, accessibleSubclass, id);
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void NativeForm::annotate(const std::string& name, const Annotation& annotation) {
    WinControl* c = find(name);
    if (!c) return;
    annotations_.set(c->hwnd(), annotation);
    if (auto* combo = dynamic_cast<WinComboBox*>(c); combo && combo->edit())
        annotations_.set(combo->edit(), annotation);
}

void NativeForm::placeLabelBefore(const std::string& label, const std::string& control) {
    WinControl* l = find(label);
    WinControl* c = find(control);
    if (!l || !c || l == c) return;
    HWND before = GetWindow(c->hwnd(), GW_HWNDPREV);
    if (before == l->hwnd()) return;
    SetWindowPos(l->hwnd(), before ? before : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT CALLBACK NativeForm::dropSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                          DWORD_PTR data) {
    if (msg == WM_DROPFILES) {
        // A drop on a control reaches the form's one drop routine, naming the control.
        if (NativeForm* form = fromWindow(hwnd)) {
            form->handleDrop(reinterpret_cast<HDROP>(wp),
                             reinterpret_cast<WinControl*>(data)->name());
            return 0;
        }
    } else if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, dropSubclass, id);
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void NativeForm::handleDrop(HDROP drop, const std::string& control) {
    UniqueDrop owned(drop);
    static const LazyFunction<decltype(&::DragQueryFileW)> dragQueryFile{L"shell32.dll",
                                                                         "DragQueryFileW"};
    const UINT count = dragQueryFile ? dragQueryFile(drop, 0xFFFFFFFF, nullptr, 0) : 0;
    std::vector<std::string> files;
    for (UINT i = 0; i < count; ++i) {
        const UINT len = dragQueryFile(drop, i, nullptr, 0);
        std::wstring path(len + 1, L'\0');
        const UINT got = dragQueryFile(drop, i, path.data(), len + 1);
        path.resize(got);
        files.push_back(narrow(path));
    }
    owned.reset();
    // Dragged data without a file list (text, for instance) is ignored.
    if (files.empty() || !events.drop) return;
    events.drop(control, files);
}

void NativeForm::applyDpi(int dpi) {
    std::vector<WinControl::Snapshot> before;
    for (const auto& c : controls_) before.push_back(c->snapshot());
    const int clientWidth = window_.width() - 2 * metrics_.frameSide;
    const int clientHeight = window_.height() - metrics_.frameTop - metrics_.frameSide;

    metrics_.dpi = dpi;
    auto oldFonts = std::move(fonts_);
    fonts_.clear();
    SendMessageW(metrics_.form, WM_SETFONT, reinterpret_cast<WPARAM>(font(spec_.font)), FALSE);
    window_.relayout(clientWidth, clientHeight);
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const ControlSpec* layout = spec_.find(controls_[i]->name());
        SendMessageW(controls_[i]->hwnd(), WM_SETFONT,
                     reinterpret_cast<WPARAM>(font(layout ? layout->font : spec_.font)), TRUE);
        controls_[i]->relayout(before[i]);
        fitLabelToText(*controls_[i], dpi);
    }
    // oldFonts are deleted here, after every control has let go of them.
}

}  // namespace tarvo::win

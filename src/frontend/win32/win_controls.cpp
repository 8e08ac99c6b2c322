// Control, check box, combo box, list box and window wrappers on real HWNDs.
#include "frontend/win32/win_controls.h"

#include <commctrl.h>

#include <algorithm>

#include "frontend/win32/dpi.h"
#include "platform/win32/win_handles.h"
#include "platform/win32/win_text.h"

namespace tarvo::win {

// --- TwipsCache ---------------------------------------------------------------------------

int TwipsCache::read(Axis axis, int currentPixels, int dpi) const {
    if (set_[axis] && pixels_[axis] == currentPixels) return twips_[axis];
    return pixelsToTwips(currentPixels, dpi);
}

int TwipsCache::write(Axis axis, int twips, int dpi) {
    twips_[axis] = twips;
    pixels_[axis] = twipsToPixels(twips, dpi);
    set_[axis] = true;
    return pixels_[axis];
}

// --- WinControl -----------------------------------------------------------------------------

WinControl::WinControl(const FormMetrics& metrics, HWND hwnd, const ControlSpec& layout,
                       WinControl* frame)
    : metrics_(metrics),
      hwnd_(hwnd),
      name_(layout.name),
      kind_(layout.kind),
      acceptsDrops_(layout.acceptsDrops),
      showsData_(layout.showsData),
      frame_(frame) {
    if (frame_) frame_->children_.push_back(this);
}

namespace {
// The window's rectangle in its form's client pixels.
RECT rectInForm(HWND hwnd, HWND form) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, form, reinterpret_cast<POINT*>(&r), 2);
    return r;
}
}  // namespace

RECT WinControl::rectInContainer() const {
    RECT r = rectInForm(hwnd_, metrics_.form);
    if (frame_) {
        const RECT f = rectInForm(frame_->hwnd_, metrics_.form);
        OffsetRect(&r, -f.left, -f.top);
    }
    return r;
}

int WinControl::currentPixels(TwipsCache::Axis axis) const {
    const RECT r = rectInContainer();
    switch (axis) {
        case TwipsCache::Left:
            return r.left;
        case TwipsCache::Top:
            return r.top;
        case TwipsCache::Width:
            return r.right - r.left;
        case TwipsCache::Height:
            return r.bottom - r.top;
    }
    return 0;
}

int WinControl::read(TwipsCache::Axis axis) const {
    return cache_.read(axis, currentPixels(axis), metrics_.dpi);
}

void WinControl::write(TwipsCache::Axis axis, int twips) {
    RECT r = rectInContainer();
    int px[4] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    px[axis] = cache_.write(axis, twips, metrics_.dpi);
    place(px[0], px[1], px[2], px[3]);
}

// Moves the control to pixels relative to its container; a frame takes its children along.
// The moved control repaints itself whole (no copied bits): the form has no WS_CLIPCHILDREN,
// for the frames' sake, so when the form grows it erases the new area after a copy and the
// moved buttons would vanish.
void WinControl::place(int left, int top, int width, int height) {
    constexpr UINT kFlags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS;
    int x = left, y = top;
    if (frame_) {
        const RECT f = rectInForm(frame_->hwnd_, metrics_.form);
        x += f.left;
        y += f.top;
    }
    const RECT before = rectInForm(hwnd_, metrics_.form);
    SetWindowPos(hwnd_, nullptr, x, y, width, windowHeightFor(height), kFlags);
    const int dx = x - before.left, dy = y - before.top;
    if (dx == 0 && dy == 0) return;
    for (WinControl* child : children_) {
        const RECT c = rectInForm(child->hwnd_, metrics_.form);
        SetWindowPos(child->hwnd_, nullptr, c.left + dx, c.top + dy, 0, 0, kFlags | SWP_NOSIZE);
    }
}

void WinControl::relayout(const Snapshot& s) {
    const int l = cache_.write(TwipsCache::Left, s.left, metrics_.dpi);
    const int t = cache_.write(TwipsCache::Top, s.top, metrics_.dpi);
    const int w = cache_.write(TwipsCache::Width, s.width, metrics_.dpi);
    const int h = cache_.write(TwipsCache::Height, s.height, metrics_.dpi);
    place(l, t, w, h);
}

std::string WinControl::caption() const {
    return windowText(hwnd_);
}
void WinControl::setCaption(const std::string& text) {
    std::wstring wide = widen(text);
    SetWindowTextW(hwnd_, wide.c_str());
    if (toolTip_) {
        TTTOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V2_SIZE;
        info.hwnd = metrics_.form;
        info.uId = reinterpret_cast<UINT_PTR>(hwnd_);
        info.lpszText = wide.data();
        SendMessageW(toolTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    }
    if (captionChanged) captionChanged(text);
}
bool WinControl::enabled() const {
    return IsWindowEnabled(hwnd_) != FALSE;
}
void WinControl::setEnabled(bool on) {
    if (!on) {
        const HWND focus = GetFocus();
        if (focus && (focus == hwnd_ || IsChild(hwnd_, focus))) {
            const HWND next = GetNextDlgTabItem(metrics_.form, hwnd_, FALSE);
            if (next && next != hwnd_ && !IsChild(hwnd_, next))
                SendMessageW(metrics_.form, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
        }
    }
    EnableWindow(hwnd_, on);
    for (WinControl* child : children_) child->setEnabled(on);
}
bool WinControl::visible() const {
    return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}
void WinControl::setVisible(bool on) {
    ShowWindow(hwnd_, on ? SW_SHOWNA : SW_HIDE);
    for (WinControl* child : children_) child->setVisible(on);
}

// --- WinCheckBox ----------------------------------------------------------------------------

int WinCheckBox::value() const {
    return SendMessageW(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}
void WinCheckBox::setValue(int value) {
    SendMessageW(hwnd(), BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

// --- WinComboBox ----------------------------------------------------------------------------

WinComboBox::WinComboBox(const FormMetrics& metrics, HWND hwnd, const ControlSpec& layout,
                         WinControl* frame)
    : WinControl(metrics, hwnd, layout, frame) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(hwnd, &info)) edit_ = info.hwndItem;
}

int WinComboBox::windowHeightFor(int pixels) const {
    const auto item = static_cast<int>(SendMessageW(hwnd(), CB_GETITEMHEIGHT, 0, 0));
    return pixels + kListRows * std::max(item, 1) + 2;
}

std::string WinComboBox::text() const {
    return windowText(hwnd());
}
void WinComboBox::setText(const std::string& text) {
    SetWindowTextW(hwnd(), widen(text).c_str());
}

void WinComboBox::editSelection(DWORD& start, DWORD& end) const {
    start = end = 0;
    // The pointer form gives full 32-bit positions; the packed result stops at 65535.
    SendMessageW(hwnd(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    if (start > end) std::swap(start, end);
}

int WinComboBox::selStart() const {
    DWORD start, end;
    editSelection(start, end);
    return codePointsInUnits(widen(text()), static_cast<int>(start));
}

int WinComboBox::selLength() const {
    DWORD start, end;
    editSelection(start, end);
    const std::wstring t = widen(text());
    return codePointsInUnits(t, static_cast<int>(end)) -
           codePointsInUnits(t, static_cast<int>(start));
}

// CB_SETEDITSEL packs both positions into 16 bits each; EM_SETSEL on the box's own edit
// takes full positions.
void WinComboBox::setSelStart(int pos) {
    const std::wstring t = widen(text());
    const int units = unitsForCodePoints(t, std::max(pos, 0));
    SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(units), static_cast<LPARAM>(units));
}

void WinComboBox::setSelLength(int length) {
    const std::wstring t = widen(text());
    const int start = selStart();
    const int from = unitsForCodePoints(t, start);
    const int to = unitsForCodePoints(t, start + std::max(length, 0));  // cut at the text end
    SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(from), static_cast<LPARAM>(to));
}

int WinComboBox::listCount() const {
    return static_cast<int>(SendMessageW(hwnd(), CB_GETCOUNT, 0, 0));
}

std::string WinComboBox::list(int index) const {
    const LRESULT len = SendMessageW(hwnd(), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (len == CB_ERR || len <= 0) return {};
    std::wstring buf(static_cast<std::size_t>(len) + 1, L'\0');
    const LRESULT got = SendMessageW(hwnd(), CB_GETLBTEXT, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(buf.data()));
    buf.resize(got == CB_ERR ? 0 : static_cast<std::size_t>(got));
    return narrow(buf);
}

void WinComboBox::addItem(const std::string& item) {
    const std::wstring w = widen(item);
    SendMessageW(hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
}

void WinComboBox::removeItem(int index) {
    // The edit text stays: CB_DELETESTRING changes only the list.
    SendMessageW(hwnd(), CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void WinComboBox::clear() {
    SendMessageW(hwnd(), CB_RESETCONTENT, 0, 0);
    SetWindowTextW(hwnd(), L"");
}

int WinComboBox::listIndex() const {
    return static_cast<int>(SendMessageW(hwnd(), CB_GETCURSEL, 0, 0));
}
void WinComboBox::setListIndex(int index) {
    SendMessageW(hwnd(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int WinComboBox::findString(const std::string& prefix) const {
    const std::wstring w = widen(prefix);
    const LRESULT i = SendMessageW(hwnd(), CB_FINDSTRING, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(w.c_str()));
    return i == CB_ERR ? -1 : static_cast<int>(i);
}

void WinComboBox::setFocus() {
    SendMessageW(metrics_.form, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hwnd()), TRUE);
}

bool WinComboBox::droppedDown() const {
    return SendMessageW(hwnd(), CB_GETDROPPEDSTATE, 0, 0) != FALSE;
}

void WinComboBox::fitDroppedWidth() {
    const int count = listCount();
    HDC dc = GetDC(hwnd());
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)));
    int widest = 0;
    for (int i = 0; i < count; ++i) {
        const std::wstring item = widen(list(i));
        SIZE size{};
        GetTextExtentPoint32W(dc, item.c_str(), static_cast<int>(item.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd(), dc);
    // The list's border and the item's margins on both sides, and the scroll bar of a list
    // longer than the rows it shows.
    int want = widest + 2 * GetSystemMetrics(SM_CXEDGE) + 2 * GetSystemMetrics(SM_CXFIXEDFRAME);
    if (count > kListRows) want += GetSystemMetrics(SM_CXVSCROLL);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    int screen = GetSystemMetrics(SM_CXSCREEN);
    if (GetMonitorInfoW(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTONEAREST), &monitor))
        screen = monitor.rcMonitor.right - monitor.rcMonitor.left;
    // The system never makes the list narrower than the box itself.
    SendMessageW(hwnd(), CB_SETDROPPEDWIDTH, static_cast<WPARAM>(std::min(want, screen)), 0);
}

// --- WinListBox -----------------------------------------------------------------------------

int WinListBox::listCount() const {
    return static_cast<int>(SendMessageW(hwnd(), LB_GETCOUNT, 0, 0));
}

std::string WinListBox::list(int index) const {
    const LRESULT len = SendMessageW(hwnd(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (len == LB_ERR || len <= 0) return {};
    std::wstring buf(static_cast<std::size_t>(len) + 1, L'\0');
    const LRESULT got = SendMessageW(hwnd(), LB_GETTEXT, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(buf.data()));
    buf.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
    return narrow(buf);
}

void WinListBox::addItem(const std::string& item) {
    const std::wstring w = widen(item);
    SendMessageW(hwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
}

void WinListBox::removeItem(int index) {
    SendMessageW(hwnd(), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

int WinListBox::listIndex() const {
    return static_cast<int>(SendMessageW(hwnd(), LB_GETCURSEL, 0, 0));
}
void WinListBox::setListIndex(int index) {
    SendMessageW(hwnd(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// --- WinWindow ------------------------------------------------------------------------------

namespace {
RECT windowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}
RECT clientRect(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return r;
}
}  // namespace

int WinWindow::left() const {
    return cache_.read(TwipsCache::Left, windowRect(hwnd()).left, metrics_.dpi);
}
void WinWindow::setLeft(int twips) {
    keepCentred_ = false;
    const RECT r = windowRect(hwnd());
    const int x = cache_.write(TwipsCache::Left, twips, metrics_.dpi);
    SetWindowPos(hwnd(), nullptr, x, r.top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}
int WinWindow::top() const {
    return cache_.read(TwipsCache::Top, windowRect(hwnd()).top, metrics_.dpi);
}
void WinWindow::setTop(int twips) {
    keepCentred_ = false;
    const RECT r = windowRect(hwnd());
    const int y = cache_.write(TwipsCache::Top, twips, metrics_.dpi);
    SetWindowPos(hwnd(), nullptr, r.left, y, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

int WinWindow::width() const {
    return cache_.read(TwipsCache::Width, clientRect(hwnd()).right, metrics_.dpi) +
           frameWidthTwips();
}
void WinWindow::setWidth(int twips) {
    const int w = cache_.write(TwipsCache::Width, twips - frameWidthTwips(), metrics_.dpi);
    setClientSize(w, clientRect(hwnd()).bottom);
}
int WinWindow::height() const {
    return cache_.read(TwipsCache::Height, clientRect(hwnd()).bottom, metrics_.dpi) +
           frameHeightTwips();
}
void WinWindow::setHeight(int twips) {
    const int h = cache_.write(TwipsCache::Height, twips - frameHeightTwips(), metrics_.dpi);
    setClientSize(clientRect(hwnd()).right, h);
}

void WinWindow::relayout(int widthTwips, int heightTwips) {
    const int w = cache_.write(TwipsCache::Width, widthTwips, metrics_.dpi);
    const int h = cache_.write(TwipsCache::Height, heightTwips, metrics_.dpi);
    setClientSize(w, h);
}

void WinWindow::centre() {
    keepCentred_ = true;
    const RECT r = windowRect(hwnd());
    place(r.right - r.left, r.bottom - r.top);
}

// The real frame is what the window has now around its client area.
void WinWindow::setClientSize(int widthPixels, int heightPixels) {
    const RECT outer = windowRect(hwnd());
    const RECT client = clientRect(hwnd());
    const int frameX = (outer.right - outer.left) - client.right;
    const int frameY = (outer.bottom - outer.top) - client.bottom;
    place(std::max(widthPixels, 0) + frameX, std::max(heightPixels, 0) + frameY);
}

// Gives the window its outer size; where it stands changes only while it is kept centred,
// never under the eyes of the user.
void WinWindow::place(int outerWidth, int outerHeight) {
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    int x = 0, y = 0;
    if (keepCentred_) {
        x = (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2;
    } else {
        flags |= SWP_NOMOVE;
    }
    SetWindowPos(hwnd(), nullptr, x, y, outerWidth, outerHeight, flags);
}

std::string WinWindow::caption() const {
    return windowText(hwnd());
}
void WinWindow::setCaption(const std::string& text) {
    SetWindowTextW(hwnd(), widen(text).c_str());
}
bool WinWindow::enabled() const {
    return IsWindowEnabled(hwnd()) != FALSE;
}
void WinWindow::setEnabled(bool on) {
    EnableWindow(hwnd(), on);
}
bool WinWindow::visible() const {
    return IsWindowVisible(hwnd()) != FALSE;
}

void WinWindow::setVisible(bool on) {
    if (!on) {
        ShowWindow(hwnd(), SW_HIDE);
        return;
    }
    keepCentred_ = false;
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    HWND focus = GetFocus();
    if (!focus || !IsChild(hwnd(), focus)) {
        if (HWND first = GetNextDlgTabItem(hwnd(), nullptr, FALSE))
            SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    }
}

double WinWindow::screenWidth() const {
    return GetSystemMetrics(SM_CXSCREEN) * static_cast<double>(kTwipsPerInch) / metrics_.dpi;
}

std::string WinWindow::popupMenu(const std::vector<MenuItem>& items, int x, int y) {
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return {};
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].caption == "-") {
            AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        } else {
            // Menus read "&" and "&&" as captions do.
            AppendMenuW(menu.get(), MF_STRING, i + 1, widen(items[i].caption).c_str());
        }
    }
    POINT pt{twipsToPixels(x, metrics_.dpi), twipsToPixels(y, metrics_.dpi)};
    ClientToScreen(hwnd(), &pt);
    const BOOL chosen = TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD,
                                       pt.x, pt.y, 0, hwnd(), nullptr);
    if (chosen <= 0 || static_cast<std::size_t>(chosen) > items.size()) return {};
    return items[static_cast<std::size_t>(chosen) - 1].name;
}

}  // namespace tarvo::win

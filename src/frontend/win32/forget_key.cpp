// The forget key of the argument box: a subclass of the combo box's edit field.
#include "frontend/win32/forget_key.h"

// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <utility>

namespace tarvo::win {
namespace {

constexpr UINT_PTR kForgetSubclassId = 2;

bool down(int key) {
    return GetKeyState(key) < 0;
}

LRESULT CALLBACK forgetSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                DWORD_PTR data) {
    auto* onForget = reinterpret_cast<std::function<void(int)>*>(data);
    if (msg == WM_KEYDOWN && wp == VK_DELETE && down(VK_SHIFT) && !down(VK_CONTROL) &&
        !down(VK_MENU)) {
        // The list box is the combo box's; the keyboard stays with its edit field while the
        // list is down.
        HWND combo = GetParent(hwnd);
        if (SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) {
            const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
            if (index != CB_ERR) {
                (*onForget)(static_cast<int>(index));
                if (IsWindow(combo) && SendMessageW(combo, CB_GETCOUNT, 0, 0) == 0)
                    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
                return 0;
            }
        }
    } else if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, forgetSubclass, id);
        delete onForget;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

void watchForgetKey(HWND comboEdit, std::function<void(int index)> onForget) {
    auto* owned = new std::function<void(int)>(std::move(onForget));
    if (!SetWindowSubclass(comboEdit, forgetSubclass, kForgetSubclassId,
                           reinterpret_cast<DWORD_PTR>(owned)))
        delete owned;
}

}  // namespace tarvo::win

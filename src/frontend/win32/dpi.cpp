// DPI conversion and the run-time lookup of the per-monitor DPI functions.
#include "frontend/win32/dpi.h"

#include <cmath>

namespace tarvo::win {
namespace {

template <typename F>
F user32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                  : nullptr;
}

int scale(int value, int num, int den) {
    return static_cast<int>(std::lround(static_cast<double>(value) * num / den));
}

}  // namespace

int twipsToPixels(int twips, int dpi) {
    return scale(twips, dpi, kTwipsPerInch);
}
int pixelsToTwips(int pixels, int dpi) {
    return scale(pixels, kTwipsPerInch, dpi);
}

int systemDpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

int dpiForWindow(HWND hwnd) {
    using Fn = UINT(WINAPI*)(HWND);
    static const Fn getDpiForWindow = user32Function<Fn>("GetDpiForWindow");
    if (getDpiForWindow && hwnd) {
        const UINT dpi = getDpiForWindow(hwnd);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return systemDpi();
}

void adjustWindowRect(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
    using Fn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const Fn adjustForDpi = user32Function<Fn>("AdjustWindowRectExForDpi");
    if (adjustForDpi && adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) return;
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

bool enablePerMonitorDpiAwareness() {
    using Fn = BOOL(WINAPI*)(HANDLE);
    static const Fn setContext = user32Function<Fn>("SetProcessDpiAwarenessContext");
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    return setContext && setContext(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)));
}

void disableDialogDpiScaling(HWND dialog) {
    using Fn = BOOL(WINAPI*)(HWND, int, int);
    static const Fn setBehavior = user32Function<Fn>("SetDialogDpiChangeBehavior");
    // DDC_DISABLE_ALL for both mask and values.
    if (setBehavior) setBehavior(dialog, 1, 1);
}

}  // namespace tarvo::win

// Twips <-> pixels by a window's DPI, and the DPI functions of newer Windows versions, looked
// up at run time so the program still starts where they are missing.
#pragma once

#include <windows.h>

namespace tarvo::win {

inline constexpr int kTwipsPerInch = 1440;

// Rounded to the nearest pixel or twip, halves away from zero.
int twipsToPixels(int twips, int dpi);
int pixelsToTwips(int pixels, int dpi);

// The window's DPI (GetDpiForWindow where available, else the screen's LOGPIXELSX).
int dpiForWindow(HWND hwnd);
// The screen's DPI for windows not yet created.
int systemDpi();

// AdjustWindowRectExForDpi where available, else AdjustWindowRectEx.
void adjustWindowRect(RECT& rect, DWORD style, DWORD exStyle, int dpi);

// Asks for per-monitor (v2) DPI awareness; false where the system has no such mode.
bool enablePerMonitorDpiAwareness();

// Stops the dialog manager from rescaling a dialog on its own when its DPI changes: the form
// builder re-lays out its controls from the twips table instead.
void disableDialogDpiScaling(HWND dialog);

}  // namespace tarvo::win

// Helpers for the front end's tests under Wine: a temporary program folder, keys and drops
// delivered through the real message loop, and reading a control's pixels.
#pragma once

// clang-format off
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
// clang-format on

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "frontend/win32/message_loop.h"
#include "platform/win32/win_text.h"

namespace tarvo::test {

// A fresh folder under the Windows temporary folder, removed with its contents. Its path is
// given in the program's own form (UTF-8, backslashes).
class WinTempFolder {
  public:
    WinTempFolder() {
        wchar_t base[MAX_PATH + 1];
        GetTempPathW(MAX_PATH + 1, base);
        for (unsigned n = GetTickCount();; ++n) {
            path_ = std::wstring(base) + L"tarvo-fe-" + std::to_wstring(n);
            if (CreateDirectoryW(path_.c_str(), nullptr)) break;
        }
    }
    ~WinTempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(std::filesystem::path(path_), ec);
    }
    WinTempFolder(const WinTempFolder&) = delete;
    WinTempFolder& operator=(const WinTempFolder&) = delete;

    std::string path() const { return win::narrow(path_); }
    std::filesystem::path file(const std::string& name) const {
        return std::filesystem::path(path_) / win::widen(name);
    }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(file(name)); }

  private:
    std::wstring path_;
};

// Lets the message loop handle everything that is waiting, as the running program would.
inline void pump() {
    win::pumpMessages();
}

// A typed character, posted as the keyboard would deliver it, then handled.
inline void typeChar(HWND target, wchar_t c) {
    PostMessageW(target, WM_CHAR, c, 1);
    pump();
}

inline void typeText(HWND target, const std::wstring& text) {
    for (wchar_t c : text) typeChar(target, c);
}

// A key going down (Enter, Esc, ...), which the loop translates into characters as needed.
inline void pressKey(HWND target, UINT vk) {
    const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    PostMessageW(target, WM_KEYDOWN, vk, static_cast<LPARAM>(1 | (scan << 16)));
    pump();
    PostMessageW(target, WM_KEYUP, vk, static_cast<LPARAM>(1 | (scan << 16) | (3u << 30)));
    pump();
}

// The shell's drop data for these paths, as the file manager hands it over.
inline HDROP makeDrop(const std::vector<std::wstring>& paths) {
    std::size_t chars = 1;
    for (const auto& p : paths) chars += p.size() + 1;
    HGLOBAL h = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(h));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* out = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(drop) + sizeof(DROPFILES));
    for (const auto& p : paths) {
        p.copy(out, p.size());
        out += p.size() + 1;
    }
    GlobalUnlock(h);
    return static_cast<HDROP>(h);
}

inline void dropFiles(HWND target, const std::vector<std::wstring>& paths) {
    PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop(paths)), 0);
    pump();
}

// A child window's rectangle in its form's client pixels.
inline RECT clientRectOf(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A click as the button reports it to its dialog.
inline void click(HWND button) {
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    pump();
}

}  // namespace tarvo::test

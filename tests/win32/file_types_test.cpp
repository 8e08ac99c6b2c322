// File types on the real platform: the default verb's command as the system reports it, and
// the file manager's notice reaching a window registered for association changes.
#include <gtest/gtest.h>

#include "platform/win32/file_types_win32.h"
#include "win32/win32_test_support.h"

// clang-format off
#include <windows.h>
#include <shlobj.h>
// clang-format on

namespace tarvo::test {
namespace {

bool setDefault(const std::wstring& key, const std::wstring& value) {
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG r =
        RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
    return r == ERROR_SUCCESS;
}

TEST(WinFileTypes, ReportsTheDefaultVerbsCommandOfARegisteredType) {
    const std::wstring command = L"\"C:\\Tools\\t\u00e9st.exe\" \"%1\"";
    ASSERT_TRUE(setDefault(L".tvqc", L"TarvoTestTvqc"));
    ASSERT_TRUE(setDefault(L"TarvoTestTvqc\\shell\\open\\command", command));
    win::WinFileTypes types;
    EXPECT_EQ(types.defaultCommand("C:\\some dir.x\\notes.TVQC"), win::narrow(command));
    // A command longer than the first buffer comes back whole.
    const std::wstring longCommand = L"\"C:\\" + std::wstring(700, L'x') + L".exe\" \"%1\" %*";
    ASSERT_TRUE(setDefault(L"TarvoTestTvqc\\shell\\open\\command", longCommand));
    EXPECT_EQ(types.defaultCommand("notes.tvqc"), win::narrow(longCommand));
    // A type the system does not know and a name without an extension give no command (and
    // not the "Open With" fallback).
    EXPECT_EQ(types.defaultCommand("C:\\dir\\notes.tvqnone"), std::nullopt);
    EXPECT_EQ(types.defaultCommand("C:\\dir.tvqc\\notes"), std::nullopt);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".tvqc");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"TarvoTestTvqc");
}

constexpr UINT kNotice = WM_APP + 7;
int noticesSeen = 0;

LRESULT CALLBACK listener(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kNotice) ++noticesSeen;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

TEST(WinFileTypes, TheFileManagerHearsOfChangedAssociations) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = listener;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TarvoNoticeListener";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    SHChangeNotifyEntry entry{nullptr, TRUE};
    const ULONG id = SHChangeNotifyRegister(window, SHCNRF_ShellLevel | SHCNRF_InterruptLevel,
                                            SHCNE_ASSOCCHANGED, kNotice, 1, &entry);
    ASSERT_NE(id, 0u);

    win::WinFileTypes().associationsChanged();
    for (int i = 0; i < 50 && noticesSeen == 0; ++i) {
        pump();
        Sleep(20);
    }
    EXPECT_EQ(noticesSeen, 1);
    SHChangeNotifyDeregister(id);
    DestroyWindow(window);
}

}  // namespace
}  // namespace tarvo::test

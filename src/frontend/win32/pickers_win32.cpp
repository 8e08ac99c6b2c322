// The open-file dialog and the folder picker on Win32. comdlg32, shell32 and OLE are loaded
// when a picker is first shown.
#include "frontend/win32/pickers_win32.h"

// clang-format off
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>
// clang-format on

#include <vector>

#include "platform/controls.h"
#include "platform/win32/lazy_dll.h"
#include "platform/win32/win_handles.h"
#include "platform/win32/win_text.h"

namespace tarvo::win {
namespace {

// Room for the longest path Windows knows, so a picked path longer than the classic 260
// characters comes back whole instead of failing or being cut.
constexpr DWORD kPathBuffer = 32768;

}  // namespace

std::optional<PickedFile> WinFilePicker::showOpen(const OpenFileRequest& request) {
    std::vector<wchar_t> file(kPathBuffer, L'\0');
    const std::wstring initialName = widen(request.fileName);
    if (initialName.size() < kPathBuffer) initialName.copy(file.data(), initialName.size());

    // One file type: its description, then the pattern that lists every file.
    std::wstring filter = widen(request.filterDescription);
    filter.push_back(L'\0');
    filter += L"*.*";
    filter.push_back(L'\0');
    const std::wstring title = widen(request.title);
    const std::wstring initDir = widen(request.initDir);  // a "::{...}" name works as it is

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = request.owner ? reinterpret_cast<HWND>(request.owner->nativeHandle()) : nullptr;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = kPathBuffer;
    ofn.lpstrInitialDir = initDir.empty() ? nullptr : initDir.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.Flags = request.flags | OFN_EXPLORER;
    static const LazyFunction<decltype(&::GetOpenFileNameW)> getOpenFileName{L"comdlg32.dll",
                                                                             "GetOpenFileNameW"};
    if (!getOpenFileName) return std::nullopt;
    ensureOle();  // the dialog's folder view is the shell's
    if (!getOpenFileName(&ofn)) return std::nullopt;

    const std::wstring path(file.data());
    if (path.empty()) return std::nullopt;
    const std::size_t offset = ofn.nFileOffset <= path.size() ? ofn.nFileOffset : 0;
    return PickedFile{narrow(path), narrow(std::wstring_view(path).substr(offset))};
}

std::string WinFolderPicker::browseForFolder(const std::string& prompt, unsigned options) {
    static const LazyFunction<decltype(&::SHBrowseForFolderW)> browse{L"shell32.dll",
                                                                      "SHBrowseForFolderW"};
    static const LazyFunction<decltype(&::SHGetPathFromIDListEx)> pathOf{L"shell32.dll",
                                                                         "SHGetPathFromIDListEx"};
    static const LazyFunction<decltype(&::SHGetNameFromIDList)> nameOf{L"shell32.dll",
                                                                       "SHGetNameFromIDList"};
    if (!browse || !pathOf || !nameOf) return {};
    // The picker's new style with an edit box needs OLE, not only COM.
    ensureOle();
    const std::wstring title = widen(prompt);
    BROWSEINFOW info{};
    info.hwndOwner = nullptr;  // no owner
    info.pidlRoot = nullptr;   // the desktop
    info.lpszTitle = title.c_str();
    info.ulFlags = options;
    UniqueCoMem pidl(browse(&info));
    if (!pidl) return {};
    const auto* item = static_cast<PCIDLIST_ABSOLUTE>(pidl.get());

    std::vector<wchar_t> path(kPathBuffer, L'\0');
    if (pathOf(item, path.data(), kPathBuffer, GPFIDL_DEFAULT)) return narrow(path.data());
    // A virtual folder has no file-system path; the shell names it by its parsing name,
    // "::{class id}" for My Computer and its kind.
    PWSTR name = nullptr;
    if (SUCCEEDED(nameOf(item, SIGDN_DESKTOPABSOLUTEPARSING, &name)) && name) {
        UniqueCoMem owned(name);
        return narrow(name);
    }
    return {};
}

}  // namespace tarvo::win

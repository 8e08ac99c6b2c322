// AssocQueryStringW and SHChangeNotify, each looked up in its system library at first use.
#include "platform/win32/file_types_win32.h"

// clang-format off
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
// clang-format on

#include <cwchar>

#include "platform/win32/win_text.h"

namespace tarvo::win {
namespace {

using AssocQueryStringFn = HRESULT(WINAPI*)(ASSOCF, ASSOCSTR, LPCWSTR, LPCWSTR, LPWSTR, DWORD*);
using ChangeNotifyFn = void(WINAPI*)(LONG, UINT, LPCVOID, LPCVOID);

// A function of a library in the system folder (never one found beside the program or in the
// current folder); null when either is missing. The library stays loaded for the program's
// life, so the pointer stays good.
template <typename Fn>
Fn systemFunction(const wchar_t* library, const char* name) {
    HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The extension with its dot, as the classes root names it; empty for a name without one.
std::wstring extensionOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    const auto dot = path.rfind(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return {};
    return path.substr(dot);
}

}  // namespace

std::optional<std::string> WinFileTypes::defaultCommand(const std::string& filePath) {
    static const auto query =
        systemFunction<AssocQueryStringFn>(L"shlwapi.dll", "AssocQueryStringW");
    const std::wstring ext = extensionOf(widen(filePath));
    if (!query || ext.size() < 2) return std::nullopt;
    // IGNOREUNKNOWN: a type the system does not know fails, instead of answering with the
    // "Open With" command that every unknown type falls back on. NOTRUNCATE: a long command
    // is asked for again in full, never cut (a cut could lose its "%*"). No verb: the default.
    const ASSOCF flags = ASSOCF_INIT_IGNOREUNKNOWN | ASSOCF_NOTRUNCATE;
    std::wstring command(512, L'\0');
    DWORD size = static_cast<DWORD>(command.size());
    HRESULT result = query(flags, ASSOCSTR_COMMAND, ext.c_str(), nullptr, command.data(), &size);
    if (result == E_POINTER && size > command.size()) {
        command.assign(size, L'\0');
        result = query(flags, ASSOCSTR_COMMAND, ext.c_str(), nullptr, command.data(), &size);
    }
    if (result != S_OK) return std::nullopt;
    command.resize(std::wcslen(command.c_str()));
    return narrow(command);
}

void WinFileTypes::associationsChanged() {
    static const auto notify = systemFunction<ChangeNotifyFn>(L"shell32.dll", "SHChangeNotify");
    if (notify) notify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

}  // namespace tarvo::win

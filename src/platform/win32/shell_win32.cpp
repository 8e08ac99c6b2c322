// ShellExecuteExW for every launch, and %ComSpec% where "command.com" does not exist. shell32
// and OLE are loaded at the first launch.
#include "platform/win32/shell_win32.h"

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <optional>

#include "platform/controls.h"
#include "platform/win32/lazy_dll.h"
#include "platform/win32/win_text.h"

namespace tarvo::win {
namespace {

constexpr char kCommandCom[] = "command.com";

bool onSearchPath(const wchar_t* file) {
    wchar_t found[MAX_PATH];
    return SearchPathW(nullptr, file, nullptr, MAX_PATH, found, nullptr) != 0;
}

std::wstring comspec() {
    const DWORD n = GetEnvironmentVariableW(L"ComSpec", nullptr, 0);
    if (n == 0) return L"cmd.exe";
    std::wstring value(n, L'\0');
    const DWORD got = GetEnvironmentVariableW(L"ComSpec", value.data(), n);
    value.resize(got);
    return value.empty() ? L"cmd.exe" : value;
}

}  // namespace

std::string comspecParameters(const std::string& p) {
    if (p.rfind("/k ", 0) != 0) return p;
    return "/k \"" + p.substr(3) + "\"";
}

bool WinShell::execute(const ShellRequest& request) {
    std::wstring file = widen(request.file);
    std::optional<std::string> parameters = request.parameters;
    if (request.file == kCommandCom && !onSearchPath(file.c_str())) {
        file = comspec();
        if (parameters) parameters = comspecParameters(*parameters);
    }
    const std::wstring verb = request.verb ? widen(*request.verb) : std::wstring();
    const std::wstring params = parameters ? widen(*parameters) : std::wstring();
    const std::wstring dir = request.directory ? widen(*request.directory) : std::wstring();

    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // NOASYNC: the request is complete when the call returns, as the program ends right after.
    // NO_UI: the plain ShellExecute call shows no error box of the shell's either; a request
    // that fails is not reported.
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = request.owner ? reinterpret_cast<HWND>(request.owner->nativeHandle()) : nullptr;
    info.lpVerb = request.verb ? verb.c_str() : nullptr;
    info.lpFile = file.c_str();
    info.lpParameters = parameters ? params.c_str() : nullptr;
    info.lpDirectory = request.directory ? dir.c_str() : nullptr;
    info.nShow = request.showCommand;
    // shell32 and OLE are loaded here, at the first launch, rather than at start.
    static const LazyFunction<decltype(&::ShellExecuteExW)> shellExecuteEx{L"shell32.dll",
                                                                           "ShellExecuteExW"};
    if (!shellExecuteEx) return false;
    ensureOle();
    return shellExecuteEx(&info) != FALSE;
}

}  // namespace tarvo::win

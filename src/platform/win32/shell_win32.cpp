// ShellExecuteExW for every launch, and %ComSpec% where "command.com" does not exist.
#include "platform/win32/shell_win32.h"

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <optional>

#include "platform/controls.h"
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

std::string systemMessage(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", n);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    if (text.empty()) return "Error " + std::to_string(code);
    return narrow(text);
}

ShellResult WinShell::execute(const ShellRequest& request) {
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
    // NO_UI: the shell shows no error box of its own; a refusal comes back with the system's
    // reason, and the caller decides whether the user hears of it.
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = request.owner ? reinterpret_cast<HWND>(request.owner->nativeHandle()) : nullptr;
    info.lpVerb = request.verb ? verb.c_str() : nullptr;
    info.lpFile = file.c_str();
    info.lpParameters = parameters ? params.c_str() : nullptr;
    info.lpDirectory = request.directory ? dir.c_str() : nullptr;
    info.nShow = request.showCommand;
    if (ShellExecuteExW(&info)) return ShellResult::accepted();
    const DWORD error = GetLastError();
    // The user said no to a prompt of the system's (an elevation, say): nothing to report.
    if (error == ERROR_CANCELLED) return ShellResult::declined();
    return ShellResult::refused(systemMessage(error));
}

}  // namespace tarvo::win

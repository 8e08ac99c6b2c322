// ShellExecuteExW for every launch; the console interpreter by its absolute path, with the
// file's path and folder handed over so that the interpreter takes them literally. shell32
// and OLE are loaded at the first launch.
#include "platform/win32/shell_win32.h"

// clang-format off
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
// clang-format on

#include "platform/controls.h"
#include "platform/win32/lazy_dll.h"
#include "platform/win32/win_text.h"

namespace tarvo::win {
namespace {

constexpr char kCommandCom[] = "command.com";
constexpr char kFileVariable[] = "TARVO_FILE";
constexpr char kFolderVariable[] = "TARVO_FOLDER";

std::wstring environmentValue(const wchar_t* name) {
    const DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0) return {};
    std::wstring value(n, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), n));
    return value;
}

// "C:\..." or "\\server\share\...": a path that no search can redirect.
bool isAbsolute(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) return true;
    return path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\';
}

bool isFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Sets the variables for the child's environment and puts the old values back afterwards.
class ChildEnvironment {
public:
    explicit ChildEnvironment(const std::vector<std::pair<std::string, std::string>>& vars) {
        for (const auto& [name, value] : vars) {
            const std::wstring wide = widen(name);
            const bool had = GetEnvironmentVariableW(wide.c_str(), nullptr, 0) != 0;
            saved_.push_back({wide, had, environmentValue(wide.c_str())});
            SetEnvironmentVariableW(wide.c_str(), widen(value).c_str());
        }
    }
    ~ChildEnvironment() {
        for (const auto& old : saved_)
            SetEnvironmentVariableW(old.name.c_str(), old.had ? old.value.c_str() : nullptr);
    }
    ChildEnvironment(const ChildEnvironment&) = delete;
    ChildEnvironment& operator=(const ChildEnvironment&) = delete;

private:
    struct Saved {
        std::wstring name;
        bool had;
        std::wstring value;
    };
    std::vector<Saved> saved_;
};

}  // namespace

std::string systemMessage(unsigned long error) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text ? text : L"", n);
    if (text) LocalFree(text);
    while (!message.empty() &&
           (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    if (message.empty()) return "Error " + std::to_string(error);
    return narrow(message);
}

std::wstring consoleInterpreter() {
    const std::wstring comspec = environmentValue(L"ComSpec");
    if (isAbsolute(comspec) && isFile(comspec)) return comspec;
    wchar_t system[MAX_PATH];
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    return std::wstring(system, n < MAX_PATH ? n : 0) + L"\\cmd.exe";
}

std::optional<ConsoleCommand> consoleCommand(const std::string& p, ConsoleStart start) {
    // "/k \"<path>\"" and, when there is an argument text, one blank and the text. A path
    // never holds a quote, so its closing quote is the first one after the opening quote.
    static const std::string kPrefix = "/k \"";
    if (p.rfind(kPrefix, 0) != 0) return std::nullopt;
    const auto close = p.find('"', kPrefix.size());
    if (close == std::string::npos) return std::nullopt;
    const std::string path = p.substr(kPrefix.size(), close - kPrefix.size());
    const std::string rest = p.substr(close + 1);
    if (!rest.empty() && rest[0] != ' ') return std::nullopt;

    const auto slash = path.rfind('\\');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = path.substr(folder.size());
    const bool nameHasPercent = name.find('%') != std::string::npos;
    const bool folderHasPercent = folder.find('%') != std::string::npos;

    // Inside quotes, "&", "^", "(", ")" and blanks are plain characters to the interpreter,
    // and "!" is one too while delayed expansion is off. Only "%" still expands there: such
    // names go through a variable, which the interpreter expands once and never again. A
    // folder that holds "%" is left out: the interpreter runs in that folder (or has just
    // changed to it), so ".\<name>" names the same file.
    ConsoleCommand command;
    std::string target;
    if (nameHasPercent && start.inheritsEnvironment) {
        command.environment.push_back({kFileVariable, path});
        target = "\"%" + std::string(kFileVariable) + "%\"";
    } else if (folderHasPercent) {
        target = "\".\\" + name + "\"";
    } else {
        target = "\"" + path + "\"";
    }
    std::string line = target + rest;

    if (!start.startsInFolder && !folder.empty()) {
        std::string dir = "\"" + folder + "\"";
        if (folderHasPercent && start.inheritsEnvironment) {
            command.environment.push_back({kFolderVariable, folder});
            dir = "\"%" + std::string(kFolderVariable) + "%\"";
        }
        // "&&": when the folder cannot be entered, nothing runs from the system folder.
        command.parameters = "/v:off /k cd /d " + dir + " && " + line;
    } else {
        // A /k command that starts with a quote loses its first and last quote; the outer
        // pair keeps the command's own quotes (the target's and the text's) as given.
        command.parameters = "/v:off /k \"" + line + "\"";
    }

    // The interpreter expands "%<name>%" wherever it stands, quotes or not, and keeps it as
    // written only while no variable of that name exists: in a fresh environment that is
    // beyond our say. A "%" of the file's that is the only one in the command pairs with
    // nothing and stays literal; any other is refused, and nothing runs.
    if ((nameHasPercent || folderHasPercent) && !start.inheritsEnvironment &&
        std::count(command.parameters.begin(), command.parameters.end(), '%') > 1) {
        command.parameters.clear();
        command.refusal = kElevatedPercentRefusal;
    }
    return command;
}

// Makes a folder the program's current folder for the length of a request and puts the old
// one back. A child started without a folder of its own starts in it, the name taken
// literally: the shell expands "%" pairs in a folder it is given on some systems.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::wstring& folder) {
        const DWORD n = GetCurrentDirectoryW(0, nullptr);
        old_.resize(n);
        old_.resize(GetCurrentDirectoryW(n, old_.data()));
        entered_ = !folder.empty() && SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentFolder() {
        if (entered_) SetCurrentDirectoryW(old_.c_str());
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;
    bool entered() const { return entered_; }

private:
    std::wstring old_;
    bool entered_ = false;
};

ShellResult WinShell::execute(const ShellRequest& request) {
    const std::wstring dir = request.directory ? widen(*request.directory) : std::wstring();
    const CurrentFolder inFolder(dir);
    const bool elevated = request.verb == "runas";

    std::wstring file = widen(request.file);
    std::optional<std::string> parameters = request.parameters;
    std::vector<std::pair<std::string, std::string>> environment;
    if (request.file == kCommandCom) {
        // 64-bit Windows has no command.com of its own: the name is never searched for, so a
        // file of that name beside the target or in the current folder never runs.
        file = consoleInterpreter();
        if (parameters) {
            // An elevated interpreter starts in the system folder, with an environment of
            // the system's making.
            const ConsoleStart start{inFolder.entered() && !elevated, !elevated};
            if (auto command = consoleCommand(*parameters, start)) {
                if (!command->refusal.empty())
                    return ShellResult::failed(ERROR_INVALID_NAME, command->refusal);
                parameters = command->parameters;
                environment = std::move(command->environment);
            }
        }
    }
    const std::wstring verb = request.verb ? widen(*request.verb) : std::wstring();
    const std::wstring params = parameters ? widen(*parameters) : std::wstring();

    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // NOASYNC: the request is complete when the call returns, as the program ends right after.
    // NO_UI: the shell shows no error box of its own; the caller decides what to say.
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = request.owner ? reinterpret_cast<HWND>(request.owner->nativeHandle()) : nullptr;
    info.lpVerb = request.verb ? verb.c_str() : nullptr;
    info.lpFile = file.c_str();
    info.lpParameters = parameters ? params.c_str() : nullptr;
    // A folder holding "%" is given as the current folder instead, which nothing expands.
    const bool passFolder =
        request.directory && !(inFolder.entered() && dir.find(L'%') != dir.npos);
    info.lpDirectory = passFolder ? dir.c_str() : nullptr;
    info.nShow = request.showCommand;

    // shell32 and OLE are loaded here, at the first launch, rather than at start.
    static const LazyFunction<decltype(&::ShellExecuteExW)> shellExecuteEx{L"shell32.dll",
                                                                           "ShellExecuteExW"};
    if (!shellExecuteEx)
        return ShellResult::failed(ERROR_PROC_NOT_FOUND, systemMessage(ERROR_PROC_NOT_FOUND));
    ensureOle();
    const ChildEnvironment scoped(environment);  // the child inherits these at its start
    if (shellExecuteEx(&info)) return ShellResult::started();
    const DWORD error = GetLastError();
    if (error == ERROR_CANCELLED) return ShellResult::cancelled();
    return ShellResult::failed(error, systemMessage(error));
}

}  // namespace tarvo::win

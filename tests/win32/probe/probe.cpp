// probe.exe: a stand-in target for the launch tests. It appends one record of how it was
// started (command line, arguments part, working folder, parent process) to a log and exits.
//
// The log is %TARVO_PROBE_LOG% when that is set, otherwise probe.log beside the executable.
// A record is UTF-8, one field a line, and ends with a line holding "--":
//   cmdline=<GetCommandLineW as given>
//   args=<the command line after the program's own name and the blanks that follow it>
//   cwd=<GetCurrentDirectoryW>
//   pid=<own process id>
//   ppid=<parent process id>
// The whole record goes to the file in one append, so concurrent probes never interleave.
#include <windows.h>
#include <tlhelp32.h>

#include <string>

namespace {

std::string toUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                   nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

// The program name ends at the closing quote when the line starts with one, else at the
// first blank or tab: the rule the C runtime and CommandLineToArgvW use for argv[0].
std::wstring argumentsPart(const std::wstring& line) {
    size_t i = 0;
    if (!line.empty() && line[0] == L'"') {
        i = line.find(L'"', 1);
        i = (i == std::wstring::npos) ? line.size() : i + 1;
    } else {
        while (i < line.size() && line[i] != L' ' && line[i] != L'\t') ++i;
    }
    while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) ++i;
    return line.substr(i);
}

std::wstring currentDirectory() {
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::wstring dir(size, L'\0');
    DWORD got = GetCurrentDirectoryW(size, dir.data());
    dir.resize(got);
    return dir;
}

DWORD parentProcessId() {
    DWORD self = GetCurrentProcessId();
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (BOOL ok = Process32FirstW(snap, &entry); ok; ok = Process32NextW(snap, &entry)) {
        if (entry.th32ProcessID == self) {
            parent = entry.th32ParentProcessID;
            break;
        }
    }
    CloseHandle(snap);
    return parent;
}

std::wstring logPath() {
    wchar_t buffer[32768];
    DWORD n = GetEnvironmentVariableW(L"TARVO_PROBE_LOG", buffer, 32768);
    if (n > 0 && n < 32768) return std::wstring(buffer, n);
    n = GetModuleFileNameW(nullptr, buffer, 32768);
    std::wstring path(buffer, n);
    size_t slash = path.find_last_of(L'\\');
    return path.substr(0, slash == std::wstring::npos ? 0 : slash + 1) + L"probe.log";
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::wstring line = GetCommandLineW();
    std::string record = "cmdline=" + toUtf8(line) + "\n" +
                         "args=" + toUtf8(argumentsPart(line)) + "\n" +
                         "cwd=" + toUtf8(currentDirectory()) + "\n" +
                         "pid=" + std::to_string(GetCurrentProcessId()) + "\n" +
                         "ppid=" + std::to_string(parentProcessId()) + "\n--\n";

    // FILE_APPEND_DATA alone makes every write land at the end of the file, even with
    // another probe writing at the same time.
    HANDLE file = CreateFileW(logPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    DWORD written = 0;
    BOOL ok = WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == record.size() ? 0 : 3;
}

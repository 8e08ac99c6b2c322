// Process, window and keyboard helpers of the end-to-end tests (see driver.h).
#include "driver.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <thread>

namespace e2e {

std::wstring widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string narrow(const std::wstring& utf16) {
    if (utf16.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr,
                                0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

// --- processes -------------------------------------------------------------------------------

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        if (process_) CloseHandle(process_);
        process_ = other.process_;
        pid_ = other.pid_;
        tid_ = other.tid_;
        other.process_ = nullptr;
    }
    return *this;
}

Process::~Process() {
    if (process_) CloseHandle(process_);
}

Process Process::start(const std::wstring& exe, const std::wstring& arguments,
                       const std::wstring& folder) {
    std::wstring line = L"\"" + exe + L"\"";
    if (!arguments.empty()) line += L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
        ADD_FAILURE() << "CreateProcessW failed (" << GetLastError() << "): " << narrow(line);
        return {};
    }
    CloseHandle(pi.hThread);
    return Process(pi.hProcess, pi.dwProcessId, pi.dwThreadId);
}

std::optional<DWORD> Process::waitExit(std::chrono::milliseconds limit) {
    if (!process_) return std::nullopt;
    if (WaitForSingleObject(process_, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

void Process::terminate() {
    if (!process_) return;
    endTree(pid_);
    WaitForSingleObject(process_, 5000);
}

std::vector<std::pair<DWORD, std::wstring>> childrenOf(DWORD parent) {
    std::vector<std::pair<DWORD, std::wstring>> found;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32FirstW(snap, &entry); ok; ok = Process32NextW(snap, &entry)) {
        if (entry.th32ParentProcessID == parent && entry.th32ProcessID != parent)
            found.emplace_back(entry.th32ProcessID, entry.szExeFile);
    }
    CloseHandle(snap);
    return found;
}

void endTree(DWORD pid) {
    for (const auto& child : childrenOf(pid)) endTree(child.first);
    if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
        TerminateProcess(h, 1);
        WaitForSingleObject(h, 5000);
        CloseHandle(h);
    }
}

// --- windows ---------------------------------------------------------------------------------

namespace {

struct WindowSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK matchTopLevel(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<WindowSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == search->pid && IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == nullptr) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct TextSearch {
    const std::wstring* text;
    HWND found;
};

BOOL CALLBACK matchText(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<TextSearch*>(lp);
    if (windowText(hwnd) == *search->text) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND waitForWindow(DWORD pid, std::chrono::milliseconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    do {
        WindowSearch search{pid, nullptr};
        EnumWindows(matchTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.found && answers(search.found)) return search.found;
        Sleep(20);
    } while (std::chrono::steady_clock::now() < end);
    return nullptr;
}

HWND waitForWindowOf(DWORD pid, const std::function<bool(HWND)>& found,
                     std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
        HWND w = nullptr;
        while ((w = FindWindowExW(nullptr, w, nullptr, nullptr)) != nullptr) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == pid && IsWindowVisible(w) && found(w) && answers(w)) return w;
        }
        Sleep(25);
    } while (std::chrono::steady_clock::now() < end);
    return nullptr;
}

bool answers(HWND window, std::chrono::milliseconds limit) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                               static_cast<UINT>(limit.count()), &result) != 0;
}

HWND focusOf(HWND topLevel) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    DWORD tid = GetWindowThreadProcessId(topLevel, nullptr);
    if (!GetGUIThreadInfo(tid, &info)) return nullptr;
    return info.hwndFocus;
}

bool bringToFront(HWND window) {
    if (GetForegroundWindow() == window) return true;
    // A process may only take the foreground from the one that holds it; joining the
    // input of the two threads for a moment lifts that rule for the call.
    DWORD self = GetCurrentThreadId();
    DWORD target = GetWindowThreadProcessId(window, nullptr);
    AttachThreadInput(self, target, TRUE);
    SetForegroundWindow(window);
    AttachThreadInput(self, target, FALSE);
    for (int i = 0; i < 100 && GetForegroundWindow() != window; ++i) Sleep(20);
    return GetForegroundWindow() == window;
}

std::wstring windowText(HWND window) {
    // WM_GETTEXT rather than GetWindowTextW: the latter does not ask another process's
    // edit controls for their text.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &got);
    text.resize(got);
    return text;
}

std::wstring className(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

HWND findChildByText(HWND parent, const std::wstring& text) {
    TextSearch search{&text, nullptr};
    EnumChildWindows(parent, matchText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// --- keyboard --------------------------------------------------------------------------------

namespace {

void send(std::vector<INPUT>& inputs) {
    UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    EXPECT_EQ(sent, inputs.size()) << "SendInput refused input (" << GetLastError() << ")";
}

INPUT key(WORD vk, WORD scan, DWORD flags) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = scan;
    in.ki.dwFlags = flags;
    return in;
}

}  // namespace

void settle(HWND window) {
    // The input is queued to the window's thread; a sent WM_NULL is answered only between
    // messages, and a second one after the posted messages the first input produced.
    for (int i = 0; i < 3; ++i) {
        answers(window, 2000ms);
        Sleep(10);
    }
}

void typeText(const std::wstring& text) {
    std::vector<INPUT> inputs;
    for (wchar_t c : text) {
        inputs.push_back(key(0, c, KEYEVENTF_UNICODE));
        inputs.push_back(key(0, c, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
    }
    send(inputs);
    settle(GetForegroundWindow());
}

void pressKey(WORD vk) {
    std::vector<INPUT> inputs{key(vk, 0, 0), key(vk, 0, KEYEVENTF_KEYUP)};
    send(inputs);
    settle(GetForegroundWindow());
}

void pressWithAlt(WORD vk) {
    std::vector<INPUT> inputs{key(VK_MENU, 0, 0), key(vk, 0, 0), key(vk, 0, KEYEVENTF_KEYUP),
                              key(VK_MENU, 0, KEYEVENTF_KEYUP)};
    send(inputs);
    settle(GetForegroundWindow());
}

void pressWithModifiers(std::initializer_list<WORD> modifiers, WORD vk) {
    std::vector<INPUT> inputs;
    for (WORD m : modifiers) inputs.push_back(key(m, 0, 0));
    inputs.push_back(key(vk, 0, 0));
    inputs.push_back(key(vk, 0, KEYEVENTF_KEYUP));
    for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m)
        inputs.push_back(key(*m, 0, KEYEVENTF_KEYUP));
    send(inputs);
    settle(GetForegroundWindow());
}

// --- files -----------------------------------------------------------------------------------

std::optional<std::string> readFile(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE |
                           FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(h);
    return bytes;
}

bool writeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::string> waitForFile(const std::wstring& path, std::chrono::milliseconds limit,
                                       size_t minBytes) {
    auto end = std::chrono::steady_clock::now() + limit;
    do {
        auto bytes = readFile(path);
        if (bytes && bytes->size() >= minBytes) return bytes;
        Sleep(50);
    } while (std::chrono::steady_clock::now() < end);
    return std::nullopt;
}

TempFolder::TempFolder(const std::wstring& nameHint) {
    wchar_t temp[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    std::wstring base(temp, n);
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    for (unsigned i = GetTickCount() % 100000;; ++i) {
        path_ = base + L"\\" + nameHint + L" " + std::to_wstring(i);
        if (CreateDirectoryW(path_.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            ADD_FAILURE() << "cannot create " << narrow(path_);
            break;
        }
    }
}

TempFolder::~TempFolder() {
    // SHFileOperation wants a double-NUL-terminated list.
    std::wstring from = path_ + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

std::wstring builtProgram(const std::wstring& fileName, const wchar_t* overrideVariable) {
    wchar_t buffer[32768];
    DWORD n = GetEnvironmentVariableW(overrideVariable, buffer, 32768);
    if (n > 0 && n < 32768) return std::wstring(buffer, n);
    n = GetModuleFileNameW(nullptr, buffer, 32768);
    std::wstring self(buffer, n);
    return self.substr(0, self.find_last_of(L'\\') + 1) + fileName;
}

std::wstring processName(DWORD pid) {
    std::wstring name;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return name;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32FirstW(snap, &entry); ok; ok = Process32NextW(snap, &entry)) {
        if (entry.th32ProcessID == pid) {
            name = entry.szExeFile;
            break;
        }
    }
    CloseHandle(snap);
    return name;
}

// --- probe log -------------------------------------------------------------------------------

std::vector<ProbeRecord> parseProbeLog(const std::string& log) {
    std::vector<ProbeRecord> records;
    ProbeRecord current;
    size_t pos = 0;
    while (pos < log.size()) {
        size_t end = log.find('\n', pos);
        if (end == std::string::npos) break;  // a record still being written
        std::string line = log.substr(pos, end - pos);
        pos = end + 1;
        if (line == "--") {
            records.push_back(current);
            current = {};
        } else if (line.rfind("cmdline=", 0) == 0) {
            current.cmdline = line.substr(8);
        } else if (line.rfind("args=", 0) == 0) {
            current.args = line.substr(5);
        } else if (line.rfind("cwd=", 0) == 0) {
            current.cwd = line.substr(4);
        } else if (line.rfind("pid=", 0) == 0) {
            current.pid = static_cast<DWORD>(std::stoul(line.substr(4)));
        } else if (line.rfind("ppid=", 0) == 0) {
            current.ppid = static_cast<DWORD>(std::stoul(line.substr(5)));
        }
    }
    return records;
}

std::vector<ProbeRecord> waitForProbeRecords(const std::wstring& logPath, size_t atLeast,
                                             std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    std::vector<ProbeRecord> records;
    do {
        if (auto log = readFile(logPath)) records = parseProbeLog(*log);
        if (records.size() >= atLeast) break;
        Sleep(50);
    } while (std::chrono::steady_clock::now() < end);
    return records;
}

}  // namespace e2e

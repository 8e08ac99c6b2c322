// Drives another program's windows the way a user would, for the end-to-end tests: starts
// it, finds its window, types into it with real keyboard input, and reads files it leaves.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& utf16);

// A started process; ending it (by its id) is the owner's choice, the handles are closed.
class Process {
public:
    Process() = default;
    Process(HANDLE process, DWORD pid, DWORD tid) : process_(process), pid_(pid), tid_(tid) {}
    Process(Process&& other) noexcept { *this = std::move(other); }
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    // Starts `"exe" arguments` (arguments exactly as given) in the folder; fails the test
    // and returns an empty Process when CreateProcessW refuses.
    static Process start(const std::wstring& exe, const std::wstring& arguments,
                         const std::wstring& folder);

    DWORD pid() const { return pid_; }
    DWORD mainThread() const { return tid_; }
    explicit operator bool() const { return process_ != nullptr; }
    // The exit code once the process has ended within the time, else nothing.
    std::optional<DWORD> waitExit(std::chrono::milliseconds limit);
    void terminate();

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    DWORD tid_ = 0;
};

// The first visible top-level window of the process that answers messages, waiting for it.
HWND waitForWindow(DWORD pid, std::chrono::milliseconds limit);
// A visible top-level window of the process (owned or not) for which found() holds and that
// answers messages, waiting for it.
HWND waitForWindowOf(DWORD pid, const std::function<bool(HWND)>& found,
                     std::chrono::milliseconds limit = 20s);
// True once the window's thread answers a WM_NULL: it is in its message loop.
bool answers(HWND window, std::chrono::milliseconds limit = 1000ms);
// The window with the keyboard focus in that window's thread (null if none).
HWND focusOf(HWND topLevel);
// Makes the window the foreground window so that keyboard input reaches it.
bool bringToFront(HWND window);

std::wstring windowText(HWND window);
std::wstring className(HWND window);
// The first child (at any depth) whose text is exactly `text`.
HWND findChildByText(HWND parent, const std::wstring& text);

// Real keyboard input through SendInput: each character as a Unicode key press, keys by
// virtual-key code. Every call waits until the foreground thread has handled the input.
void typeText(const std::wstring& text);
void pressKey(WORD vk);
void pressWithAlt(WORD vk);
// The key pressed while the modifier keys (VK_CONTROL, VK_SHIFT, ...) are held down.
void pressWithModifiers(std::initializer_list<WORD> modifiers, WORD vk);
// Waits until the foreground window's thread has emptied its input queue.
void settle(HWND window);

// Processes alive now whose parent is `parent`, as (pid, exe name).
std::vector<std::pair<DWORD, std::wstring>> childrenOf(DWORD parent);
// Ends a process by its id, with its own children first.
void endTree(DWORD pid);

// Whole-file helpers (bytes, no conversion).
std::optional<std::string> readFile(const std::wstring& path);
bool writeFile(const std::wstring& path, const std::string& bytes);
bool fileExists(const std::wstring& path);
// Waits until the file exists and holds at least `minBytes`.
std::optional<std::string> waitForFile(const std::wstring& path, std::chrono::milliseconds limit,
                                       size_t minBytes = 1);

// A fresh empty folder under the Windows temp folder, removed with its files at the end.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& nameHint);
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();
    const std::wstring& path() const { return path_; }  // no trailing backslash
    std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// A program built beside the test program (Tarvo.exe, probe.exe), or the path in the
// environment variable when that is set.
std::wstring builtProgram(const std::wstring& fileName, const wchar_t* overrideVariable);
// The executable name of a running process (empty when it is gone).
std::wstring processName(DWORD pid);

// One record of probe.exe's log.
struct ProbeRecord {
    std::string cmdline, args, cwd;
    DWORD pid = 0, ppid = 0;
};
std::vector<ProbeRecord> parseProbeLog(const std::string& log);
// The records of the probe's log at logPath once it holds at least atLeast of them, or what it
// holds when the time is up.
std::vector<ProbeRecord> waitForProbeRecords(const std::wstring& logPath, size_t atLeast,
                                             std::chrono::milliseconds limit = 20s);

}  // namespace e2e

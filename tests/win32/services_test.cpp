// The Win32 platform services: launches through the shell (directly and through the console
// interpreter), the input box, message boxes, and the two pickers driven as a user would.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "frontend/win32/host_win32.h"
#include "frontend/win32/pickers_win32.h"
#include "platform/win32/shell_win32.h"
#include "win32/win32_test_support.h"

// clang-format off
#include <windows.h>
#include <shlobj.h>
// clang-format on

namespace tarvo::test {
namespace {

using namespace std::chrono_literals;

std::wstring besideTests(const std::wstring& name) {
    std::wstring self = win::widen(win::modulePath());
    return self.substr(0, self.find_last_of(L'\\') + 1) + name;
}

// The fields of probe.exe's first record, once it has written one.
std::map<std::string, std::string> waitForProbe(const WinTempFolder& folder) {
    for (int i = 0; i < 300; ++i) {
        const std::string log = folder.read("probe.log");
        if (log.find("\n--\n") != std::string::npos) {
            std::map<std::string, std::string> fields;
            std::istringstream in(log);
            for (std::string line; std::getline(in, line) && line != "--";) {
                const auto eq = line.find('=');
                if (eq != std::string::npos) fields[line.substr(0, eq)] = line.substr(eq + 1);
            }
            return fields;
        }
        std::this_thread::sleep_for(50ms);
    }
    return {};
}

class ShellTest : public ::testing::Test {
  protected:
    ShellTest() {
        folder = temp.path() + "\\My Files \xC3\xBC";
        CreateDirectoryW(win::widen(folder).c_str(), nullptr);
        probe = folder +
                "\\pr\xC3\xB8"
                "be.exe";
        CopyFileW(besideTests(L"probe.exe").c_str(), win::widen(probe).c_str(), FALSE);
        SetEnvironmentVariableW(L"TARVO_PROBE_LOG", temp.file("probe.log").c_str());
    }
    ~ShellTest() override { SetEnvironmentVariableW(L"TARVO_PROBE_LOG", nullptr); }

    WinTempFolder temp;
    std::string folder, probe;
    win::WinShell shell;
};

TEST_F(ShellTest, StartsTheFileWithItsArgumentsInItsFolder) {
    ShellRequest r;
    r.file = probe;
    r.parameters = "-c \"a b\"  \xE2\x82\xAC";
    r.directory = folder + "\\";
    ASSERT_TRUE(shell.execute(r).ok());
    const auto record = waitForProbe(temp);
    EXPECT_EQ(record.at("args"), "-c \"a b\"  \xE2\x82\xAC");
    EXPECT_EQ(record.at("cwd"), folder);
}

// Ends the console interpreter that started the probe (its parent, after making sure it is
// one) and returns the interpreter's image path.
std::wstring endInterpreterOf(const std::map<std::string, std::string>& record) {
    const DWORD cmd = static_cast<DWORD>(std::stoul(record.at("ppid")));
    HANDLE h = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, cmd);
    if (!h) return {};
    wchar_t image[MAX_PATH];
    DWORD size = MAX_PATH;
    std::wstring path;
    if (QueryFullProcessImageNameW(h, 0, image, &size)) path.assign(image, size);
    if (path.find(L"cmd.exe") != std::wstring::npos) TerminateProcess(h, 0);
    CloseHandle(h);
    return path;
}

std::wstring systemCmd() {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    return std::wstring(system) + L"\\cmd.exe";
}

// The interpreter runs the quoted path and the argument text exactly, and stays open until
// we end it.
TEST_F(ShellTest, ConsoleRunsTheCommandIntact) {
    ShellRequest r;
    r.file = "command.com";
    r.parameters = "/k \"" + probe + "\" -v \"x y\"";
    r.directory = folder + "\\";
    ASSERT_TRUE(shell.execute(r).ok());
    const auto record = waitForProbe(temp);
    ASSERT_FALSE(record.empty());
    EXPECT_EQ(record.at("args"), "-v \"x y\"");
    EXPECT_EQ(record.at("cwd"), folder);
    EXPECT_NE(endInterpreterOf(record).find(L"cmd.exe"), std::wstring::npos);
}

// A program named command.com or cmd.exe beside the target or in the current folder is never
// started in the interpreter's place; with %ComSpec% unset or not an absolute path to a file,
// the system folder's cmd.exe runs.
TEST_F(ShellTest, ConsoleNeverRunsAPlantedInterpreter) {
    const std::wstring planted[] = {
        win::widen(folder) + L"\\command.com", win::widen(folder) + L"\\cmd.exe",
        win::widen(temp.path()) + L"\\command.com", win::widen(temp.path()) + L"\\cmd.exe"};
    for (const auto& copy : planted)
        CopyFileW(besideTests(L"probe.exe").c_str(), copy.c_str(), FALSE);
    wchar_t oldCwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, oldCwd);
    SetCurrentDirectoryW(win::widen(temp.path()).c_str());
    const std::wstring oldComspec = [] {
        wchar_t v[MAX_PATH] = {};
        GetEnvironmentVariableW(L"ComSpec", v, MAX_PATH);
        return std::wstring(v);
    }();

    for (const wchar_t* comspec :
         {static_cast<const wchar_t*>(nullptr), L"cmd.exe", L"C:\\none\\cmd.exe"}) {
        SetEnvironmentVariableW(L"ComSpec", comspec);
        DeleteFileW(temp.file("probe.log").c_str());
        ShellRequest r;
        r.file = "command.com";
        r.parameters = "/k \"" + probe + "\" planted";
        r.directory = folder + "\\";
        ASSERT_TRUE(shell.execute(r).ok());
        const auto record = waitForProbe(temp);
        ASSERT_FALSE(record.empty());
        EXPECT_EQ(record.at("args"), "planted");
        EXPECT_EQ(record.at("cmdline").find("command.com"), std::string::npos);
        EXPECT_EQ(win::widen(record.at("cmdline")).find(planted[1]), std::wstring::npos);
        const std::wstring interpreter = endInterpreterOf(record);
        EXPECT_EQ(CompareStringOrdinal(interpreter.c_str(), -1, systemCmd().c_str(), -1, TRUE),
                  CSTR_EQUAL)
            << win::narrow(interpreter);
    }
    SetEnvironmentVariableW(L"ComSpec", oldComspec.c_str());
    SetCurrentDirectoryW(oldCwd);
}

// The file's path and folder reach the interpreter literally whatever they hold, while the
// typed text keeps its meaning to the interpreter ("&" still separates two commands).
TEST_F(ShellTest, ConsoleTakesFolderNamesLiterally) {
    for (const std::string name : {"x%OS%y", "a!b!c", "R&D", "a^b", "(p) 100%"}) {
        DeleteFileW(temp.file("probe.log").c_str());
        const std::string dir = temp.path() + "\\" + name;
        CreateDirectoryW(win::widen(dir).c_str(), nullptr);
        const std::string target = dir + "\\probe.exe";
        CopyFileW(besideTests(L"probe.exe").c_str(), win::widen(target).c_str(), FALSE);
        ShellRequest r;
        r.file = "command.com";
        r.parameters = "/k \"" + target + "\" -a %OS% & echo done";
        r.directory = dir + "\\";
        ASSERT_TRUE(shell.execute(r).ok()) << name;
        const auto record = waitForProbe(temp);
        ASSERT_FALSE(record.empty()) << name;
        EXPECT_EQ(record.at("args"), "-a Windows_NT ") << name;
        EXPECT_EQ(record.at("cwd"), dir) << name;
        endInterpreterOf(record);
    }
}

// "runas" on the console: the interpreter changes to the file's folder itself, since an
// elevated one starts in the system folder.
TEST_F(ShellTest, ElevatedConsoleRunsInTheFilesFolder) {
    ShellRequest r;
    r.verb = "runas";
    r.file = "command.com";
    r.parameters = "/k \"" + probe + "\" -e";
    r.directory = folder + "\\";
    ASSERT_TRUE(shell.execute(r).ok());
    const auto record = waitForProbe(temp);
    ASSERT_FALSE(record.empty());
    EXPECT_EQ(record.at("args"), "-e");
    EXPECT_EQ(record.at("cwd"), folder);
    endInterpreterOf(record);
}

// A folder of batch files that start the probe with a word saying which ran: the user's
// "50%.bat" and "a%b%c.bat", and files planted under the names the interpreter would reach if
// it read the "%" pairs as variables, or if a name were handed over in one.
class PercentNames {
  public:
    explicit PercentNames(const WinTempFolder& temp) : dir(temp.path() + "\\pct") {
        CreateDirectoryW(win::widen(dir).c_str(), nullptr);
        const std::string probe = win::narrow(besideTests(L"probe.exe"));
        auto write = [&](const std::string& name, const std::string& word) {
            std::ofstream(std::filesystem::path(win::widen(dir + "\\" + name)), std::ios::binary)
                << "@\"" << probe << "\" " << word << "\r\n";
        };
        write("50%.bat", "user");
        write("a%b%c.bat", "user");
        for (const char* planted : {"%TARVO_FILE%.bat", "%TARVO_FOLDER%.bat", "a.bat", "ac.bat"})
            write(planted, "planted");
    }
    std::string dir;
};

// Started as administrator, the interpreter gets none of our environment. A name whose "%"
// could pair with another is refused with a message, and nothing runs; a lone "%" runs the
// user's file, never a planted one.
TEST_F(ShellTest, ElevatedConsoleRunsTheUsersFileOrNothing) {
    const PercentNames files(temp);
    ShellRequest r;
    r.verb = "runas";
    r.file = "command.com";
    r.directory = files.dir + "\\";
    r.parameters = "/k \"" + files.dir + "\\a%b%c.bat\" 1";
    const ShellResult refused = shell.execute(r);
    EXPECT_EQ(refused.outcome, ShellResult::Outcome::Failed);
    EXPECT_EQ(refused.reason, win::kElevatedPercentRefusal);

    r.parameters = "/k \"" + files.dir + "\\50%.bat\"";
    ASSERT_TRUE(shell.execute(r).ok());
    const auto record = waitForProbe(temp);
    ASSERT_FALSE(record.empty());
    EXPECT_EQ(record.at("args"), "user");
    endInterpreterOf(record);
    std::this_thread::sleep_for(500ms);  // a second start, had there been one, has logged
    const std::string log = temp.read("probe.log");
    EXPECT_EQ(log.find("planted"), std::string::npos) << log;
    EXPECT_EQ(log.find("\n--\n"), log.rfind("\n--\n")) << "more than one start: " << log;
}

// The elevated command as an elevated start runs it: in the system folder, in an environment of
// the system's making that holds none of our variables. The user's file runs.
TEST_F(ShellTest, ElevatedConsoleCommandNeedsNoVariableOfOurs) {
    const PercentNames files(temp);
    const auto command = win::consoleCommand("/k \"" + files.dir + "\\50%.bat\" -x",
                                             win::ConsoleStart{false, false});
    ASSERT_TRUE(command);
    ASSERT_TRUE(command->refusal.empty());
    ASSERT_TRUE(command->environment.empty());

    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    std::wstring block;
    for (const std::wstring& entry :
         {L"ComSpec=" + systemCmd(), L"PATH=" + std::wstring(system) + L";" + windows,
          std::wstring(L"PATHEXT=.COM;.EXE;.BAT;.CMD"), L"SystemRoot=" + std::wstring(windows),
          L"TARVO_PROBE_LOG=" + temp.file("probe.log").wstring(),
          L"windir=" + std::wstring(windows)})
        block += entry + L'\0';
    block += L'\0';
    std::wstring line = L"cmd.exe " + win::widen(command->parameters);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(systemCmd().c_str(), line.data(), nullptr, nullptr, FALSE,
                               CREATE_UNICODE_ENVIRONMENT | CREATE_NEW_CONSOLE, block.data(),
                               system, &si, &pi));
    const auto record = waitForProbe(temp);
    TerminateProcess(pi.hProcess, 0);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_FALSE(record.empty());
    EXPECT_EQ(record.at("args"), "user");
    EXPECT_EQ(record.at("cwd"), files.dir);
}

TEST_F(ShellTest, AFailedRequestSaysWhy) {
    ShellRequest r;
    r.file = temp.path() + "\\missing.exe";
    const ShellResult result = shell.execute(r);
    EXPECT_EQ(result.outcome, ShellResult::Outcome::Failed);
    EXPECT_NE(result.systemError, 0u);
    EXPECT_FALSE(result.reason.empty());
}

// Runs `act` on another thread once a top-level window with this title exists, while the
// calling thread sits in the window's modal loop.
class WhenShown {
  public:
    WhenShown(const wchar_t* title, std::function<void(HWND)> act)
        : thread_([this, title, act] {
              for (int i = 0; i < 400 && !stop_; ++i) {
                  if (HWND w = FindWindowW(nullptr, title)) {
                      std::this_thread::sleep_for(100ms);
                      act(w);
                      return;
                  }
                  std::this_thread::sleep_for(25ms);
              }
          }) {}
    ~WhenShown() {
        stop_ = true;
        thread_.join();
    }

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST(HostTest, InputBoxReturnsTheTypedTextOrEmptyOnCancel) {
    win::WinHost host({});
    {
        RECT placed{};
        WhenShown typing(L"Tarvolin", [&placed](HWND box) {
            GetWindowRect(box, &placed);
            HWND edit = FindWindowExW(box, nullptr, L"Edit", nullptr);
            SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L".txt"));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        EXPECT_EQ(host.inputBox(nullptr, "Extension:", "Tarvolin", "x"), ".txt");
        // The input box's own place: centred across the screen, a third of the way down.
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT& area = monitor.rcWork;
        const int w = placed.right - placed.left, h = placed.bottom - placed.top;
        EXPECT_GT(w, 0);
        EXPECT_NEAR(placed.left, area.left + (area.right - area.left - w) / 2, 1);
        EXPECT_NEAR(placed.top, area.top + (area.bottom - area.top - h) / 3, 1);
    }
    {
        WhenShown cancelling(L"Tarvolin", [](HWND box) {
            wchar_t prompt[64] = {};
            GetDlgItemTextW(box, 100, prompt, 64);
            if (std::wstring(prompt) == L"Extension:") PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(host.inputBox(nullptr, "Extension:", "Tarvolin", "x"), "");
    }
}

// The input box's prompt stands just before its edit field in the window order, where a
// screen reader finds the field's name; Tab still goes OK, Cancel, the field.
TEST(HostTest, InputBoxNamesItsFieldByThePrompt) {
    win::WinHost host({});
    HWND before = nullptr, prompt = nullptr;
    std::vector<HWND> tabs, expected;
    WhenShown checking(L"Tarvolin", [&](HWND box) {
        HWND edit = FindWindowExW(box, nullptr, L"Edit", nullptr);
        before = GetWindow(edit, GW_HWNDPREV);
        prompt = GetDlgItem(box, 100);
        expected = {GetDlgItem(box, IDOK), GetDlgItem(box, IDCANCEL), edit, GetDlgItem(box, IDOK)};
        HWND at = expected[0];
        tabs.push_back(at);
        for (int i = 0; i < 3; ++i) tabs.push_back(at = GetNextDlgTabItem(box, at, FALSE));
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    });
    host.inputBox(nullptr, "Please Enter File Extension:", "Tarvolin", "");
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(before, prompt);
    EXPECT_EQ(tabs, expected);
}

TEST(HostTest, MessageBoxReportsTheButtonPressed) {
    win::WinHost host({});
    WhenShown answering(L"Tarvolin", [](HWND box) { PostMessageW(box, WM_COMMAND, IDNO, 0); });
    EXPECT_EQ(host.messageBox(nullptr, "Remove?", "Tarvolin", MsgButtons::YesNo, MsgIcon::Question),
              MsgResult::No);
}

TEST(PickerTest, OpenFileDialogReturnsThePickedPathAndItsTitle) {
    WinTempFolder temp;
    temp.write("conv \xC3\xA9.cfg", "x");
    win::WinFilePicker picker;
    WhenShown picking(L"Browse Files...", [](HWND dialog) {
        // The file name box of the explorer-style dialog.
        SetDlgItemTextW(dialog, 0x47C, L"conv \u00e9.cfg");
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    OpenFileRequest request;
    request.title = "Browse Files...";
    request.filterDescription = "All Files";
    request.initDir = temp.path();
    request.flags = 0x1004;
    const auto picked = picker.showOpen(request);
    ASSERT_TRUE(picked.has_value());
    EXPECT_EQ(picked->path, temp.path() + "\\conv \xC3\xA9.cfg");
    EXPECT_EQ(picked->title, "conv \xC3\xA9.cfg");
}

TEST(PickerTest, CancelledOpenFileDialogGivesNothing) {
    win::WinFilePicker picker;
    WhenShown cancelling(L"Browse Files...",
                         [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
    OpenFileRequest request;
    request.title = "Browse Files...";
    EXPECT_FALSE(picker.showOpen(request));
}

// The folder picker reports a real folder by its path and a virtual one by its "::" name.
TEST(PickerTest, FolderPickerGivesPathsAndVirtualNames) {
    win::WinFolderPicker picker;
    const std::wstring target = L"C:\\";
    {
        WhenShown choosing(L"Browse for Folder", [&](HWND dialog) {
            // Wine's picker takes the selection as an item list more reliably than as a path.
            PIDLIST_ABSOLUTE item = nullptr;
            SHParseDisplayName(target.c_str(), nullptr, &item, 0, nullptr);
            SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(item));
            CoTaskMemFree(item);
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        EXPECT_EQ(picker.browseForFolder("Select Folder...", 0x50), "C:\\");  // a drive root keeps its backslash
    }
    {
        WhenShown choosing(L"Browse for Folder", [](HWND dialog) {
            PIDLIST_ABSOLUTE computer = nullptr;
            SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer);
            SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(computer));
            CoTaskMemFree(computer);
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        EXPECT_EQ(picker.browseForFolder("Select Folder...", 0x50).rfind("::", 0), 0u);
    }
    {
        WhenShown cancelling(L"Browse for Folder",
                             [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
        EXPECT_EQ(picker.browseForFolder("Select Folder...", 0x50), "");
    }
}

}  // namespace
}  // namespace tarvo::test

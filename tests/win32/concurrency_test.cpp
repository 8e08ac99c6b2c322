// Running copies of the program writing one MRU.INI at once on the real platform lose nothing;
// a write clears what an ended writer left; a read-only MRU.INI and a data folder beyond
// MAX_PATH behave as on any other system.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

// After <windows.h>, whose WriteProfileString macro the engine's header takes back.
#include "win32_test_support.h"
#include "storage/ini_handler.h"

namespace tarvo::test {
namespace {

constexpr int kCopies = 4;
constexpr int kTargets = 10;
constexpr int kPresses = 3;  // per target: 30 presses per copy
constexpr wchar_t kChildVariable[] = L"TARVO_CONCURRENCY_CHILD";

std::string target(int copy, int t) {
    return "tool" + std::to_string(copy) + "-" + std::to_string(t) + ".exe";
}
std::string argument(int copy, int t, int press) {
    return "--c " + std::to_string(copy) + " --t " + std::to_string(t) + " --p " +
           std::to_string(press);
}

// The dialog's load and OK for one target: key 0 and the history through one snapshot, then
// key 0 and the moved history in one commit.
void press(const std::string& file, const std::string& section, const std::string& text) {
    std::vector<std::string> history;
    {
        const ProfileSnapshot snapshot(file);
        if (snapshot.ReadProfileString(section, "0", "5") != "5") {
            for (int i = 1; i <= 20; ++i) {
                std::string entry = snapshot.ReadProfileString(section, " " + std::to_string(i), "");
                if (entry.empty()) break;
                history.push_back(entry);
            }
        }
    }
    ProfileEdit edit(file);
    std::string zero = "0";
    edit.WriteProfileString(section, "0", zero);
    std::string first = text;
    edit.WriteProfileString(section, "1", first);
    for (std::size_t i = 0; i < history.size() && i < 19; ++i) {
        edit.WriteProfileString(section, " " + std::to_string(i + 2), history[i]);
    }
    edit.commit();
}

// One running copy: started by the test below with the file and its number in the
// environment; skipped when the test program runs on its own.
TEST(WineConcurrency, ChildCopyPresses) {
    wchar_t value[1024];
    const DWORD n = GetEnvironmentVariableW(kChildVariable, value, 1024);
    if (n == 0 || n >= 1024) GTEST_SKIP() << "runs only as a child copy";
    const std::string task = win::narrow(value);
    const auto bar = task.rfind('|');
    const std::string file = task.substr(0, bar);
    const int copy = std::atoi(task.c_str() + bar + 1);
    for (int p = 0; p < kPresses; ++p) {
        for (int t = 0; t < kTargets; ++t) press(file, target(copy, t), argument(copy, t, p));
    }
}

TEST(WineConcurrency, CopiesWritingAtOnceLoseNothing) {
    WinTempFolder folder;
    const std::string file = folder.path() + "\\MRU.INI";
    folder.write("MRU.INI", "[kept.exe]\r\n0=1\r\n1=untouched\r\n");

    wchar_t self[MAX_PATH * 4];
    GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    std::vector<PROCESS_INFORMATION> children;
    for (int copy = 0; copy < kCopies; ++copy) {
        SetEnvironmentVariableW(kChildVariable,
                                win::widen(file + "|" + std::to_string(copy)).c_str());
        std::wstring command = L"\"" + std::wstring(self) +
                               L"\" --gtest_filter=WineConcurrency.ChildCopyPresses";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &process));
        CloseHandle(process.hThread);
        children.push_back(process);
    }
    SetEnvironmentVariableW(kChildVariable, nullptr);
    for (const auto& child : children) {
        EXPECT_EQ(WaitForSingleObject(child.hProcess, 120'000), WAIT_OBJECT_0);
        DWORD code = 1;
        GetExitCodeProcess(child.hProcess, &code);
        EXPECT_EQ(code, 0u);
        CloseHandle(child.hProcess);
    }

    const ProfileSnapshot snapshot(file);
    int whole = 0;
    for (int copy = 0; copy < kCopies; ++copy) {
        for (int t = 0; t < kTargets; ++t) {
            bool ok = snapshot.ReadProfileString(target(copy, t), "0", "5") == "0";
            for (int p = 0; p < kPresses; ++p) {
                ok = ok && snapshot.ReadProfileString(target(copy, t),
                                                      std::to_string(kPresses - p), "") ==
                               argument(copy, t, p);
            }
            whole += ok;
            if (!ok) {
                std::string record;
                for (int k = 0; k <= kPresses; ++k) {
                    record += " " + std::to_string(k) + "=" +
                              snapshot.ReadProfileString(target(copy, t), std::to_string(k), "-");
                }
                ADD_FAILURE() << target(copy, t) << ":" << record;
            }
        }
    }
    EXPECT_EQ(whole, kCopies * kTargets);
    EXPECT_EQ(snapshot.ReadProfileString("kept.exe", "1", ""), "untouched");
}

TEST(WineConcurrency, AReadOnlyHistoryFileKeepsItsContent) {
    WinTempFolder folder;
    const std::string before = "[run.exe]\r\n0=1\r\n1=old\r\n";
    folder.write("MRU.INI", before);
    const std::wstring path = folder.file("MRU.INI").wstring();
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    ProfileEdit edit(folder.path() + "\\MRU.INI");
    std::string value = "new";
    edit.WriteProfileString("run.exe", "1", value);
    EXPECT_FALSE(edit.commit());
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(folder.read("MRU.INI"), before);
}

// A started copy of the system's command interpreter: left suspended (a writer still at
// work) or run to its end (a writer that was ended).
DWORD startInterpreter(bool suspended, HANDLE* process) {
    wchar_t system[MAX_PATH];
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 0;
    const std::wstring exe = std::wstring(system) + L"\\cmd.exe";
    std::wstring line = L"\"" + exe + L"\" /c exit 0";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE,
                        suspended ? CREATE_SUSPENDED : CREATE_NO_WINDOW, nullptr, nullptr, &si,
                        &pi))
        return 0;
    CloseHandle(pi.hThread);
    if (!suspended) {
        WaitForSingleObject(pi.hProcess, 30000);
        CloseHandle(pi.hProcess);
    } else {
        *process = pi.hProcess;
    }
    return pi.dwProcessId;
}

// The temporary file of a writer that was ended is cleared by the next write of the same
// file; a running writer's and other names stay.
TEST(WineConcurrency, TheNextWriteClearsAnEndedWritersTemporaryFile) {
    HANDLE runningProcess = nullptr;
    const DWORD running = startInterpreter(true, &runningProcess);
    const DWORD ended = startInterpreter(false, nullptr);
    ASSERT_NE(running, 0u);
    ASSERT_NE(ended, 0u);
    WinTempFolder folder;
    const std::string endedTemp = "MRU.INI.tmp" + std::to_string(ended) + "-2";
    const std::vector<std::string> kept{"MRU.INI.tmp" + std::to_string(running) + "-1",
                                        "MRU.INI.tmp" + std::to_string(ended),
                                        "other.ini.tmp" + std::to_string(ended) + "-2"};
    folder.write(endedTemp, "[half");
    for (const auto& name : kept) folder.write(name, "[half");

    std::string value = "-x";
    INIHandler::WriteProfileString(folder.path() + "\\MRU.INI", "run.exe", "1", value);
    EXPECT_EQ(folder.read("MRU.INI"), "[run.exe]\r\n1=-x\r\n");
    EXPECT_FALSE(folder.exists(endedTemp));
    for (const auto& name : kept) EXPECT_TRUE(folder.exists(name)) << name;

    TerminateProcess(runningProcess, 0);
    WaitForSingleObject(runningProcess, 5000);
    CloseHandle(runningProcess);
}

TEST(WineConcurrency, ADataFolderBeyondMaxPathIsWrittenAndRead) {
    WinTempFolder folder;
    std::string deep = folder.path();
    while (deep.size() <= MAX_PATH + 40) {
        deep += "\\" + std::string(60, 'f');
        CreateDirectoryW(win::widen(deep).c_str(), nullptr);
    }
    const std::string file = deep + "\\MRU.INI";
    std::string value = "-deep";
    INIHandler::WriteProfileString(file, "run.exe", "1", value);
    EXPECT_EQ(INIHandler::ReadProfileString(file, "run.exe", "1", ""), "-deep");
}

}  // namespace
}  // namespace tarvo::test

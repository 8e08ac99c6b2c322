// End-to-end: Tarvo.exe's dialog is ready for input before the shell or the common dialogs are
// loaded; they come with their first use (here the launch at OK).
#include <gtest/gtest.h>

#include <set>

#include "driver.h"
// clang-format off
#include <tlhelp32.h>
// clang-format on

namespace e2e {
namespace {

// The file names of the DLLs loaded in the process, in lower case.
std::set<std::wstring> modulesOf(DWORD pid) {
    std::set<std::wstring> names;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE) return names;
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    for (BOOL more = Module32FirstW(snapshot, &module); more;
         more = Module32NextW(snapshot, &module)) {
        std::wstring name = module.szModule;
        for (auto& c : name) c = static_cast<wchar_t>(towlower(c));
        names.insert(name);
    }
    CloseHandle(snapshot);
    return names;
}

TEST(StartupModules, TheDialogIsReadyWithoutTheShellAndLaunchesThroughItAtOk) {
    TempFolder program{L"Tarvo Program"};
    TempFolder probeFolder{L"Probe"};
    const std::wstring tarvo = builtProgram(L"Tarvo.exe", L"TARVO_EXE");
    ASSERT_TRUE(fileExists(tarvo)) << narrow(tarvo) << " has not been built";
    ASSERT_TRUE(CopyFileW(tarvo.c_str(), program.file(L"Tarvo.exe").c_str(), FALSE));
    const std::wstring probe = probeFolder.file(L"probe.exe");
    ASSERT_TRUE(
        CopyFileW(builtProgram(L"probe.exe", L"TARVO_PROBE").c_str(), probe.c_str(), FALSE));
    SetEnvironmentVariableW(L"TARVO_PROBE_LOG", nullptr);

    Process process = Process::start(program.file(L"Tarvo.exe"), probe, program.path());
    ASSERT_TRUE(process);
    struct EndIfLeftRunning {
        Process& p;
        ~EndIfLeftRunning() {
            if (!p.waitExit(0ms)) p.terminate();
        }
    } guard{process};
    HWND dialog = waitForWindow(process.pid(), 30s);
    ASSERT_NE(dialog, nullptr);
    ASSERT_NE(focusOf(dialog), nullptr);

    const std::set<std::wstring> loaded = modulesOf(process.pid());
    ASSERT_TRUE(loaded.count(L"user32.dll")) << "the process's modules could not be listed";
    // Not ole32: Wine's input-method support loads it for any window, the least dialog's too.
    // Nor oleacc: the accessibility annotations wait for a client's first question.
    for (const wchar_t* later : {L"shell32.dll", L"comdlg32.dll", L"oleacc.dll"})
        EXPECT_FALSE(loaded.count(later)) << narrow(later) << " is loaded before its first use";

    ASSERT_TRUE(bringToFront(dialog));
    pressKey(VK_RETURN);
    EXPECT_TRUE(process.waitExit(15s).has_value()) << "Tarvo.exe did not end after Enter";
    EXPECT_EQ(waitForProbeRecords(probeFolder.file(L"probe.log"), 1).size(), 1u)
        << "the target was not launched";
}

}  // namespace
}  // namespace e2e

// The launch tests trust probe.exe to tell how it was started; these check that it does, for
// the starts those tests rely on (a direct start, the shell, the interpreter that stays open).
#include "driver.h"

#include <gtest/gtest.h>
#include <shellapi.h>

namespace e2e {
namespace {

class ProbeTest : public testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableW(L"TARVO_PROBE_LOG", nullptr);
        ASSERT_TRUE(CopyFileW(builtProgram(L"probe.exe", L"TARVO_PROBE").c_str(), probe.c_str(),
                              FALSE));
    }

    std::vector<ProbeRecord> waitForRecords(size_t count) {
        return waitForProbeRecords(folder.file(L"probe.log"), count, 15s);
    }

    TempFolder folder{L"Probe Dir \u00e9"};
    std::wstring probe = folder.file(L"probe.exe");
};

TEST_F(ProbeTest, RecordsCommandLineArgumentsAndFolderOfEachStart) {
    TempFolder elsewhere(L"probe cwd");
    std::wstring args = L"-v \"a b\" c \u00fc\u20ac";
    Process first = Process::start(probe, args, elsewhere.path());
    ASSERT_TRUE(first.waitExit(15s).has_value());
    Process second = Process::start(probe, L"", folder.path());
    ASSERT_TRUE(second.waitExit(15s).has_value());

    auto records = waitForRecords(2);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].cmdline, narrow(L"\"" + probe + L"\" " + args));
    EXPECT_EQ(records[0].args, narrow(args));
    EXPECT_EQ(records[0].cwd, narrow(elsewhere.path()));
    EXPECT_EQ(records[0].pid, first.pid());
    EXPECT_EQ(records[0].ppid, GetCurrentProcessId());
    EXPECT_EQ(records[1].args, "");
    EXPECT_EQ(records[1].cwd, narrow(folder.path()));
}

TEST_F(ProbeTest, UnquotedProgramNameEndsAtFirstBlank) {
    // A program name without quotes is what cmd.exe or a hand-written command line may pass.
    std::wstring bare = folder.file(L"bare.exe");
    ASSERT_TRUE(CopyFileW(probe.c_str(), bare.c_str(), FALSE));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring line = L"bare.exe   one  two";
    ASSERT_TRUE(CreateProcessW(bare.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &si, &pi));
    WaitForSingleObject(pi.hProcess, 15000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    auto records = waitForRecords(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].args, "one  two");
}

TEST_F(ProbeTest, InterpreterThatStaysOpenPassesArgumentsUnchanged) {
    // The harness ends an interpreter left open by the program under test through the
    // probe's parent id; this is the start the dialog makes with its "&CMD" option.
    std::wstring args = L"-v \"a b\" c";
    std::wstring params = L"/k \"\"" + probe + L"\" " + args + L"\"";
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_NOASYNC | SEE_MASK_NOCLOSEPROCESS;
    sei.lpFile = L"cmd.exe";
    sei.lpParameters = params.c_str();
    sei.lpDirectory = folder.path().c_str();
    sei.nShow = SW_SHOWNORMAL;
    ASSERT_TRUE(ShellExecuteExW(&sei));
    DWORD interpreter = GetProcessId(sei.hProcess);

    auto records = waitForRecords(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].args, narrow(args));
    EXPECT_EQ(records[0].cwd, narrow(folder.path()));
    EXPECT_EQ(records[0].ppid, interpreter);
    EXPECT_EQ(WaitForSingleObject(sei.hProcess, 500), WAIT_TIMEOUT) << "cmd /k did not stay open";
    endTree(interpreter);
    EXPECT_EQ(WaitForSingleObject(sei.hProcess, 5000), WAIT_OBJECT_0);
    CloseHandle(sei.hProcess);
}

}  // namespace
}  // namespace e2e

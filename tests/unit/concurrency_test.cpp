// Several running copies of the dialog pressing OK against one MRU.INI lose no record and no
// history entry.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "doubles/form1_rig.h"

namespace tarvo::test {
namespace {

constexpr int kProcesses = 4;
constexpr int kTargetsPerProcess = 25;
constexpr int kPressesPerTarget = 4;  // 100 presses per process

std::string target(int process, int t) {
    return R"(C:\work\p)" + std::to_string(process) + R"(\tool)" + std::to_string(process) +
           "-" + std::to_string(t) + ".exe";
}

std::string argument(int process, int t, int press) {
    return "--run " + std::to_string(process) + "." + std::to_string(t) + "." +
           std::to_string(press);
}

// One copy of the program per press, as in real use: a fresh dialog loads the target, and OK
// writes key 0 and the history in one commit.
void pressAll(const std::string& folder, int process) {
    for (int press = 0; press < kPressesPerTarget; ++press) {
        for (int t = 0; t < kTargetsPerProcess; ++t) {
            Form1Rig rig;
            rig.host.folder = folder;
            rig.load(target(process, t));
            rig.cmbArg.setText(argument(process, t, press));
            rig.Check1.setValue(t % 2);
            rig.dialog.CMD_OK_Click();
        }
    }
}

TEST(Concurrency, FourProcessesPressingOkAtOnceLoseNothing) {
    Form1Rig shared;
    shared.setMru("[kept.exe]\r\n0=1\r\n1=untouched\r\n");
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::alarm(60);
            pressAll(shared.temp.path(), p);
            ::_exit(0);
        }
        ASSERT_GT(pid, 0);
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    int complete = 0;
    for (int p = 0; p < kProcesses; ++p) {
        for (int t = 0; t < kTargetsPerProcess; ++t) {
            Form1Rig check;
            check.host.folder = shared.temp.path();
            check.load(target(p, t));
            bool whole = check.dialog.CheckEx == std::to_string(t % 2);
            for (int press = 0; press < kPressesPerTarget; ++press) {
                // Entry 1 is the newest press.
                whole = whole && check.dialog.History(kPressesPerTarget - press) ==
                                     argument(p, t, press);
            }
            whole = whole && check.dialog.History(kPressesPerTarget + 1).empty();
            complete += whole;
        }
    }
    EXPECT_EQ(complete, kProcesses * kTargetsPerProcess);
    Form1Rig kept;
    kept.host.folder = shared.temp.path();
    kept.load(R"(C:\kept.exe)");
    EXPECT_EQ(kept.dialog.History(1), "untouched");
}

}  // namespace
}  // namespace tarvo::test

// A writer that dies at any point of a write leaves MRU.INI and Settings.ini either as they
// were or as the write would have left them, and the next writer finds no stale lock and
// clears away the dead writer's temporary file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <tuple>

#include "doubles/form1_rig.h"
#include "platform/filesystem.h"
#include "storage/ini_handler.h"

namespace tarvo::test {
namespace {

enum class Death { Exit, Kill };

// The hook cannot capture: the child sets these before it starts writing.
fs::WriteStep gDieAt = fs::WriteStep::TempOpened;
Death gDeath = Death::Exit;

bool dieAtStep(fs::WriteStep step) {
    if (step != gDieAt) return true;
    if (gDeath == Death::Kill) ::raise(SIGKILL);
    ::_exit(0);
}

// Runs work in a child that dies at the chosen step (or exits 3 when it never got there).
// True when the child ended at that step.
bool diesAt(fs::WriteStep step, Death death, const std::function<void()>& work) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(20);
        gDieAt = step;
        gDeath = death;
        fs::setWriteStepHook(dieAtStep);
        work();
        ::_exit(3);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return death == Death::Kill ? WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL
                                : WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs work in a child that must finish within a few seconds: a lock left behind by the dead
// writer would hold it forever.
bool finishesInTime(const std::function<void()>& work) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(5);
        work();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The names in folder that begin with prefix: a dead writer's temporary files once the next
// writer has been.
std::string leftovers(const std::string& folder, const std::string& prefix) {
    std::string names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0) names += name + ";";
    }
    return names;
}

const std::string kHistoryBefore =
    "; kept by hand\r\n"
    "[other.exe]\r\n0=1\r\n1=-x\r\n\r\n"
    "[run.bat]\r\n0=0\r\n1=second\r\n2=first\r\n";

// One OK press on run.bat with a new text: key 0 and three history keys in one commit.
void pressOk(Form1Rig& rig, const std::string& text) {
    rig.load(R"(C:\tools\run.bat)");
    rig.cmbArg.setText(text);
    rig.Check1.setValue(0);
    rig.dialog.CMD_OK_Click();
}

std::string historyAfterOneMorePress() {
    Form1Rig reference;
    reference.setMru(kHistoryBefore);
    pressOk(reference, "third");
    return reference.mru();
}

const fs::WriteStep kSteps[] = {fs::WriteStep::TempOpened, fs::WriteStep::TempHalfWritten,
                                fs::WriteStep::TempFlushed, fs::WriteStep::BeforeReplace,
                                fs::WriteStep::AfterReplace};

class KilledWriter : public ::testing::TestWithParam<std::tuple<fs::WriteStep, Death>> {
protected:
    fs::WriteStep step() const { return std::get<0>(GetParam()); }
    Death death() const { return std::get<1>(GetParam()); }
    // Only a writer that got past the replace may leave the new content behind.
    bool replaced() const { return step() == fs::WriteStep::AfterReplace; }
};

TEST_P(KilledWriter, AnOkPressLeavesTheHistoryOldOrNewAndTheNextPressWorks) {
    const std::string after = historyAfterOneMorePress();
    Form1Rig rig;
    rig.setMru(kHistoryBefore);
    ASSERT_TRUE(diesAt(step(), death(), [&] { pressOk(rig, "third"); }));
    EXPECT_EQ(rig.mru(), replaced() ? after : kHistoryBefore);

    ASSERT_TRUE(finishesInTime([&] {
        Form1Rig next;
        next.host.folder = rig.temp.path();
        pressOk(next, "fourth");
    }));
    Form1Rig check;
    check.host.folder = rig.temp.path();
    check.load(R"(C:\tools\run.bat)");
    EXPECT_EQ(check.dialog.History(1), "fourth");
    EXPECT_EQ(check.dialog.History(2), replaced() ? "third" : "second");
    // The untouched record and the comment survive both writes.
    EXPECT_EQ(rig.mru().rfind("; kept by hand\r\n[other.exe]\r\n0=1\r\n1=-x\r\n\r\n", 0), 0u);
    EXPECT_EQ(leftovers(rig.temp.path(), "MRU.INI.tmp"), "");
}

TEST_P(KilledWriter, ASettingsWriteOrRemovalLeavesTheListOldOrNew) {
    TempFolder temp;
    const std::string file = temp.path() + "\\Settings.ini";
    const std::string before = "[ASSOCIATION]\r\n0=.exe\r\n1=.bat\r\n";
    temp.write("Settings.ini", before);

    ASSERT_TRUE(diesAt(step(), death(), [&] {
        std::string value = ".cmd";
        INIHandler::WriteProfileString(file, "ASSOCIATION", "2", value);
    }));
    const std::string added = before + "2=.cmd\r\n";
    EXPECT_EQ(temp.read("Settings.ini"), replaced() ? added : before);

    // The list is rewritten whole on a removal: the section goes, then the keys come back.
    const std::string current = temp.read("Settings.ini");
    ASSERT_TRUE(diesAt(step(), death(), [&] {
        ProfileEdit edit(file);
        edit.DeleteProfileSection("ASSOCIATION");
        std::string value = ".bat";
        edit.WriteProfileString("ASSOCIATION", "0", value);
        edit.commit();
    }));
    EXPECT_EQ(temp.read("Settings.ini"), replaced() ? "[ASSOCIATION]\r\n0=.bat\r\n" : current);

    ASSERT_TRUE(finishesInTime([&] {
        std::string value = ".com";
        INIHandler::WriteProfileString(file, "ASSOCIATION", "9", value);
    }));
    EXPECT_EQ(INIHandler::ReadProfileString(file, "ASSOCIATION", "9", "EMPTY!"), ".com");
    EXPECT_EQ(leftovers(temp.path(), "Settings.ini.tmp"), "");
}

std::string stepName(const ::testing::TestParamInfo<KilledWriter::ParamType>& info) {
    static const char* const names[] = {"TempOpened", "TempHalfWritten", "TempFlushed",
                                        "BeforeReplace", "AfterReplace"};
    return std::string(names[static_cast<int>(std::get<0>(info.param))]) +
           (std::get<1>(info.param) == Death::Kill ? "_Killed" : "_Exited");
}

INSTANTIATE_TEST_SUITE_P(EveryStep, KilledWriter,
                         ::testing::Combine(::testing::ValuesIn(kSteps),
                                            ::testing::Values(Death::Exit, Death::Kill)),
                         stepName);

}  // namespace
}  // namespace tarvo::test

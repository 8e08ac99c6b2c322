// Pressing OK: what reaches MRU.INI, the launch request, and the end of the program.
#include <gtest/gtest.h>

#include "doubles/form1_rig.h"

namespace tarvo::test {
namespace {

std::string record(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) out += l + "\r\n";
    return out;
}

// Runs OK once for target with the given box state, starting from the given file content.
struct OkRun {
    explicit OkRun(const std::string& before, const std::string& text, int check,
                   const std::string& target = R"(C:\My Files\run.bat)") {
        if (!before.empty()) rig.setMru(before);
        rig.load(target);
        rig.cmbArg.setText(text);
        rig.Check1.setValue(check);
        rig.dialog.CMD_OK_Click();
    }
    Form1Rig rig;
};

TEST(Form1Ok, FourCasesOfCheckBoxAndText) {
    {  // set, empty: key 0 = 1, a record is created, no history entry
        OkRun run("", "", 1);
        EXPECT_EQ(run.rig.mru(), record({"[run.bat]", "0=1"}));
    }
    {  // set, text: key 0 = 1 and the text becomes entry 1
        OkRun run(record({"[run.bat]", "0=0", "1=old"}), "-v x", 1);
        EXPECT_EQ(run.rig.mru(), record({"[run.bat]", "0=1", "1=-v x", "2=old"}));
    }
    {  // clear, empty, record without history: the record goes
        OkRun run(record({"[keep.exe]", "0=1", "[run.bat]", "0=1"}), "", 0);
        EXPECT_EQ(run.rig.mru(), record({"[keep.exe]", "0=1"}));
    }
    {  // clear, empty, record with history: untouched, key 0 included
        const std::string before = record({"[run.bat]", "0=1", "1=a"});
        OkRun run(before, "", 0);
        EXPECT_EQ(run.rig.mru(), before);
    }
    {  // clear, empty, no record: nothing written, no file created
        OkRun run("", "", 0);
        EXPECT_FALSE(run.rig.temp.exists("MRU.INI"));
    }
    {  // clear, text: key 0 = 0 and the text becomes entry 1
        OkRun run("", "a b", 0);
        EXPECT_EQ(run.rig.mru(), record({"[run.bat]", "0=0", "1=a b"}));
    }
}

TEST(Form1Ok, TwoRunsGiveTheDocumentedRecord) {
    Form1Rig first;
    first.load(R"(C:\Windows\notepad.exe)");
    first.cmbArg.setText("a.txt");
    first.dialog.CMD_OK_Click();

    OkRun second(first.mru(), "b.txt", 0, R"(C:\Windows\notepad.exe)");
    EXPECT_EQ(second.rig.mru(), "[notepad.exe]\r\n0=0\r\n1=b.txt\r\n2=a.txt\r\n");
}

TEST(Form1Ok, LaunchRequestThroughTheInterpreter) {
    OkRun withText("", "-v x", 1);
    ASSERT_EQ(withText.rig.shell.requests.size(), 1u);
    const ShellRequest& r = withText.rig.shell.requests[0];
    EXPECT_EQ(r.owner, &withText.rig.form);
    EXPECT_FALSE(r.verb.has_value());
    EXPECT_EQ(r.file, "command.com");
    EXPECT_EQ(r.parameters, "/k \"C:\\My Files\\run.bat\" -v x");
    EXPECT_EQ(r.directory, "C:\\My Files\\");
    EXPECT_EQ(r.showCommand, 1);

    OkRun noText("", "", 1);
    EXPECT_EQ(noText.rig.shell.requests.at(0).parameters, "/k \"C:\\My Files\\run.bat\"");
}

TEST(Form1Ok, LaunchRequestDirect) {
    OkRun run("", "  \"quoted arg\" ", 0);
    ASSERT_EQ(run.rig.shell.requests.size(), 1u);
    const ShellRequest& r = run.rig.shell.requests[0];
    EXPECT_EQ(r.file, "C:\\My Files\\run.bat");
    EXPECT_EQ(r.parameters, "  \"quoted arg\" ");  // never trimmed or unquoted
    EXPECT_EQ(r.directory, "C:\\My Files\\");
    EXPECT_EQ(run.rig.mru(), record({"[run.bat]", "0=0", "1=  \"quoted arg\" "}));

    OkRun empty("", "", 0);
    EXPECT_EQ(empty.rig.shell.requests.at(0).parameters, "");
}

// A refused launch is told with the system's reason, and still recorded and ended as any other;
// a prompt the user declined is not an error to report: the dialog stays.
TEST(Form1Ok, ARefusedLaunchIsToldThenRecordedAndEndedAllTheSame) {
    Form1Rig rig;
    rig.shell.result = ShellResult::failed(2, "The system cannot find the file specified.");
    rig.load(R"(C:\missing\gone.exe)");
    rig.cmbArg.setText("x");
    rig.dialog.CMD_OK_Click();
    EXPECT_EQ(rig.host.ended, 1);
    EXPECT_EQ(rig.mru(), record({"[gone.exe]", "0=0", "1=x"}));
    ASSERT_EQ(rig.host.messages.size(), 1u);
    const ShownMessage& m = rig.host.messages[0];
    EXPECT_EQ(m.text, "C:\\missing\\gone.exe\r\n\r\nThe system cannot find the file specified.");
    EXPECT_EQ(m.title, "Tarvolin");
    EXPECT_EQ(m.buttons, MsgButtons::Ok);
    EXPECT_EQ(m.icon, MsgIcon::Critical);

    Form1Rig declined;
    declined.shell.result = ShellResult::cancelled();
    declined.load(R"(C:\t\admin.exe)");
    declined.dialog.CMD_OK_Click();
    EXPECT_TRUE(declined.host.messages.empty());
    EXPECT_EQ(declined.host.ended, 0);

    Form1Rig fine;
    fine.load(R"(C:\t\fine.exe)");
    fine.dialog.CMD_OK_Click();
    EXPECT_TRUE(fine.host.messages.empty());
}

// Run as administrator: the same request and the same record as OK, with the "runas" verb.
TEST(Form1Ok, ElevatedRunsTheSameRequestWithRunas) {
    for (int check : {0, 1}) {
        OkRun plain("", "-v x", check);
        Form1Rig rig;
        rig.load(R"(C:\My Files\run.bat)");
        rig.cmbArg.setText("-v x");
        rig.Check1.setValue(check);
        rig.dialog.CMD_OK_Click(RunAs::Administrator);

        ASSERT_EQ(rig.shell.requests.size(), 1u);
        const ShellRequest& r = rig.shell.requests[0];
        const ShellRequest& p = plain.rig.shell.requests.at(0);
        EXPECT_EQ(r.verb, "runas");
        EXPECT_EQ(r.file, p.file);
        EXPECT_EQ(r.parameters, p.parameters);
        EXPECT_EQ(r.directory, "C:\\My Files\\");
        EXPECT_EQ(rig.mru(), plain.rig.mru());
        EXPECT_EQ(rig.host.ended, 1);
    }
}

// The user refused the elevation prompt: the dialog stays with its text and shows nothing;
// the history was recorded before the request, as for every OK, and a second OK works from it.
TEST(Form1Ok, ARefusedElevationKeepsTheDialog) {
    Form1Rig rig;
    rig.shell.result = ShellResult::cancelled();
    rig.load(R"(C:\d\tool.exe)");
    rig.cmbArg.setText("a");
    rig.dialog.CMD_OK_Click(RunAs::Administrator);
    EXPECT_EQ(rig.host.ended, 0);
    EXPECT_EQ(rig.host.dialogUnloads, 0);
    EXPECT_TRUE(rig.host.messages.empty());
    EXPECT_EQ(rig.cmbArg.text(), "a");
    EXPECT_EQ(rig.mru(), record({"[tool.exe]", "0=0", "1=a"}));

    rig.shell.result = ShellResult::started();
    rig.cmbArg.setText("b");
    rig.dialog.CMD_OK_Click();
    EXPECT_EQ(rig.host.ended, 1);
    EXPECT_EQ(rig.mru(), record({"[tool.exe]", "0=0", "1=b", "2=a"}));
}

TEST(Form1Ok, MoveToFront) {
    struct Case {
        std::vector<std::string> before;
        std::string text;
        std::vector<std::string> after;
    };
    std::vector<std::string> twenty, shifted;
    for (int i = 1; i <= 20; ++i) twenty.push_back("E" + std::to_string(i));
    shifted.push_back("X");
    for (int i = 1; i <= 19; ++i) shifted.push_back("E" + std::to_string(i));
    auto twentyEndingX = twenty;
    twentyEndingX[19] = "X";

    const Case cases[] = {
        {{}, "A", {"A"}},
        {{"A", "B", "C", "D"}, "C", {"C", "A", "B", "D"}},
        {{"A", "B"}, "A", {"A", "B"}},
        {twenty, "X", shifted},
        {twentyEndingX, "X", shifted},
        {{"abc"}, "ABC", {"ABC", "abc"}},  // case counts
    };
    for (const auto& c : cases) {
        std::vector<std::string> lines = {"[t.exe]", "0=0"};
        for (std::size_t i = 0; i < c.before.size(); ++i)
            lines.push_back(std::to_string(i + 1) + "=" + c.before[i]);
        OkRun run(record(lines), c.text, 0, R"(C:\t.exe)");
        std::vector<std::string> expected = {"[t.exe]", "0=0"};
        for (std::size_t i = 0; i < c.after.size(); ++i)
            expected.push_back(std::to_string(i + 1) + "=" + c.after[i]);
        EXPECT_EQ(run.rig.mru(), record(expected)) << c.text;
    }
}

TEST(Form1Ok, LineBreaksBecomeBlanksInTheRecordButNotInTheLaunch) {
    OkRun run("", "a\r\nb", 0, R"(C:\t.exe)");
    EXPECT_EQ(run.rig.mru(), record({"[t.exe]", "0=0", "1=a  b"}));
    EXPECT_EQ(run.rig.shell.requests.at(0).parameters, "a\r\nb");
}

// The settings window clears the history file and then the dialog's copy of it.
TEST(Form1Ok, ClearedHistoryWritesOnlyTheNewEntry) {
    Form1Rig rig;
    rig.setMru(record({"[t.exe]", "0=0", "1=a", "2=b"}));
    rig.load(R"(C:\t.exe)");
    rig.setMru("");
    rig.dialog.ClearMRU();
    for (int i = 1; i <= 20; ++i) EXPECT_EQ(rig.dialog.History(i), "");
    rig.cmbArg.setText("new");
    rig.dialog.CMD_OK_Click();
    EXPECT_EQ(rig.mru(), record({"[t.exe]", "0=0", "1=new"}));
}

// Two dialogs open on files of the same name: each OK moves what the file holds at that
// moment down, so the press of the other copy is not written over.
TEST(Form1Ok, TwoOpenDialogsOnOneFileBothKeepTheirText) {
    Form1Rig first;
    first.setMru(record({"[t.exe]", "0=0", "1=old"}));
    Form1Rig second;
    second.host.folder = first.temp.path();
    first.load(R"(C:\a\t.exe)");
    second.load(R"(C:\b\t.exe)");

    first.cmbArg.setText("from first");
    first.dialog.CMD_OK_Click();
    second.cmbArg.setText("from second");
    second.Check1.setValue(1);
    second.dialog.CMD_OK_Click();
    EXPECT_EQ(first.mru(), record({"[t.exe]", "0=1", "1=from second", "2=from first", "3=old"}));

    // An empty OK removes the record only while it holds no history at that moment.
    first.setMru(record({"[t.exe]", "0=0"}));
    Form1Rig fourth;
    fourth.host.folder = first.temp.path();
    fourth.load(R"(C:\t.exe)");
    first.setMru(record({"[t.exe]", "0=0", "1=meanwhile"}));
    fourth.dialog.CMD_OK_Click();
    EXPECT_EQ(first.mru(), record({"[t.exe]", "0=0", "1=meanwhile"}));
}

TEST(Form1Keys, EscAndCancelUnloadWithoutWriting) {
    Form1Rig rig;
    rig.load(R"(C:\t.exe)");
    rig.cmbArg.setText("typed");
    EXPECT_EQ(rig.dialog.Form_KeyPress('a'), 'a');
    EXPECT_EQ(rig.host.dialogUnloads, 0);
    EXPECT_EQ(rig.dialog.Form_KeyPress(27), 0);
    EXPECT_EQ(rig.host.dialogUnloads, 1);
    rig.dialog.CMD_Cancel_Click();
    EXPECT_EQ(rig.host.dialogUnloads, 2);
    EXPECT_FALSE(rig.temp.exists("MRU.INI"));
    EXPECT_TRUE(rig.shell.requests.empty());
}

}  // namespace
}  // namespace tarvo::test

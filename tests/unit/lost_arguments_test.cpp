// Arguments a document's type would drop: which commands pass them on, and the question OK
// asks before anything is written or launched.
#include "dialog/lost_arguments.h"

#include <gtest/gtest.h>

#include "doubles/form1_rig.h"

namespace tarvo::test {
namespace {

TEST(LostArguments, CommandsThatPassArgumentsOn) {
    const std::pair<const char*, bool> cases[] = {
        {R"("C:\Python\python.exe" "%1" %*)", true},
        {R"(C:\Python\python.exe %1 %*)", true},
        {R"("C:\Tools\viewer.exe" "%1" "%2" "%3")", true},
        {R"("C:\Tools\viewer.exe" %1 %9)", true},
        {R"("C:\Tools\run.exe" "%1" %~2)", true},
        {R"("C:\Tools\run.exe" "%L" %*)", true},
        {R"("%ProgramFiles(x86)%\Tool\tool.exe" "%1" %*)", true},
        {R"(%windir%%*)", true},  // the closing sign of an environment string, then "%*"
        {R"("C:\Python\python.exe" "%1")", false},
        {R"(C:\Python\python.exe %1)", false},
        {R"("C:\Tools\viewer.exe" "%L")", false},
        {R"("C:\Tools\viewer.exe" /dde %I)", false},
        {R"(%SystemRoot%\system32\NOTEPAD.EXE %1)", false},
        {R"(%SystemRoot%\System32\rundll32.exe "%ProgramFiles%\Viewer\viewer.dll", Show %1)",
         false},
        // Environment strings whose closing sign is followed by what would be a placeholder.
        {R"(%ToolDir%2\tool.exe "%1")", false},
        {R"(%Tools%*\x.exe %1)", false},
        {R"("C:\Tools\viewer.exe")", false},
        {R"("C:\Tools\100%.exe" "%1")", false},
        {"", false},
    };
    for (const auto& [command, passes] : cases)
        EXPECT_EQ(commandPassesArguments(command), passes) << command;
}

TEST(LostArguments, ProgramsTakeTheirOwnArguments) {
    for (const char* name : {"a.exe", "A.EXE", "b.com", "c.bat", "d.Cmd", "x.y.exe"})
        EXPECT_TRUE(isProgramFile(name)) << name;
    for (const char* name : {"a.py", "a.exe.txt", "exe", "a.", "a.exec", ".bat.lnk"})
        EXPECT_FALSE(isProgramFile(name)) << name;
}

constexpr char kPythonNoArgs[] = R"("C:\Python\python.exe" "%1")";

struct AskRig : Form1Rig {
    explicit AskRig(const std::string& target = R"(C:\dir\run.py)") {
        types.commands[".py"] = kPythonNoArgs;
        load(target);
    }
    void ok(const std::string& text, int check = 0) {
        cmbArg.setText(text);
        Check1.setValue(check);
        dialog.CMD_OK_Click();
    }
};

TEST(LostArguments, NoKeepsTheDialogAndWritesNothing) {
    AskRig rig;
    rig.host.answers = {MsgResult::No};
    rig.ok("-v x");

    ASSERT_EQ(rig.host.messages.size(), 1u);
    const auto& asked = rig.host.messages[0];
    EXPECT_EQ(asked.text, std::string("run.py files are opened by ") + kPythonNoArgs +
                              ", which passes no arguments on. Run it anyway?");
    EXPECT_EQ(asked.title, "Tarvolin");
    EXPECT_EQ(asked.buttons, MsgButtons::YesNo);
    EXPECT_EQ(rig.types.queried, std::vector<std::string>{R"(C:\dir\run.py)"});
    EXPECT_TRUE(rig.shell.requests.empty());
    EXPECT_EQ(rig.host.ended, 0);
    EXPECT_FALSE(rig.temp.exists("MRU.INI"));
    EXPECT_EQ(rig.cmbArg.text(), "-v x");
}

TEST(LostArguments, YesGoesOnAsOkDoes) {
    for (int check : {0, 1}) {  // the console hands a document to the same command
        AskRig rig;
        rig.host.answers = {MsgResult::Yes};
        rig.ok("-v x", check);
        EXPECT_EQ(rig.host.messages.size(), 1u);
        ASSERT_EQ(rig.shell.requests.size(), 1u);
        EXPECT_EQ(rig.host.ended, 1);
        EXPECT_EQ(rig.mru(), "[run.py]\r\n0=" + std::to_string(check) + "\r\n1=-v x\r\n");
    }
}

TEST(LostArguments, AskedOnlyWhenThereIsSomethingToLose) {
    struct Case {
        const char* what;
        const char* target;
        const char* text;
        std::optional<std::string> command;  // for ".py"
        bool queried;
    };
    const Case cases[] = {
        {"no text", R"(C:\dir\run.py)", "", kPythonNoArgs, false},
        {"a program", R"(C:\dir\run.exe)", "-v", kPythonNoArgs, false},
        {"a batch file", R"(C:\dir\run.BAT)", "-v", kPythonNoArgs, false},
        {"a command that takes them", R"(C:\dir\run.py)", "-v", std::string(kPythonNoArgs) + " %*",
         true},
        {"a failed query", R"(C:\dir\run.py)", "-v", std::nullopt, true},
        {"an empty command", R"(C:\dir\run.py)", "-v", "", true},
    };
    for (const auto& c : cases) {
        Form1Rig rig;
        if (c.command) rig.types.commands[".py"] = *c.command;
        rig.load(c.target);
        rig.cmbArg.setText(c.text);
        rig.dialog.CMD_OK_Click();
        EXPECT_TRUE(rig.host.messages.empty()) << c.what;
        EXPECT_EQ(rig.types.queried.size(), c.queried ? 1u : 0u) << c.what;
        EXPECT_EQ(rig.shell.requests.size(), 1u) << c.what;
        EXPECT_EQ(rig.host.ended, 1) << c.what;
    }
}

}  // namespace
}  // namespace tarvo::test

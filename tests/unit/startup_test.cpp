// Program start: the command-line text and the three modes.
#include <gtest/gtest.h>

#include "app/startup.h"
#include "doubles/form1_rig.h"

namespace tarvo::test {
namespace {

TEST(CommandLine, EverythingAfterTheProgramNameWhole) {
    const std::pair<std::string, std::string> cases[] = {
        {R"("C:\Program Files\Tarvo\Tarvo.exe" C:\dir\my file.txt)", R"(C:\dir\my file.txt)"},
        {R"(Tarvo.exe C:\a b\c.exe  )", R"(C:\a b\c.exe  )"},  // trailing blanks kept
        {R"("C:\T\Tarvo.exe" "C:\q d\x.exe")", R"("C:\q d\x.exe")"},  // quotes kept
        {R"("C:\T\Tarvo.exe")", ""},
        {R"("C:\T\Tarvo.exe"   )", ""},
        {"Tarvo.exe", ""},
        {"Tarvo.exe\t/cleareg", "/cleareg"},
        {R"("C:\T\Tarvo.exe"/cleareg)", "/cleareg"},
        {R"("C:\unterminated)", ""},
        {"", ""},
    };
    for (const auto& [line, args] : cases) EXPECT_EQ(commandLineArguments(line), args) << line;
    EXPECT_EQ(commandLineArguments(u"\"C:\\T\\Tarvo.exe\" C:\\D\u00e9j\u00e0\\\U0001F600.exe"),
              "C:\\D\u00e9j\u00e0\\\U0001F600.exe");
}

struct Start : ::testing::Test {
    StartMode start(const std::string& line) {
        return Form_Initialize(rig.dialog, rig.host, line, [this] { ++removals; });
    }
    Form1Rig rig;
    int removals = 0;
};

TEST_F(Start, ClearRegistrySwitchRemovesAndEnds) {
    EXPECT_EQ(start("/cleareg"), StartMode::ClearRegistry);
    EXPECT_EQ(removals, 1);
    EXPECT_EQ(rig.host.ended, 1);
    EXPECT_EQ(rig.host.settingsShown, 0);
}

TEST_F(Start, AnyOtherTextIsATarget) {
    for (const std::string line :
         {"/CLEAREG", "/cleareg ", "/cleareg now", "cleareg", R"(C:\a b\c.exe)"}) {
        Form1Rig fresh;
        int removed = 0;
        EXPECT_EQ(Form_Initialize(fresh.dialog, fresh.host, line, [&] { ++removed; }),
                  StartMode::Dialog);
        EXPECT_EQ(removed, 0);
        EXPECT_EQ(fresh.dialog.TargetPath(), line);
        EXPECT_EQ(fresh.dialog.CheckEx, "5");
        EXPECT_EQ(fresh.host.ended, 0);
    }
}

// The shell quotes a path with blanks when a file is dropped on the program or sent to it; the
// pair of quotes around the whole text is taken off, and nothing else is.
TEST(TargetPath, OnePairOfQuotesAroundTheWholeTextIsTakenOff) {
    const std::pair<std::string, std::string> cases[] = {
        {R"("C:\My Files\two.bat")", R"(C:\My Files\two.bat)"},
        {R"(C:\My Files\two.bat)", R"(C:\My Files\two.bat)"},
        {R"("C:\My Files\two.bat" -x)", R"("C:\My Files\two.bat" -x)"},  // more than a path
        {R"("C:\a.bat" "C:\b.bat")", R"("C:\a.bat" "C:\b.bat")"},        // two quoted paths
        {R"("C:\a b\c.bat )", R"("C:\a b\c.bat )"},                      // unclosed
        {R"(C:\a b\c.bat")", R"(C:\a b\c.bat")"},
        {R"(""C:\a.bat"")", R"(""C:\a.bat"")"},
        {"\"", "\""},
        {"\"\"", ""},
        {"", ""},
    };
    for (const auto& [line, path] : cases) EXPECT_EQ(targetPathOf(line), path) << line;
}

TEST_F(Start, AQuotedTargetLoadsThePathInside) {
    EXPECT_EQ(start(R"("C:\My Files\two.bat")"), StartMode::Dialog);
    EXPECT_EQ(rig.dialog.TargetPath(), R"(C:\My Files\two.bat)");
    EXPECT_EQ(rig.dialog.FILEName, "two.bat");
    EXPECT_EQ(rig.dialog.TargetFolder(), R"(C:\My Files\)");
    EXPECT_EQ(rig.Label1.caption(), "two.bat:");

    // Only the exact switch removes the associations; in quotes it is a file's name.
    Form1Rig quoted;
    int removed = 0;
    EXPECT_EQ(Form_Initialize(quoted.dialog, quoted.host, "\"/cleareg\"", [&] { ++removed; }),
              StartMode::Dialog);
    EXPECT_EQ(removed, 0);
    EXPECT_EQ(quoted.dialog.TargetPath(), "/cleareg");

    // A quoted empty text names no file: the settings window, as with no text at all.
    Form1Rig empty;
    EXPECT_EQ(Form_Initialize(empty.dialog, empty.host, "\"\"", nullptr), StartMode::Settings);
    EXPECT_EQ(empty.dialog.CheckEx, "6");
}

TEST_F(Start, EmptyTextShowsOnlyTheSettingsWindow) {
    EXPECT_EQ(start(""), StartMode::Settings);
    EXPECT_EQ(rig.dialog.CheckEx, "6");
    EXPECT_EQ(rig.host.settingsShown, 1);
    EXPECT_FALSE(rig.form.visible());
    EXPECT_EQ(removals, 0);
}

}  // namespace
}  // namespace tarvo::test

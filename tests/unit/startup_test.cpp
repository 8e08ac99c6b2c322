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
    for (const std::string line : {"/CLEAREG", "/cleareg ", "/cleareg now", R"(C:\a b\c.exe)"}) {
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

TEST_F(Start, EmptyTextShowsOnlyTheSettingsWindow) {
    EXPECT_EQ(start(""), StartMode::Settings);
    EXPECT_EQ(rig.dialog.CheckEx, "6");
    EXPECT_EQ(rig.host.settingsShown, 1);
    EXPECT_FALSE(rig.form.visible());
    EXPECT_EQ(removals, 0);
}

}  // namespace
}  // namespace tarvo::test

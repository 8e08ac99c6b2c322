// Loading a target into the argument dialog: the path split and the history record.
#include <gtest/gtest.h>

#include "doubles/form1_rig.h"

namespace tarvo::test {
namespace {

struct SplitCase {
    std::string path, fileName, folder;
};

TEST(Form1Load, SplitsThePathAtItsLastBackslash) {
    const SplitCase cases[] = {
        {R"(C:\dir\notepad.exe)", "notepad.exe", R"(C:\dir\)"},
        {R"(C:\dir\)", "", R"(C:\dir\)"},
        {R"(\tool.exe)", "tool.exe", R"(\)"},
        {R"(C:\My Files\run me.bat)", "run me.bat", R"(C:\My Files\)"},
        // A quoted command line keeps its quotes on both sides of the split.
        {R"("C:\dir\a b.exe")", R"(a b.exe")", R"("C:\dir\)"},
        // Without a backslash the whole path is the name, so folder + name is still the path.
        {"tool.exe", "tool.exe", ""},
        {R"(C:\Dossier é\日本.exe)", "日本.exe", R"(C:\Dossier é\)"},
    };
    for (const auto& c : cases) {
        Form1Rig rig;
        rig.load(c.path);
        EXPECT_EQ(rig.dialog.FILEName, c.fileName) << c.path;
        EXPECT_EQ(rig.dialog.TargetFolder(), c.folder) << c.path;
        EXPECT_EQ(rig.dialog.TargetFolder() + rig.dialog.FILEName, c.path);
        EXPECT_EQ(rig.Label1.caption(), c.fileName + ":");
        EXPECT_EQ(rig.dialog.CommonDialog1.InitDir, c.folder);
    }
}

TEST(Form1Load, NoRecordLeavesEverythingAsDesigned) {
    Form1Rig rig;
    rig.setMru("[other.exe]\r\n0=1\r\n1=x\r\n");
    rig.load(R"(C:\dir\notepad.exe)");
    EXPECT_EQ(rig.dialog.CheckEx, "5");
    EXPECT_EQ(rig.Check1.value(), 0);
    EXPECT_EQ(rig.cmbArg.listCount(), 0);
    EXPECT_EQ(rig.dialog.History(1), "");
    EXPECT_EQ(rig.dialog.HistoryFile(), rig.temp.path() + "\\MRU.INI");
}

TEST(Form1Load, MissingHistoryFileCountsAsNoRecord) {
    Form1Rig rig;
    rig.load(R"(C:\dir\notepad.exe)");
    EXPECT_EQ(rig.dialog.CheckEx, "5");
    EXPECT_FALSE(rig.temp.exists("MRU.INI"));
}

TEST(Form1Load, FillsCheckBoxAndListUpToTheFirstGap) {
    Form1Rig rig;
    rig.setMru("[notepad.exe]\r\n0=1\r\n1=first\r\n2=second\r\n4=fourth\r\n");
    rig.load(R"(D:\elsewhere\NOTEPAD.EXE)");  // section names ignore case
    EXPECT_EQ(rig.dialog.CheckEx, "1");
    EXPECT_EQ(rig.Check1.value(), 1);
    EXPECT_EQ(rig.cmbArg.items(), (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(rig.dialog.History(2), "second");
    EXPECT_EQ(rig.dialog.History(3), "");
    EXPECT_EQ(rig.dialog.History(4), "");
    EXPECT_EQ(rig.cmbArg.text(), "");
}

TEST(Form1Load, CheckStateOnlyRecordAndOddCheckValues) {
    for (const auto& [stored, expected] :
         std::vector<std::pair<std::string, int>>{{"0", 0}, {"1", 1}, {"2", 0}, {"x", 0},
                                                   {"", 0}}) {
        Form1Rig rig;
        rig.Check1.setValue(0);
        rig.setMru("[a.exe]\r\n0=" + stored + "\r\n");
        rig.load(R"(C:\a.exe)");
        EXPECT_EQ(rig.dialog.CheckEx, stored);
        EXPECT_EQ(rig.Check1.value(), expected) << stored;
        EXPECT_EQ(rig.cmbArg.listCount(), 0);
    }
}

TEST(Form1Load, ReadsTwentyEntriesAndNeverTheTwentyFirst) {
    std::string file = "[a.exe]\r\n0=0\r\n";
    for (int i = 1; i <= 21; ++i) file += std::to_string(i) + "=e" + std::to_string(i) + "\r\n";
    Form1Rig rig;
    rig.setMru(file);
    rig.load(R"(C:\a.exe)");
    ASSERT_EQ(rig.cmbArg.listCount(), 20);
    EXPECT_EQ(rig.cmbArg.list(0), "e1");
    EXPECT_EQ(rig.cmbArg.list(19), "e20");
    EXPECT_EQ(rig.dialog.History(20), "e20");
}

TEST(Form1Load, ValuesComeBackExactly) {
    const std::string longText(300, 'x');
    Form1Rig rig;
    rig.setMru("[a.exe]\r\n0=0\r\n1=-c \r\n2=\"C:\\My Files\\a.txt\"\r\n3=   \r\n4=" +
               longText + "\r\n");
    rig.load(R"(C:\a.exe)");
    EXPECT_EQ(rig.cmbArg.items(),
              (std::vector<std::string>{"-c ", "\"C:\\My Files\\a.txt\"", "   ", longText}));
}

}  // namespace
}  // namespace tarvo::test

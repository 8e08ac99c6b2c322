// Putting paths into the argument text: the Browse menu, dropped files, and picking a file
// to run from the settings window.
#include <gtest/gtest.h>

#include "doubles/form1_rig.h"

namespace tarvo::test {
namespace {

PickedFile picked(const std::string& path) {
    return {path, path.substr(path.rfind('\\') + 1)};
}

struct Browse : ::testing::Test {
    void target(const std::string& path, const std::string& text) {
        rig.load(path);
        rig.cmbArg.setText(text);
    }
    Form1Rig rig;
};

TEST_F(Browse, MenuPopsUpAtTheButtonAndRunsTheChosenCommand) {
    target(R"(C:\Tools\conv.exe)", "-c ");
    rig.form.menuChoice = "browse_addfiles";
    rig.files.answers.push_back(picked(R"(C:\Tools\conv.cfg)"));
    rig.dialog.CMD_Browse_Click();
    EXPECT_EQ(rig.form.menuX, 3450 + 50);
    EXPECT_EQ(rig.form.menuY, 870 + 50);
    ASSERT_EQ(rig.form.lastMenu.size(), 5u);
    EXPECT_EQ(rig.form.lastMenu[0].caption, "Add Files... ");
    EXPECT_EQ(rig.form.lastMenu[2].caption, "-");
    EXPECT_EQ(rig.form.lastMenu[3].caption, "Clear && Add Files...");
    EXPECT_EQ(rig.cmbArg.text(), "-c conv.cfg");

    rig.form.menuChoice = "";  // nothing chosen
    rig.dialog.CMD_Browse_Click();
    EXPECT_EQ(rig.cmbArg.text(), "-c conv.cfg");
    EXPECT_EQ(rig.files.requests.size(), 1u);
}

TEST_F(Browse, AddFilesNamesAFileBareOnlyRightBesideTheTarget) {
    struct Case {
        std::string target, text, pick, result;
    };
    const Case cases[] = {
        {R"(C:\Tools\conv.exe)", "-c ", R"(C:\Tools\conv.cfg)", "-c conv.cfg"},
        {R"(C:\Other\conv.exe)", "-c ", R"(C:\Tools\conv.cfg)", R"(-c C:\Tools\conv.cfg)"},
        {R"(C:\Tools\conv.exe)", "-c", R"(C:\Tools\conv.cfg)", "-cconv.cfg"},
        {R"(C:\Tools\conv.exe)", "", R"(c:\tools\conv.cfg)", R"(c:\tools\conv.cfg)"},
        {R"(C:\Tools\conv.exe)", "", R"(C:\Tools\sub\a.cfg)", R"(C:\Tools\sub\a.cfg)"},
        {R"(C:\x.exe)", "", R"(D:\My Files\a b.txt)", R"(D:\My Files\a b.txt)"},
    };
    for (const auto& c : cases) {
        Form1Rig fresh;
        fresh.load(c.target);
        fresh.cmbArg.setText(c.text);
        fresh.files.answers.push_back(picked(c.pick));
        fresh.dialog.browse_addfiles_Click();
        EXPECT_EQ(fresh.cmbArg.text(), c.result) << c.pick;
    }
}

TEST_F(Browse, FileDialogKeepsItsNameAndStartFolderBetweenUses) {
    target(R"(C:\Tools\conv.exe)", "");
    rig.files.answers.push_back(picked(R"(C:\Tools\conv.cfg)"));
    rig.files.answers.push_back(picked(R"(C:\Tools\conv.cfg)"));
    rig.dialog.browse_addfiles_Click();
    rig.dialog.browse_addfiles_Click();
    EXPECT_EQ(rig.cmbArg.text(), "conv.cfgconv.cfg");
    ASSERT_EQ(rig.files.requests.size(), 2u);
    const OpenFileRequest& second = rig.files.requests[1];
    EXPECT_EQ(second.initDir, R"(C:\Tools\)");
    EXPECT_EQ(second.fileName, R"(C:\Tools\conv.cfg)");
    EXPECT_EQ(second.title, "Browse Files...");
    EXPECT_EQ(second.filterDescription, "All Files");
    EXPECT_EQ(second.flags, 0x1004u);
    EXPECT_EQ(second.owner, &rig.form);
}

TEST_F(Browse, ClearAndAddReplacesButACancelKeepsTheText) {
    target(R"(C:\Tools\conv.exe)", "-x");
    rig.files.answers.push_back(std::nullopt);
    rig.dialog.browse_clear_addfiles_Click();
    EXPECT_EQ(rig.cmbArg.text(), "-x");
    rig.files.answers.push_back(picked(R"(D:\Data\in.txt)"));
    rig.dialog.browse_clear_addfiles_Click();
    EXPECT_EQ(rig.cmbArg.text(), R"(D:\Data\in.txt)");
    // A cancel after a pick must not add the earlier pick again.
    rig.files.answers.push_back(std::nullopt);
    rig.dialog.browse_addfiles_Click();
    EXPECT_EQ(rig.cmbArg.text(), R"(D:\Data\in.txt)");
}

TEST_F(Browse, FoldersAreAddedAsReportedAndVirtualOnesRejected) {
    target(R"(C:\Tools\conv.exe)", "-o ");
    rig.folders.answers = {R"(D:\)", R"(D:\Data)", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}",
                           "NoBackslash", ""};
    rig.dialog.browse_addfolders_Click();
    EXPECT_EQ(rig.cmbArg.text(), R"(-o D:\)");
    EXPECT_EQ(rig.cmbArg.selStart(), 6);  // the caret after the inserted path
    rig.dialog.browse_addfolders_Click();
    EXPECT_EQ(rig.cmbArg.text(), R"(-o D:\D:\Data)");
    for (int i = 0; i < 3; ++i) rig.dialog.browse_clear_addfolders_Click();
    EXPECT_EQ(rig.cmbArg.text(), R"(-o D:\D:\Data)");
    EXPECT_EQ(rig.folders.prompts.at(0), "Select Folder...");
    EXPECT_EQ(rig.folders.lastOptions, 0x50u);

    rig.folders.answers = {R"(\\server\share\dir)"};
    rig.dialog.browse_clear_addfolders_Click();
    EXPECT_EQ(rig.cmbArg.text(), R"(\\server\share\dir)");
}

TEST_F(Browse, DropAppendsOnlyTheFirstFullPath) {
    target(R"(C:\Tools\conv.exe)", "-c ");
    rig.dialog.OLEDragDrop({R"(C:\Tools\conv.cfg)", R"(C:\b.txt)", R"(C:\c.txt)"});
    EXPECT_EQ(rig.cmbArg.text(), R"(-c C:\Tools\conv.cfg)");
    // Typing on after a drop continues at the end of the text.
    rig.cmbArg.type(' ');
    rig.cmbArg.type('x');
    EXPECT_EQ(rig.cmbArg.text(), R"(-c C:\Tools\conv.cfg x)");
    rig.cmbArg.setText(R"(-c C:\Tools\conv.cfg)");
    rig.dialog.OLEDragDrop({R"(D:\My Files\a b.txt)"});
    EXPECT_EQ(rig.cmbArg.text(), R"(-c C:\Tools\conv.cfgD:\My Files\a b.txt)");
    rig.dialog.OLEDragDrop({});  // dragged text, no file list
    EXPECT_EQ(rig.cmbArg.text(), R"(-c C:\Tools\conv.cfgD:\My Files\a b.txt)");
    EXPECT_EQ(rig.Check1.value(), 0);
    EXPECT_TRUE(rig.shell.requests.empty());
}

// After every Browse command, picked or cancelled, and after every drop the keyboard is back in
// the argument box with the caret at the end; a menu closed without a choice leaves it alone.
TEST_F(Browse, CommandsAndDropsGiveTheKeyboardBackToTheBoxAtTheEnd) {
    target(R"(C:\Tools\conv.exe)", "-c ");
    rig.files.answers = {picked(R"(C:\Tools\a.cfg)"), std::nullopt};
    rig.folders.answers = {R"(D:\Data)"};
    int expected = 0;
    for (const char* item : {"browse_addfiles", "browse_addfiles", "browse_addfolders",
                             "browse_clear_addfolders", "browse_clear_addfiles"}) {
        SCOPED_TRACE(item);
        rig.form.menuChoice = item;
        rig.cmbArg.setSelStart(0);
        rig.dialog.CMD_Browse_Click();
        EXPECT_EQ(rig.cmbArg.focused, ++expected);
        EXPECT_EQ(rig.cmbArg.selStart(), static_cast<int>(rig.cmbArg.text().size()));
    }
    EXPECT_EQ(rig.cmbArg.text(), "-c a.cfgD:\\Data");

    rig.form.menuChoice = "";
    rig.dialog.CMD_Browse_Click();
    EXPECT_EQ(rig.cmbArg.focused, expected);

    rig.dialog.OLEDragDrop({R"(E:\x.txt)"});
    EXPECT_EQ(rig.cmbArg.focused, ++expected);
    EXPECT_EQ(rig.cmbArg.selStart(), static_cast<int>(rig.cmbArg.text().size()));
    rig.dialog.OLEDragDrop({});
    EXPECT_EQ(rig.cmbArg.focused, expected);
}

TEST(RunOnce, CancelChangesNothingAndAPickLoadsTheTarget) {
    Form1Rig rig;
    rig.dialog.CheckEx = "6";
    rig.setMru("[tool.exe]\r\n0=1\r\n1=-v\r\n");
    rig.files.answers.push_back(std::nullopt);
    EXPECT_EQ(rig.dialog.Run_Once(), 0);
    EXPECT_EQ(rig.dialog.CheckEx, "6");
    EXPECT_EQ(rig.dialog.TargetPath(), "");
    EXPECT_EQ(rig.files.requests.at(0).initDir, "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    EXPECT_EQ(rig.files.requests.at(0).title, "Browse Files...");

    rig.files.answers.push_back(picked(R"(E:\bin\tool.exe)"));
    EXPECT_EQ(rig.dialog.Run_Once(), 1);
    EXPECT_EQ(rig.dialog.TargetPath(), R"(E:\bin\tool.exe)");
    EXPECT_EQ(rig.dialog.CheckEx, "1");
    EXPECT_EQ(rig.Check1.value(), 1);
    EXPECT_EQ(rig.cmbArg.items(), std::vector<std::string>{"-v"});
    EXPECT_EQ(rig.cmbArg.text(), "");
    EXPECT_EQ(rig.Label1.caption(), "tool.exe:");

    // The next Add Files opens in the picked file's folder with an empty name box.
    rig.files.answers.push_back(std::nullopt);
    rig.dialog.browse_addfiles_Click();
    EXPECT_EQ(rig.files.requests.at(2).initDir, R"(E:\bin\)");
    EXPECT_EQ(rig.files.requests.at(2).fileName, "");
}

TEST(AboutButton, HidesTheDialogAndShowsTheSettings) {
    Form1Rig rig;
    rig.load(R"(C:\t.exe)");
    rig.cmbArg.setText("kept");
    rig.dialog.CMD_About_Click();
    EXPECT_FALSE(rig.form.visible());
    EXPECT_EQ(rig.host.settingsShown, 1);
    EXPECT_EQ(rig.cmbArg.text(), "kept");
}

}  // namespace
}  // namespace tarvo::test

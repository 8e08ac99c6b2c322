// The core in the Linux style: data files in the XDG folders, paths with slashes, the argument
// text split before anything is written or started, paths added quoted, and the association
// list working through the file managers' menus.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/shell_words.h"
#include "doubles/form1_rig.h"
#include "doubles/scoped_style.h"
#include "platform/linux/menu_registry.h"
#include "settings/associations.h"
#include "settings/linux_associations.h"
#include "storage/data_location.h"

namespace tarvo::test {
namespace {

using Words = std::vector<std::string>;

TEST(LinuxData, HistoryIsStateAndTheListIsConfigurationEachCreatedOnFirstUse) {
    TempFolder home;
    const ScopedLinuxStyle style(home.path() + "/deep/er");
    const std::string program = home.path();  // writable, yet not used in this style
    EXPECT_EQ(dataFile(program, "MRU.INI"), home.path() + "/deep/er/state/tarvolin/MRU.INI");
    EXPECT_EQ(dataFile(program, "Settings.ini"),
              home.path() + "/deep/er/config/tarvolin/Settings.ini");
    EXPECT_TRUE(std::filesystem::is_directory(home.path() + "/deep/er/state/tarvolin"));
    EXPECT_TRUE(std::filesystem::is_directory(home.path() + "/deep/er/config/tarvolin"));
    EXPECT_EQ(dataFilePlaces(program, "Settings.ini"),
              Words{home.path() + "/deep/er/config/tarvolin/Settings.ini"});
}

TEST(LinuxData, DefaultsUnderHomeWhenTheVariablesAreUnsetOrRelative) {
    TempFolder home;
    const ScopedLinuxStyle style(home.path());
    const ScopedEnv homeVar("HOME", home.path());
    const ScopedEnv relative("XDG_STATE_HOME", "relative/state");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(dataFile("/nowhere", "MRU.INI"), home.path() + "/.local/state/tarvolin/MRU.INI");
    EXPECT_EQ(dataFile("/nowhere", "Settings.ini"), home.path() + "/.config/tarvolin/Settings.ini");
}

struct LinuxForm1 : ::testing::Test {
    Form1Rig rig;
    ScopedLinuxStyle style{rig.temp.path()};
    std::string mruPath() const { return rig.temp.path() + "/state/tarvolin/MRU.INI"; }
    std::string mru() const {
        std::ifstream in(mruPath(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

TEST_F(LinuxForm1, LoadSplitsThePathAtItsLastSlash) {
    rig.load("/home/u/My Fïles/run.sh");
    EXPECT_EQ(rig.dialog.FILEName, "run.sh");
    EXPECT_EQ(rig.dialog.TargetFolder(), "/home/u/My Fïles/");
    EXPECT_EQ(rig.Label1.caption(), "run.sh:");
    EXPECT_EQ(rig.dialog.HistoryFile(), mruPath());
    // A backslash is an ordinary character of a Linux file name.
    rig.load(R"(/tmp/a\b.sh)");
    EXPECT_EQ(rig.dialog.FILEName, R"(a\b.sh)");
}

TEST_F(LinuxForm1, OkRecordsTheTextThenStartsTheFileWithItsWords) {
    rig.load("/srv/dir/run.sh");
    rig.cmbArg.setText(R"(-v "a b" c)");
    rig.dialog.CMD_OK_Click();
    EXPECT_EQ(mru(), "[run.sh]\r\n0=0\r\n1=-v \"a b\" c\r\n");
    ASSERT_EQ(rig.shell.requests.size(), 1u);
    const ShellRequest& r = rig.shell.requests[0];
    EXPECT_EQ(r.file, "/srv/dir/run.sh");
    EXPECT_EQ(r.directory, "/srv/dir/");
    EXPECT_EQ(r.arguments, (Words{"-v", "a b", "c"}));
    EXPECT_FALSE(r.parameters);
    EXPECT_FALSE(r.keepOpen);
    EXPECT_EQ(rig.host.ended, 1);
}

TEST_F(LinuxForm1, TheConsoleBoxKeepsTheTerminalOpenInsteadOfCommandCom) {
    rig.load("/srv/run.sh");
    rig.cmbArg.setText("x");
    rig.Check1.setValue(1);
    rig.dialog.CMD_OK_Click();
    ASSERT_EQ(rig.shell.requests.size(), 1u);
    EXPECT_EQ(rig.shell.requests[0].file, "/srv/run.sh");
    EXPECT_EQ(rig.shell.requests[0].arguments, Words{"x"});
    EXPECT_TRUE(rig.shell.requests[0].keepOpen);
    EXPECT_EQ(mru(), "[run.sh]\r\n0=1\r\n1=x\r\n");
}

TEST_F(LinuxForm1, AnUnclosedQuoteIsToldAndNothingIsWrittenOrStarted) {
    rig.setMru("");
    rig.load("/srv/run.sh");
    rig.cmbArg.setText(R"(-v "a b)");
    rig.dialog.CMD_OK_Click();
    EXPECT_TRUE(rig.shell.requests.empty());
    EXPECT_EQ(rig.host.ended, 0);
    EXPECT_FALSE(std::filesystem::exists(mruPath()) && !mru().empty());
    ASSERT_EQ(rig.host.messages.size(), 1u);
    EXPECT_NE(rig.host.messages[0].text.find("never closed"), std::string::npos);
    // The dialog is still there with the text, for the user to mend.
    EXPECT_EQ(rig.cmbArg.text(), R"(-v "a b)");
}

TEST_F(LinuxForm1, DroppedAndPickedPathsGoInQuotedForTheSplitter) {
    rig.load("/srv/dir/run.sh");
    rig.cmbArg.setText("-i ");
    rig.dialog.OLEDragDrop({"/home/u/My File's.txt", "/ignored"});
    EXPECT_EQ(rig.cmbArg.text(), R"(-i '/home/u/My File'\''s.txt')");
    EXPECT_EQ(splitShellWords(rig.cmbArg.text()).words, (Words{"-i", "/home/u/My File's.txt"}));

    rig.files.answers.push_back(PickedFile{"/srv/dir/near by.txt", "near by.txt"});
    rig.dialog.browse_clear_addfiles_Click();
    EXPECT_EQ(rig.cmbArg.text(), "'near by.txt'");  // beside the target: its bare name

    rig.folders.answers.push_back("/plain/folder");
    rig.dialog.browse_addfolders_Click();
    EXPECT_EQ(rig.cmbArg.text(), "'near by.txt'/plain/folder");
}

// The settings window's association code on Linux, through the menus' registry.
struct RecordingMenus : MenuAssociations {
    bool addExtension(const std::string& ext) override {
        log.push_back("add " + ext);
        return accept;
    }
    bool removeExtension(const std::string& ext) override {
        log.push_back("remove " + ext);
        return true;
    }
    Words log;
    bool accept = true;
};

TEST(LinuxAssociations, AddRemoveAndRemoveAllReachTheMenus) {
    TempFolder temp;
    const ScopedLinuxStyle style(temp.path());
    RecordingMenus menus;
    linux_desktop::MenuRegistry registry(menus);
    FakeHost host;
    FakeListBox items;
    const std::string settings = dataFile(temp.path(), "Settings.ini");
    AssociationList list(items, registry, host, nullptr, temp.path(), settings);

    EXPECT_TRUE(list.add("sh"));
    EXPECT_TRUE(list.add("tar.gz"));
    menus.accept = false;
    EXPECT_FALSE(list.add("py"));  // refused by the menus: told, not listed
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, menus::kUnusableExtensionMessage);  // no word of Windows
    EXPECT_EQ(items.items_, (Words{"sh", "tar.gz"}));
    EXPECT_EQ(readAssociationList(settings), (Words{"sh", "tar.gz"}));

    EXPECT_TRUE(list.remove(0));
    RemoveAllAssociations(registry, temp.path());
    EXPECT_EQ(menus.log,
              (Words{"add sh", "add tar.gz", "add py", "remove sh", "remove tar.gz"}));
}

}  // namespace
}  // namespace tarvo::test

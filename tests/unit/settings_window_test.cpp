// The settings window: its start states and two layouts, the add and remove commands with
// their messages, the history clear commands, the links, and the way back to the dialog.
#include <gtest/gtest.h>

#include "doubles/form1_rig.h"
#include "doubles/refused_writes.h"
#include "doubles/settings_fakes.h"

namespace tarvo::test {
namespace {

constexpr char kRemoveTxtQuestion[] =
    "Are you sure you wish to remove 'Tarvolin' from txt file extension?";
constexpr char kUninstallQuestion[] =
    "You have removed all association to Tarvolin.\r\nDo you wish to uninstall it completely?";

TEST(SettingsWindow, ButtonStatesFollowTheOpeningAndTheHistoryFile) {
    struct Case {
        const char* checkEx;
        bool historyWritten;
        bool fileEnabled, clearAllEnabled, runShown;
    };
    const Case cases[] = {
        {"6", false, false, false, true},
        {"6", true, false, true, true},
        {"5", true, false, true, false},
        {"0", true, true, true, false},
        {"1", true, true, true, false},
        // A target with a stored state enables "Clear File History" even when the history
        // file has been emptied since it was loaded.
        {"1", false, true, false, false},
    };
    for (const auto& c : cases) {
        SettingsRig rig;
        if (c.historyWritten) rig.setMru("[a.exe]\r\n0=1\r\n");
        rig.open(c.checkEx);
        const std::string what = std::string(c.checkEx) + (c.historyWritten ? " history" : "");
        EXPECT_EQ(rig.ui.CMD_File.enabled(), c.fileEnabled) << what;
        EXPECT_EQ(rig.ui.CMD_ClearAll.enabled(), c.clearAllEnabled) << what;
        EXPECT_EQ(rig.ui.CMD_RUN.visible(), c.runShown) << what;
        EXPECT_FALSE(rig.ui.CMD_REMOVE.enabled()) << what;
        EXPECT_TRUE(rig.ui.CMD_ADD.enabled()) << what;
        EXPECT_TRUE(rig.ui.Image1.showsIcon) << what;
    }
}

TEST(SettingsWindow, WithoutATargetEverythingBelowRunMovesDown) {
    SettingsRig rig;
    rig.open("6");
    EXPECT_EQ(rig.ui.form.height(), 5555);
    const std::pair<const char*, const Control*> moved[] = {{"Frame1", &rig.ui.Frame1},
                                                            {"Frame2", &rig.ui.Frame2},
                                                            {"List1", &rig.ui.List1},
                                                            {"CMD_ADD", &rig.ui.CMD_ADD},
                                                            {"CMD_REMOVE", &rig.ui.CMD_REMOVE},
                                                            {"CMD_File", &rig.ui.CMD_File},
                                                            {"CMD_ClearAll", &rig.ui.CMD_ClearAll},
                                                            {"CMD_OK", &rig.ui.CMD_OK}};
    for (const auto& [name, control] : moved)
        EXPECT_EQ(control->top(), settingsLayout().find(name)->top + 575) << name;
    // The frame's children move with it, so their own tops stay; Run stays at the top.
    EXPECT_EQ(rig.ui.lbl_MAIL.top(), 840);
    EXPECT_EQ(rig.ui.CMD_RUN.top(), 170);

    SettingsRig fromDialog;
    const int designHeight = fromDialog.ui.form.height();
    fromDialog.open("0");
    EXPECT_EQ(fromDialog.ui.form.height(), designHeight);
    EXPECT_EQ(fromDialog.ui.Frame1.top(), 120);
}

TEST(SettingsWindow, ListsTheFileAndEnablesRemoveOnASelection) {
    SettingsRig rig;
    rig.setSettings("[ASSOCIATION]\r\n0=txt\r\n1=log\r\n");
    rig.open("6");
    EXPECT_EQ(rig.listed(), (std::vector<std::string>{"txt", "log"}));

    rig.window.List1_Click();  // a click that selects nothing
    EXPECT_FALSE(rig.ui.CMD_REMOVE.enabled());
    rig.select(1);
    EXPECT_TRUE(rig.ui.CMD_REMOVE.enabled());
}

TEST(SettingsWindow, AddAsksForTheExtensionAndIgnoresAnEmptyAnswer) {
    SettingsRig rig;
    rig.knowType("txt", "txtfile");
    rig.open("6");
    rig.host.inputs = {"", "txt"};

    rig.window.CMD_ADD_Click();
    EXPECT_EQ(rig.host.inputPrompts,
              std::vector<std::string>{"Please Enter File Extension:|Tarvolin"});
    EXPECT_TRUE(rig.registry.log.empty());
    EXPECT_FALSE(rig.temp.exists("Settings.ini"));

    rig.window.CMD_ADD_Click();
    EXPECT_EQ(rig.listed(), std::vector<std::string>{"txt"});
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n0=txt\r\n");
    EXPECT_FALSE(rig.ui.CMD_REMOVE.enabled());
}

TEST(SettingsWindow, RemoveAsksFirstAndNoChangesNothing) {
    SettingsRig rig;
    rig.knowType("txt", "txtfile");
    rig.registerVerb("txtfile");
    const std::string file = "[ASSOCIATION]\r\n0=txt\r\n1=log\r\n";
    rig.setSettings(file);
    rig.open("0");
    rig.select(0);

    rig.host.answers = {MsgResult::No};
    rig.window.CMD_REMOVE_Click();
    ASSERT_EQ(rig.host.messages.size(), 1u);
    EXPECT_EQ(rig.host.messages[0].text, kRemoveTxtQuestion);
    EXPECT_EQ(rig.host.messages[0].title, "Tarvolin");
    EXPECT_EQ(rig.host.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(rig.host.messages[0].icon, MsgIcon::Question);
    EXPECT_EQ(rig.settings(), file);
    EXPECT_EQ(rig.ui.List1.listIndex(), 0);
    EXPECT_TRUE(rig.ui.CMD_REMOVE.enabled());
    EXPECT_TRUE(rig.registry.changes().empty());

    rig.host.answers = {MsgResult::Yes};
    rig.window.CMD_REMOVE_Click();
    EXPECT_EQ(rig.listed(), std::vector<std::string>{"log"});
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n0=log\r\n");
    EXPECT_FALSE(rig.registry.exists(RegistryRoot::ClassesRoot, "txtfile\\shell\\Tarvolin"));
    EXPECT_FALSE(rig.ui.CMD_REMOVE.enabled());
    EXPECT_EQ(rig.host.messages.size(), 2u);  // no question about uninstalling yet
}

TEST(SettingsWindow, RemovingTheLastEntryOffersTheUninstaller) {
    SettingsRig rig;
    rig.temp.write("unins000.exe", "MZ");
    rig.setSettings("[ASSOCIATION]\r\n0=txt\r\n");
    rig.open("6");
    rig.select(0);
    rig.host.answers = {MsgResult::Yes, MsgResult::Yes};

    rig.window.CMD_REMOVE_Click();
    ASSERT_EQ(rig.host.messages.size(), 2u);
    EXPECT_EQ(rig.host.messages[1].text, kUninstallQuestion);
    EXPECT_EQ(rig.host.messages[1].buttons, MsgButtons::YesNo);
    EXPECT_EQ(rig.host.messages[1].icon, MsgIcon::Question);
    ASSERT_EQ(rig.shell.requests.size(), 1u);
    EXPECT_EQ(rig.shell.requests[0].file, rig.temp.path() + "\\unins000.exe");
    EXPECT_EQ(rig.shell.requests[0].parameters, "/silent");
    EXPECT_EQ(rig.shell.requests[0].owner, &rig.ui.form);
    EXPECT_EQ(rig.host.ended, 1);
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n");
}

// A list file that refuses the rewrite: the user is told, the entry stays listed and selected
// with "Remove" ready for another try, and the uninstaller is not offered.
TEST(SettingsWindow, ARefusedRemovalKeepsTheEntryReadyAndOffersNoUninstall) {
    SettingsRig rig;
    rig.temp.write("unins000.exe", "MZ");
    rig.setSettings("[ASSOCIATION]\r\n0=txt\r\n");
    rig.open("6");
    rig.select(0);
    rig.host.answers = {MsgResult::Yes, MsgResult::Yes};
    {
        RefusedWrites refused;
        rig.window.CMD_REMOVE_Click();
    }
    ASSERT_EQ(rig.host.messages.size(), 2u);
    EXPECT_EQ(rig.host.messages[1].text,
              std::string(kListNotSavedMessage) + rig.temp.path() + "\\Settings.ini");
    EXPECT_EQ(rig.host.messages[1].buttons, MsgButtons::Ok);
    EXPECT_EQ(rig.listed(), std::vector<std::string>{"txt"});
    EXPECT_EQ(rig.ui.List1.listIndex(), 0);
    EXPECT_TRUE(rig.ui.CMD_REMOVE.enabled());
    EXPECT_TRUE(rig.shell.requests.empty());
    EXPECT_EQ(rig.host.ended, 0);

    rig.host.answers = {MsgResult::Yes, MsgResult::No};
    rig.window.CMD_REMOVE_Click();  // the file takes it now
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n");
    EXPECT_EQ(rig.host.messages.back().text, kUninstallQuestion);
}

TEST(SettingsWindow, KeepingTheProgramTellsWhereTheSettingsAreOnlyWhenOpenedFromTheDialog) {
    for (const char* checkEx : {"0", "6"}) {
        SettingsRig rig;
        rig.temp.write("unins000.exe", "MZ");
        rig.host.exe = "Tarvo-2";
        rig.setSettings("[ASSOCIATION]\r\n0=txt\r\n");
        rig.open(checkEx);
        rig.select(0);
        rig.host.answers = {MsgResult::Yes, MsgResult::No};

        rig.window.CMD_REMOVE_Click();
        EXPECT_TRUE(rig.shell.requests.empty());
        EXPECT_EQ(rig.host.ended, 0);
        if (std::string(checkEx) == "6") {
            EXPECT_EQ(rig.host.messages.size(), 2u);
            continue;
        }
        ASSERT_EQ(rig.host.messages.size(), 3u);
        const auto& m = rig.host.messages[2];
        EXPECT_EQ(m.text,
                  "If no association is set now, you can access these settings again later at:"
                  "\r\n" +
                      rig.temp.path() + "\\Tarvo-2.exe");
        EXPECT_EQ(m.title, "Tarvolin");
        EXPECT_EQ(m.buttons, MsgButtons::Ok);
        EXPECT_EQ(m.icon, MsgIcon::Exclamation);
    }
}

// A portable copy has no uninstaller beside it: removing its last type does not offer to
// uninstall it (Yes would start nothing, and nothing would say so). Opened from the dialog, the
// window still tells where the settings can be reached.
TEST(SettingsWindow, APortableCopyIsNotOfferedToUninstallItself) {
    for (const char* checkEx : {"6", "0"}) {
        SettingsRig rig;
        rig.setSettings("[ASSOCIATION]\r\n0=txt\r\n");
        rig.open(checkEx);
        rig.select(0);
        rig.host.answers = {MsgResult::Yes, MsgResult::Yes};

        rig.window.CMD_REMOVE_Click();
        EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n") << checkEx;
        for (const auto& m : rig.host.messages) EXPECT_NE(m.text, kUninstallQuestion) << checkEx;
        EXPECT_EQ(rig.host.messages.size(), std::string(checkEx) == "6" ? 1u : 2u) << checkEx;
        EXPECT_TRUE(rig.shell.requests.empty()) << checkEx;
        EXPECT_EQ(rig.host.ended, 0) << checkEx;
    }
}

TEST(SettingsWindow, ClearAllEmptiesTheHistoryFileAndTheDialog) {
    for (const bool existed : {true, false}) {
        SettingsRig rig;
        if (existed) rig.setMru("[a.exe]\r\n0=1\r\n1=-x\r\n");
        rig.open("1");
        rig.window.CMD_ClearAll_Click();
        EXPECT_TRUE(rig.temp.exists("MRU.INI"));
        EXPECT_EQ(rig.mru(), "");
        EXPECT_EQ(rig.dialog.mruClears, 1);
        EXPECT_EQ(rig.dialog.argumentBoxClears, 1);
        EXPECT_EQ(rig.dialog.checkClears, 1);
        EXPECT_FALSE(rig.ui.CMD_ClearAll.enabled());
        EXPECT_FALSE(rig.ui.CMD_File.enabled());
    }
}

TEST(SettingsWindow, ClearFileHistoryDeletesOnlyTheTargetsRecord) {
    SettingsRig rig;
    rig.setMru("[a.exe]\r\n0=1\r\n1=-x\r\n[b.exe]\r\n0=0\r\n1=-y\r\n");
    rig.dialog.fileName = "a.exe";
    rig.open("1");

    rig.window.CMD_File_Click();
    EXPECT_EQ(rig.mru(), "[b.exe]\r\n0=0\r\n1=-y\r\n");
    EXPECT_EQ(rig.dialog.mruClears, 1);
    EXPECT_EQ(rig.dialog.argumentBoxClears, 1);
    EXPECT_EQ(rig.dialog.checkClears, 1);
    EXPECT_FALSE(rig.ui.CMD_File.enabled());
    EXPECT_TRUE(rig.ui.CMD_ClearAll.enabled());

    // The last record gone leaves nothing to clear.
    SettingsRig last;
    last.setMru("[a.exe]\r\n0=1\r\n");
    last.dialog.fileName = "A.EXE";
    last.open("1");
    last.window.CMD_File_Click();
    EXPECT_EQ(last.mru(), "");
    EXPECT_FALSE(last.ui.CMD_ClearAll.enabled());
}

// A history file that refuses the write clears nothing: both clears say so, naming the file,
// and the dialog's history and the buttons stay as they were.
TEST(SettingsWindow, ARefusedClearSaysSoAndKeepsEverything) {
    const std::string before = "[a.exe]\r\n0=1\r\n1=-x\r\n";
    SettingsRig rig;
    rig.setMru(before);
    rig.dialog.fileName = "a.exe";
    rig.open("1");
    const RefusedWrites refused;
    EXPECT_FALSE(rig.window.CMD_ClearAll_Click());
    EXPECT_FALSE(rig.window.CMD_File_Click());

    EXPECT_EQ(rig.mru(), before);
    ASSERT_EQ(rig.host.messages.size(), 2u);
    for (const auto& m : rig.host.messages) {
        EXPECT_EQ(m.text, "The history could not be cleared; it is unchanged.\n\n" +
                              rig.window.HistoryFile());
        EXPECT_EQ(m.icon, MsgIcon::Exclamation);
    }
    EXPECT_EQ(rig.dialog.mruClears + rig.dialog.argumentBoxClears + rig.dialog.checkClears, 0);
    EXPECT_TRUE(rig.ui.CMD_ClearAll.enabled());
    EXPECT_TRUE(rig.ui.CMD_File.enabled());
}

TEST(SettingsWindow, LinksOpenTheMakersAddresses) {
    SettingsRig rig;
    rig.open("6");
    EXPECT_EQ(rig.ui.lbl_MAIL.caption(), "tarvolin@example.com");
    EXPECT_EQ(rig.ui.lbl_WWW.caption(), "https://www.example.com/tarvolin");
    EXPECT_TRUE(rig.window.click("lbl_MAIL"));
    EXPECT_TRUE(rig.window.click("lbl_WWW"));
    ASSERT_EQ(rig.shell.requests.size(), 2u);
    EXPECT_EQ(rig.shell.requests[0].file, "mailto: tarvolin@example.com");
    EXPECT_EQ(rig.shell.requests[1].file, "https://www.example.com/tarvolin");
    for (const auto& r : rig.shell.requests) {
        EXPECT_EQ(r.owner, &rig.ui.form);
        EXPECT_EQ(r.verb, std::nullopt);
        EXPECT_EQ(r.parameters, std::nullopt);
        EXPECT_EQ(r.directory, std::nullopt);
        EXPECT_EQ(r.showCommand, 1);
    }
    EXPECT_FALSE(rig.window.click("Frame1"));
}

TEST(SettingsWindow, ClosingEndsTheProgramOnlyWithoutATarget) {
    SettingsRig alone;
    alone.open("6");
    alone.window.CMD_OK_Click();
    EXPECT_EQ(alone.host.settingsUnloads, 1);
    alone.window.Form_Unload();
    EXPECT_EQ(alone.host.ended, 1);
    EXPECT_EQ(alone.dialog.shows, 0);

    SettingsRig fromDialog;
    fromDialog.open("5");
    fromDialog.window.Form_Unload();
    EXPECT_EQ(fromDialog.host.ended, 0);
    EXPECT_EQ(fromDialog.dialog.shows, 1);
}

TEST(SettingsWindow, RunNowUnloadsOnlyAfterAPick) {
    SettingsRig rig;
    rig.open("6");
    rig.window.CMD_RUN_Click();  // cancelled
    EXPECT_EQ(rig.dialog.runOnceCalls, 1);
    EXPECT_EQ(rig.host.settingsUnloads, 0);
    EXPECT_EQ(rig.dialog.checkEx, "6");

    rig.dialog.runOnceResult = 1;
    rig.window.CMD_RUN_Click();
    EXPECT_EQ(rig.host.settingsUnloads, 1);
    rig.window.Form_Unload();
    EXPECT_EQ(rig.host.ended, 0);
    EXPECT_EQ(rig.dialog.shows, 1);
}

// The real argument dialog on the other side: started without a target, a file picked with
// "Run a File Now..." is loaded and the dialog comes back for it; the clear commands empty
// the dialog's argument box and check box.
TEST(SettingsWindow, HandsOverToTheRealDialog) {
    Form1Rig d;
    d.dialog.CheckEx = "6";
    d.form.setVisible(false);
    d.setMru("[b.exe]\r\n0=1\r\n1=-v\r\n");
    d.files.answers = {std::nullopt, PickedFile{"C:\\w\\b.exe", "b.exe"}};

    SettingsFakeControls ui;
    FakeRegistry registry;
    Form1Link link(d.dialog);
    frmSettings window(ui.wire(), {d.host, d.shell, registry, link});
    window.Form_Load();
    EXPECT_TRUE(ui.CMD_RUN.visible());
    EXPECT_TRUE(ui.CMD_ClearAll.enabled());

    window.CMD_RUN_Click();
    EXPECT_EQ(d.dialog.CheckEx, "6");
    EXPECT_EQ(d.host.settingsUnloads, 0);

    window.CMD_RUN_Click();
    EXPECT_EQ(d.dialog.CheckEx, "1");
    EXPECT_EQ(d.dialog.FILEName, "b.exe");
    EXPECT_EQ(d.host.settingsUnloads, 1);
    window.Form_Unload();
    EXPECT_TRUE(d.form.visible());
    EXPECT_EQ(d.cmbArg.focused, 1);  // the dialog comes back ready for typing
    EXPECT_EQ(d.host.ended, 0);

    // Opened again from the dialog's "?" button.
    ASSERT_EQ(d.cmbArg.listCount(), 1);
    d.cmbArg.setText("-q");
    SettingsFakeControls again;
    frmSettings second(again.wire(), {d.host, d.shell, registry, link});
    second.Form_Load();
    EXPECT_FALSE(again.CMD_RUN.visible());
    EXPECT_TRUE(again.CMD_File.enabled());
    second.CMD_File_Click();
    EXPECT_EQ(d.cmbArg.listCount(), 0);
    EXPECT_EQ(d.cmbArg.text(), "");
    EXPECT_EQ(d.Check1.value(), 0);
    EXPECT_EQ(d.mru(), "");
}

}  // namespace
}  // namespace tarvo::test

// The file manager is told once per command that changed verbs, and not by one that changed
// nothing.
#include <gtest/gtest.h>

#include "doubles/settings_fakes.h"
#include "settings/registry_changes.h"

namespace tarvo::test {
namespace {

TEST(AssociationNotice, AddTellsOnceWhenTheVerbWasWritten) {
    SettingsRig rig;
    rig.knowType("txt", "txtfile");
    rig.knowType("log", "txtfile");
    rig.open("6");

    rig.host.inputs = {"txt", "log", "nope"};
    rig.window.CMD_ADD_Click();
    EXPECT_EQ(rig.types.notices, 1);
    rig.window.CMD_ADD_Click();
    EXPECT_EQ(rig.types.notices, 2);
    rig.window.CMD_ADD_Click();  // no file type: nothing written, nobody told
    EXPECT_EQ(rig.types.notices, 2);

    rig.registry.refuseClassesRootWrites = true;
    rig.registry.refuseUserClassesWrites = true;
    rig.host.inputs = {"txt"};
    rig.window.CMD_ADD_Click();
    EXPECT_EQ(rig.types.notices, 2);
}

TEST(AssociationNotice, RemoveTellsOnceWhenAVerbWentAndBeforeTheUninstaller) {
    SettingsRig rig;
    rig.temp.write("unins000.exe", "MZ");  // an installed copy, which offers its uninstaller
    rig.knowType("txt", "txtfile");
    rig.knowType("log", "logfile");
    rig.registerVerb("txtfile");
    rig.setSettings("[ASSOCIATION]\r\n0=txt\r\n1=log\r\n");
    rig.open("6");

    rig.select(0);
    rig.host.answers = {MsgResult::No};
    rig.window.CMD_REMOVE_Click();
    EXPECT_EQ(rig.types.notices, 0);

    // Command key and verb key: two deletions, one notice.
    rig.host.answers = {MsgResult::Yes};
    rig.window.CMD_REMOVE_Click();
    EXPECT_EQ(rig.types.notices, 1);

    // The last entry, and the uninstaller: the file manager hears of it before the program ends.
    int endedWhenTold = -1;
    rig.types.onNotice = [&] { endedWhenTold = rig.host.ended; };
    rig.registerVerb("logfile");
    rig.select(0);
    rig.host.answers = {MsgResult::Yes, MsgResult::Yes};  // and uninstall
    rig.window.CMD_REMOVE_Click();
    EXPECT_EQ(rig.types.notices, 2);
    EXPECT_EQ(endedWhenTold, 0);
    EXPECT_EQ(rig.host.ended, 1);
}

TEST(AssociationNotice, RemovingAVerbThatIsAlreadyGoneTellsNobody) {
    SettingsRig rig;
    rig.knowType("txt", "txtfile");
    rig.setSettings("[ASSOCIATION]\r\n0=txt\r\n1=txt\r\n");
    rig.open("6");
    rig.select(0);
    rig.host.answers = {MsgResult::Yes};
    rig.window.CMD_REMOVE_Click();
    EXPECT_EQ(rig.listed(), std::vector<std::string>{"txt"});
    EXPECT_EQ(rig.types.notices, 0);
}

TEST(AssociationNotice, ClearingEveryVerbTellsOnce) {
    SettingsRig rig;
    rig.knowType("txt", "txtfile");
    rig.knowType("log", "logfile");
    rig.registerVerb("txtfile");
    rig.registerVerb("logfile");
    rig.setSettings("[ASSOCIATION]\r\n0=txt\r\n1=log\r\n");

    RemoveAllAssociationsAndAnnounce(rig.registry, &rig.types, rig.temp.path());
    EXPECT_FALSE(rig.registry.exists(RegistryRoot::ClassesRoot, verbKey("logfile")));
    EXPECT_EQ(rig.types.notices, 1);

    RemoveAllAssociationsAndAnnounce(rig.registry, &rig.types, rig.temp.path());
    EXPECT_EQ(rig.types.notices, 1);  // the second run finds nothing to delete
    RemoveAllAssociationsAndAnnounce(rig.registry, nullptr, rig.temp.path());
}

}  // namespace
}  // namespace tarvo::test

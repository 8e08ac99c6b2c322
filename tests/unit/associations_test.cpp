// The association list file, adding and removing an extension's verb, "/cleareg" and the
// uninstaller hand-off.
#include "settings/associations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "doubles/fake_registry.h"
#include "doubles/refused_writes.h"
#include "doubles/scoped_env.h"
#include "doubles/settings_fakes.h"
#include "platform/filesystem.h"

namespace tarvo::test {
namespace {

constexpr auto CR = RegistryRoot::ClassesRoot;
constexpr auto UC = RegistryRoot::UserClasses;

struct AssociationsTest : ::testing::Test {
    SettingsRig rig;
    FakeListBox items;
    AssociationList list{items,        rig.registry,    rig.host,
                         &rig.ui.form, rig.temp.path(), rig.temp.file("Settings.ini")};

    std::string command() const { return verbCommand(rig.temp.path()); }
    void load(const std::string& bytes) {
        rig.setSettings(bytes);
        list.load();
    }
};

TEST(AssociationFile, ReadingStopsAtTheFirstMissingIndexOrTheSentinel) {
    struct Case {
        const char* file;
        std::vector<std::string> entries;
    };
    const Case cases[] = {
        {"[ASSOCIATION]\r\n0=txt\r\n1=log\r\n3=ini\r\n", {"txt", "log"}},
        {"[ASSOCIATION]\r\n0=txt\r\n1=EMPTY!\r\n2=log\r\n", {"txt"}},
        {"[ASSOCIATION]\r\n0=\r\n1=log\r\n", {"", "log"}},
        {"[ASSOCIATION]\r\n1=log\r\n", {}},
        {"[association]\n 1 =log\n0= txt\n", {" txt", "log"}},
        {"[OTHER]\r\n0=txt\r\n", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        TempFolder temp;
        temp.write("Settings.ini", c.file);
        EXPECT_EQ(readAssociationList(temp.file("Settings.ini")), c.entries) << c.file;
    }
    TempFolder empty;
    EXPECT_TRUE(readAssociationList(empty.file("Settings.ini")).empty());
}

TEST(AssociationFile, WholeFileFormHasOneCrlfLinePerEntry) {
    EXPECT_EQ(associationFileText({"txt", "log"}), "[ASSOCIATION]\r\n0=txt\r\n1=log\r\n");
    EXPECT_EQ(associationFileText({}), "[ASSOCIATION]\r\n");
    EXPECT_EQ(verbCommand("C:\\Tools"), "\"C:\\Tools\\Tarvo.exe\" %1");
}

TEST_F(AssociationsTest, AddWritesTheVerbAndTheNextIndex) {
    rig.knowType("txt", "txtfile");
    rig.knowType("log", "txtfile");
    load("[ASSOCIATION]\r\n0=ini\r\n");

    EXPECT_TRUE(list.add("txt"));
    EXPECT_TRUE(list.add("log"));
    EXPECT_EQ(items.items_, (std::vector<std::string>{"ini", "txt", "log"}));
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n0=ini\r\n1=txt\r\n2=log\r\n");
    EXPECT_EQ(rig.registry.value(CR, "txtfile\\shell\\Tarvolin\\command"), command());
    EXPECT_EQ(rig.registry.value(CR, "txtfile\\shell\\Tarvolin"), std::nullopt);
    EXPECT_FALSE(rig.registry.exists(UC, "txtfile"));
    EXPECT_TRUE(rig.host.messages.empty());
}

// The registry ignores letter case, so "INI" names the key "ini" does: a second entry would
// only list the same verb twice, and removing one would leave the other doing nothing.
TEST_F(AssociationsTest, AddTakesOneDotOffAndRefusesAnExtensionAlreadyListed) {
    rig.knowType("txt", "txtfile");
    rig.knowType("ini", "inifile");
    EXPECT_TRUE(list.add(".txt"));
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n0=txt\r\n");
    rig.registry.log.clear();

    for (const char* typed : {"txt", "TXT", ".Txt"}) {
        rig.host.messages.clear();
        EXPECT_FALSE(list.add(typed)) << typed;
        ASSERT_EQ(rig.host.messages.size(), 1u) << typed;
        const auto& m = rig.host.messages[0];
        EXPECT_EQ(m.text, "txt is already in the list.");
        EXPECT_EQ(m.title, "Tarvolin");
        EXPECT_EQ(m.buttons, MsgButtons::Ok);
        EXPECT_EQ(m.icon, MsgIcon::Exclamation);
    }
    EXPECT_TRUE(rig.registry.log.empty());
    EXPECT_EQ(items.items_, std::vector<std::string>{"txt"});
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n0=txt\r\n");

    // Only one dot goes: "..ini" looks up "..ini", which names nothing.
    rig.host.messages.clear();
    EXPECT_FALSE(list.add("..ini"));
    ASSERT_EQ(rig.host.messages.size(), 1u);
    EXPECT_EQ(rig.host.messages[0].text, kAddFailedMessage);
    EXPECT_TRUE(list.add("ini"));
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n0=txt\r\n1=ini\r\n");
}

TEST_F(AssociationsTest, RefusedClassesRootWriteGoesToTheUsersBranch) {
    rig.knowType("txt", "txtfile");
    rig.registry.refuseClassesRootWrites = true;

    EXPECT_TRUE(list.add("txt"));
    EXPECT_EQ(
        rig.registry.changes(),
        (std::vector<std::string>{
            "write HKCR txtfile\\shell\\Tarvolin\\command = " + command() + " failed",
            "write HKCU\\Software\\Classes txtfile\\shell\\Tarvolin\\command = " + command()}));
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n0=txt\r\n");
    EXPECT_TRUE(rig.host.messages.empty());
}

// A copy is installed for one user when the user's entry of installed programs names its
// folder, however that folder is spelt there.
TEST(VerbScope, APerUserInstallationIsTheOneTheUsersListNames) {
    const std::string folder = "C:\\Users\\\xC3\x89va\\AppData\\Local\\Programs\\Tarvolin";
    struct Case {
        std::optional<std::string> installed;
        VerbScope scope;
    };
    const Case cases[] = {
        {std::nullopt, VerbScope::ClassesRoot},  // portable, or installed for all users
        {folder, VerbScope::UserOnly},
        {"c:\\users\\\xC3\xA9VA\\appdata\\local\\programs\\TARVOLIN\\", VerbScope::UserOnly},
        {"C:/Users/\xC3\x89va/AppData/Local/Programs/Tarvolin", VerbScope::UserOnly},
        {"C:\\Users\\\xC3\x89va\\\\AppData\\Local\\Programs\\Tarvolin", VerbScope::UserOnly},
        {"C:\\Users\\\xC3\x89va\\AppData\\Local\\Programs\\Tarvolin2", VerbScope::ClassesRoot},
        {"C:\\Users\\\xC3\x89va\\AppData\\Local\\Programs", VerbScope::ClassesRoot},
        {"D:\\Portable\\Tarvolin", VerbScope::ClassesRoot},  // the installation is elsewhere
        {"", VerbScope::ClassesRoot},
    };
    for (const auto& c : cases) {
        FakeRegistry registry;
        if (c.installed) registry.setUserValue(kUserUninstallKey, kInstallLocationValue, *c.installed);
        EXPECT_EQ(verbScopeOf(registry, folder), c.scope) << c.installed.value_or("(none)");
        EXPECT_TRUE(registry.log.empty());
    }
    // The value the installer writes, under the key it writes it to.
    FakeRegistry registry;
    registry.setUserValue("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvolin",
                          "InstallLocation", folder);
    EXPECT_EQ(verbScopeOf(registry, folder), VerbScope::UserOnly);
}

// Installed for one user, the copy writes its verb to the user's branch even where the classes
// root would take it (an administrator, an elevated start), and removes it from there. Through
// the classes root it removes only a verb that runs this very copy, never another program's.
TEST_F(AssociationsTest, APerUserCopyWritesAndRemovesItsVerbsInTheUsersBranchOnly) {
    rig.registry.setUserValue(kUserUninstallKey, kInstallLocationValue, rig.temp.path());
    rig.knowType("txt", "txtfile");
    rig.knowType("log", "logfile");
    const std::string others = "\"C:\\Program Files\\Tarvolin\\Tarvo.exe\" %1";
    rig.registry.setClass(commandKey("logfile"), others);

    EXPECT_TRUE(list.add("txt"));
    EXPECT_TRUE(list.add("log"));
    EXPECT_EQ(rig.registry.changes(),
              (std::vector<std::string>{
                  "write HKCU\\Software\\Classes txtfile\\shell\\Tarvolin\\command = " + command(),
                  "write HKCU\\Software\\Classes logfile\\shell\\Tarvolin\\command = " + command()}));
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n0=txt\r\n1=log\r\n");

    // txtfile also holds this copy's verb machine-wide, as an earlier version wrote it.
    rig.registerVerb("txtfile");
    rig.registry.log.clear();
    EXPECT_TRUE(list.remove(1));
    EXPECT_TRUE(list.remove(0));
    EXPECT_EQ(rig.registry.changes(),
              (std::vector<std::string>{
                  "delete HKCU\\Software\\Classes logfile\\shell\\Tarvolin\\command",
                  "delete HKCU\\Software\\Classes logfile\\shell\\Tarvolin",
                  "delete HKCU\\Software\\Classes txtfile\\shell\\Tarvolin\\command",
                  "delete HKCU\\Software\\Classes txtfile\\shell\\Tarvolin",
                  "delete HKCR txtfile\\shell\\Tarvolin\\command",
                  "delete HKCR txtfile\\shell\\Tarvolin"}));
    EXPECT_EQ(rig.registry.value(CR, commandKey("logfile")), others);
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n");
    EXPECT_TRUE(rig.host.messages.empty());
}

TEST_F(AssociationsTest, AddFailsWithTheMessageAndRecordsNothing) {
    rig.knowType("txt", "txtfile");
    rig.knowType("blank", "");
    rig.knowType("lead", "\\victim");
    rig.knowType("trail", "victim\\");
    rig.knowType("twice", "a\\\\b");
    rig.registry.setClass("txt\\PersistentHandler", "{guid}");
    struct Case {
        const char* ext;
        bool refuseAllWrites;
    };
    // A dot alone is no extension; an unknown extension, an empty type name and a type with an
    // empty level have no type to carry the verb, nor has a typed extension that reaches into
    // another key; a known one fails when both branches refuse the write.
    for (const Case c : {Case{".", false}, Case{"xyz", false}, Case{"blank", false},
                         Case{"lead", false}, Case{"trail", false}, Case{"twice", false},
                         Case{"txt\\PersistentHandler", false}, Case{"txt", true}}) {
        rig.registry.refuseClassesRootWrites = rig.registry.refuseUserClassesWrites =
            c.refuseAllWrites;
        rig.registry.log.clear();
        rig.host.messages.clear();

        EXPECT_FALSE(list.add(c.ext)) << c.ext;
        ASSERT_EQ(rig.host.messages.size(), 1u) << c.ext;
        const auto& m = rig.host.messages[0];
        EXPECT_EQ(m.text, "Windows is not set to handle this file extension");
        EXPECT_EQ(m.title, "Tarvolin");
        EXPECT_EQ(m.buttons, MsgButtons::Ok);
        EXPECT_EQ(m.icon, MsgIcon::Critical);
        EXPECT_EQ(items.listCount(), 0) << c.ext;
        EXPECT_FALSE(rig.temp.exists("Settings.ini")) << c.ext;
        if (!c.refuseAllWrites) {
            EXPECT_TRUE(rig.registry.changes().empty()) << c.ext;
        }
    }
    EXPECT_EQ(rig.registry.log.front(), "read HKCR .txt");
}

// A type value with a NUL in it ends there, as the system reads it: the verb goes under that
// type's "shell\Tarvolin" and nowhere else, and the key the type names keeps its own value,
// on add, on removal and on "/cleareg".
TEST_F(AssociationsTest, ATypeWithANulStaysInsideTheVerbsKeys) {
    rig.knowType("nul", std::string("victim\0junk", 11));
    rig.registry.setClass("victim", "the victim's own value");

    ASSERT_TRUE(list.add("nul"));
    EXPECT_EQ(rig.registry.value(CR, "victim\\shell\\Tarvolin\\command"), command());
    EXPECT_EQ(rig.registry.value(CR, "victim"), "the victim's own value");
    for (const auto& change : rig.registry.changes())
        EXPECT_EQ(change.rfind("write HKCR victim\\shell\\Tarvolin\\command", 0), 0u) << change;

    RemoveAllAssociations(rig.registry, rig.temp.path());
    EXPECT_FALSE(rig.registry.exists(CR, "victim\\shell\\Tarvolin"));
    EXPECT_EQ(rig.registry.value(CR, "victim"), "the victim's own value");
    for (const auto& change : rig.registry.changes())
        EXPECT_NE(change.find("victim\\shell\\Tarvolin"), std::string::npos) << change;
}

// A verb that no list names would never be removed (not by Remove, not by "/cleareg"): when
// the list file refuses the entry, the add takes back what it wrote to the registry.
TEST_F(AssociationsTest, AddWithTheListFileRefusedLeavesNoVerbItWrote) {
    rig.knowType("txt", "txtfile");
    rig.knowType("text", "txtfile");
    rig.knowType("log", "logfile");
    rig.knowType("ini", "inifile");
    // ini's type carries a command of an older install, which the add would have replaced.
    const std::string older = "\"C:\\Old\\Tarvo.exe\" %1";
    rig.registry.setClass(commandKey("inifile"), older);
    load("[ASSOCIATION]\r\n0=log\r\n");
    RefusedWrites refused;

    EXPECT_FALSE(list.add("txt"));
    ASSERT_EQ(rig.host.messages.size(), 1u);
    EXPECT_EQ(rig.host.messages[0].text,
              std::string(kListNotSavedMessage) + rig.temp.file("Settings.ini"));
    EXPECT_EQ(rig.host.messages[0].title, "Tarvolin");
    EXPECT_EQ(rig.host.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_FALSE(rig.registry.exists(CR, verbKey("txtfile")));

    // Written to the user's branch when the classes root refused.
    rig.registry.refuseClassesRootWrites = true;
    EXPECT_FALSE(list.add("text"));
    EXPECT_FALSE(rig.registry.exists(UC, verbKey("txtfile")));
    EXPECT_FALSE(rig.registry.exists(CR, verbKey("txtfile")));

    rig.registry.refuseClassesRootWrites = false;
    EXPECT_FALSE(list.add("ini"));
    EXPECT_EQ(rig.registry.value(CR, commandKey("inifile")), older);

    EXPECT_EQ(rig.host.messages.size(), 3u);
    EXPECT_EQ(items.items_, std::vector<std::string>{"log"});
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n0=log\r\n");
}

TEST_F(AssociationsTest, RemoveDeletesTheSharedVerbAndRenumbers) {
    rig.knowType("txt", "txtfile");
    rig.knowType("text", "txtfile");
    rig.knowType("log", "txtfile");
    rig.registry.setClass("txtfile\\shell", "open");
    rig.registerVerb("txtfile");
    load("[ASSOCIATION]\r\n0=txt\r\n1=text\r\n2=log\r\n");

    EXPECT_TRUE(list.remove(1));
    EXPECT_EQ(rig.registry.changes(),
              (std::vector<std::string>{"delete HKCR txtfile\\shell\\Tarvolin\\command",
                                        "delete HKCR txtfile\\shell\\Tarvolin",
                                        "delete HKCU\\Software\\Classes "
                                        "txtfile\\shell\\Tarvolin\\command failed"}));
    // The type's own "shell" key and its default verb stay.
    EXPECT_EQ(rig.registry.value(CR, "txtfile\\shell"), "open");
    EXPECT_EQ(items.items_, (std::vector<std::string>{"txt", "log"}));
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n0=txt\r\n1=log\r\n");

    // The other entries of the type stay listed although their verb is gone; removing them
    // later is silent.
    rig.registry.log.clear();
    EXPECT_TRUE(list.remove(0));
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n0=log\r\n");
    EXPECT_TRUE(list.remove(0));
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n");
    EXPECT_TRUE(readAssociationList(rig.temp.file("Settings.ini")).empty());
    EXPECT_TRUE(rig.host.messages.empty());
}

TEST_F(AssociationsTest, RemoveReachesTheVerbInTheUsersBranch) {
    rig.knowType("txt", "txtfile");
    rig.registry.refuseClassesRootWrites = true;
    ASSERT_TRUE(list.add("txt"));

    EXPECT_TRUE(list.remove(0));
    EXPECT_FALSE(rig.registry.exists(UC, "txtfile\\shell\\Tarvolin"));
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n");
}

TEST_F(AssociationsTest, RemoveKeepsTheVerbKeyWhenItsCommandKeyWasAlreadyGone) {
    rig.knowType("txt", "txtfile");
    rig.registry.setClass("txtfile\\shell\\Tarvolin", "");
    load("[ASSOCIATION]\r\n0=txt\r\n1=gone\r\n");

    EXPECT_TRUE(list.remove(1));  // no extension key: nothing to delete
    EXPECT_TRUE(list.remove(0));
    EXPECT_TRUE(rig.registry.exists(CR, "txtfile\\shell\\Tarvolin"));
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n");
}

TEST_F(AssociationsTest, RefusedRewriteLeavesTheFileAndTheEntry) {
    rig.knowType("txt", "txtfile");
    rig.registerVerb("txtfile");
    const std::string before = "[ASSOCIATION]\r\n0=txt\r\n1=log\r\n";
    load(before);
    RefusedWrites refused;

    EXPECT_FALSE(list.remove(0));
    EXPECT_EQ(rig.settings(), before);
    EXPECT_EQ(items.items_, (std::vector<std::string>{"txt", "log"}));
    EXPECT_FALSE(rig.registry.exists(CR, "txtfile\\shell\\Tarvolin"));
    ASSERT_EQ(rig.host.messages.size(), 1u);
    EXPECT_EQ(rig.host.messages[0].text,
              std::string(kListNotSavedMessage) + rig.temp.file("Settings.ini"));
}

// Two settings windows (two running copies) on one list file: each change is made to the
// file as it is, so neither window's additions or removals undo the other's, and each window
// shows the file after its own change.
TEST(AssociationsTwoWindows, AddingAndRemovingInBothKeepsEveryEntry) {
    SettingsRig rig;
    rig.knowType("txt", "txtfile");
    rig.knowType("log", "logfile");
    rig.knowType("ini", "inifile");
    rig.knowType("md", "mdfile");
    FakeListBox boxA;
    FakeListBox boxB;
    const std::string file = rig.temp.file("Settings.ini");
    AssociationList a{boxA, rig.registry, rig.host, &rig.ui.form, rig.temp.path(), file};
    AssociationList b{boxB, rig.registry, rig.host, &rig.ui.form, rig.temp.path(), file};
    a.load();
    b.load();

    EXPECT_TRUE(a.add("txt"));
    EXPECT_TRUE(b.add("log"));  // b still shows an empty list
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n0=txt\r\n1=log\r\n");
    EXPECT_EQ(boxB.items_, (std::vector<std::string>{"txt", "log"}));
    boxA.setListIndex(0);  // txt, selected in a
    EXPECT_TRUE(a.add("ini"));
    EXPECT_EQ(boxA.items_, (std::vector<std::string>{"txt", "log", "ini"}));
    EXPECT_EQ(boxA.listIndex(), 0);

    // b removes txt, which a still shows first; a then removes ini at its own index 2, which
    // the file now holds at 1.
    EXPECT_TRUE(b.remove(0));
    EXPECT_TRUE(a.remove(2));
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n0=log\r\n");
    EXPECT_EQ(boxA.items_, std::vector<std::string>{"log"});
    EXPECT_EQ(boxA.listIndex(), -1);

    // b still shows ini, already gone: its removal leaves the file alone. A duplicate of what
    // a added is refused in b too.
    EXPECT_EQ(boxB.items_, (std::vector<std::string>{"log", "ini"}));
    EXPECT_TRUE(b.remove(1));
    EXPECT_TRUE(a.add("md"));
    EXPECT_FALSE(b.add("MD"));
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n0=log\r\n1=md\r\n");
    EXPECT_EQ(boxB.items_, (std::vector<std::string>{"log", "md"}));
    EXPECT_TRUE(rig.registry.exists(CR, verbKey("logfile")));
    EXPECT_TRUE(rig.registry.exists(CR, verbKey("mdfile")));
    EXPECT_FALSE(rig.registry.exists(CR, verbKey("txtfile")));
    EXPECT_FALSE(rig.registry.exists(CR, verbKey("inifile")));
}

// The user's own data folder, empty unless a test puts a list there.
struct RemoveAllRig : SettingsRig {
    TempFolder home;
    ScopedEnv xdg{"XDG_DATA_HOME", home.path()};
};

TEST(RemoveAll, DeletesEveryRecordedVerbAndKeepsTheList) {
    RemoveAllRig rig;
    rig.knowType("txt", "txtfile");
    rig.knowType("log", "logfile");
    rig.knowType("text", "txtfile");
    rig.registerVerb("txtfile");
    // logfile's command key is already gone, its verb key still stands.
    rig.registry.setClass("logfile\\shell\\Tarvolin", "");
    const std::string file = "[ASSOCIATION]\r\n0=txt\r\n1=gone\r\n2=log\r\n3=text\r\n5=never\r\n";
    rig.setSettings(file);

    RemoveAllAssociations(rig.registry, rig.temp.path());
    EXPECT_EQ(rig.registry.log,
              (std::vector<std::string>{
                  "read HKCR .txt",
                  "delete HKCR txtfile\\shell\\Tarvolin\\command",
                  "delete HKCR txtfile\\shell\\Tarvolin",
                  "delete HKCU\\Software\\Classes txtfile\\shell\\Tarvolin\\command failed",
                  "delete HKCU\\Software\\Classes txtfile\\shell\\Tarvolin failed",
                  "read HKCR .gone failed",
                  "read HKCR .log",
                  "delete HKCR logfile\\shell\\Tarvolin\\command failed",
                  "delete HKCR logfile\\shell\\Tarvolin",
                  "delete HKCU\\Software\\Classes logfile\\shell\\Tarvolin\\command failed",
                  "delete HKCU\\Software\\Classes logfile\\shell\\Tarvolin failed",
                  "read HKCR .text",
                  "delete HKCR txtfile\\shell\\Tarvolin\\command failed",
                  "delete HKCR txtfile\\shell\\Tarvolin failed",
                  "delete HKCU\\Software\\Classes txtfile\\shell\\Tarvolin\\command failed",
                  "delete HKCU\\Software\\Classes txtfile\\shell\\Tarvolin failed",
              }));
    EXPECT_EQ(rig.settings(), file);
    EXPECT_TRUE(rig.host.messages.empty());
}

TEST(RemoveAll, WithoutAListFileTouchesNothing) {
    RemoveAllRig rig;
    rig.knowType("txt", "txtfile");
    RemoveAllAssociations(rig.registry, rig.temp.path());
    EXPECT_TRUE(rig.registry.log.empty());
    EXPECT_FALSE(rig.temp.exists("Settings.ini"));
    EXPECT_FALSE(rig.home.exists("Tarvolin"));
}

// Run by the uninstaller with rights to the program folder, "/cleareg" also clears what the
// user's runs recorded in the user's folder while the program folder was closed to them.
TEST(RemoveAll, CoversTheListsOfTheProgramAndTheUsersFolder) {
    RemoveAllRig rig;
    rig.knowType("txt", "txtfile");
    rig.knowType("log", "logfile");
    rig.registerVerb("txtfile");
    rig.registerVerb("logfile");
    rig.setSettings("[ASSOCIATION]\r\n0=txt\r\n");
    std::filesystem::create_directory(rig.home.file("Tarvolin"));
    const std::string users = "[ASSOCIATION]\r\n0=log\r\n1=txt\r\n";
    rig.home.write("Tarvolin/Settings.ini", users);

    RemoveAllAssociations(rig.registry, rig.temp.path());
    EXPECT_FALSE(rig.registry.exists(CR, "txtfile\\shell\\Tarvolin"));
    EXPECT_FALSE(rig.registry.exists(CR, "logfile\\shell\\Tarvolin"));
    EXPECT_EQ(std::count(rig.registry.log.begin(), rig.registry.log.end(), "read HKCR .txt"), 1);
    EXPECT_EQ(rig.settings(), "[ASSOCIATION]\r\n0=txt\r\n");
    EXPECT_EQ(rig.home.read("Tarvolin/Settings.ini"), users);
}

// "/cleareg" from a per-user installation (the uninstaller runs it so) clears the user's
// branch, and leaves alone a verb of another program under the classes root.
TEST(RemoveAll, APerUserCopyClearsTheUsersBranch) {
    RemoveAllRig rig;
    rig.registry.setUserValue(kUserUninstallKey, kInstallLocationValue, rig.temp.path() + "\\");
    rig.knowType("txt", "txtfile");
    rig.registry.set(UC, commandKey("txtfile"), verbCommand(rig.temp.path()));
    const std::string others = "\"C:\\Other\\Tarvo.exe\" %1";
    rig.registry.setClass(commandKey("txtfile"), others);
    rig.setSettings("[ASSOCIATION]\r\n0=txt\r\n");

    RemoveAllAssociations(rig.registry, rig.temp.path());
    EXPECT_FALSE(rig.registry.exists(UC, verbKey("txtfile")));
    EXPECT_EQ(rig.registry.value(CR, commandKey("txtfile")), others);
}

TEST(UninstallHandOff, StartsTheUninstallerAndEndsEvenWhenTheStartFails) {
    SettingsRig rig;
    rig.shell.result = ShellResult::failed(2, "The system cannot find the file specified.");
    uninstallHandOff(rig.shell, rig.host, &rig.ui.form);

    ASSERT_EQ(rig.shell.requests.size(), 1u);
    const auto& r = rig.shell.requests[0];
    EXPECT_EQ(r.owner, &rig.ui.form);
    EXPECT_EQ(r.verb, std::nullopt);
    EXPECT_EQ(r.file, rig.temp.path() + "\\unins000.exe");
    EXPECT_EQ(r.parameters, "/silent");
    EXPECT_EQ(r.directory, std::nullopt);
    EXPECT_EQ(r.showCommand, 1);
    EXPECT_EQ(rig.host.ended, 1);
}

}  // namespace
}  // namespace tarvo::test

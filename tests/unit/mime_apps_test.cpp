// The association files: the user's mimeapps.list changed one key at a time and given back
// byte for byte, GIO's rules for the default program, and the program's "Added Associations"
// (only ever behind the program a type opens with today, and only what it added taken out).
#include "settings/linux/mime_apps.h"

#include <gtest/gtest.h>

#include "doubles/temp_folder.h"
#include "platform/filesystem.h"
#include "settings/linux_menus.h"

namespace tarvo::menus {
namespace {

using test::TempFolder;

TEST(MimeAppsList, OneKeyChangesAndEveryOtherByteStays) {
    const std::string users =
        "# mine\r\n[Default Applications]\r\ntext/plain = gedit.desktop;\r\n\r\n"
        "[Added Associations]\ntext/x-log=a.desktop;;b.desktop\n[Other]\ntext/x-log=z;\n";
    MimeAppsList list(users);
    EXPECT_EQ(list.items(kDefaultGroup, "text/plain"), (std::vector<std::string>{"gedit.desktop"}));
    EXPECT_EQ(list.items(kAddedGroup, "text/x-log"),
              (std::vector<std::string>{"a.desktop", "b.desktop"}));
    list.setItems(kDefaultGroup, "text/plain", {"gedit.desktop", "t.desktop"});
    list.setItems(kAddedGroup, "text/x-log", {"a.desktop", "b.desktop", "t.desktop"});
    list.setItems(kAddedGroup, "text/x-c", {"t.desktop"});
    EXPECT_EQ(list.text(),
              "# mine\r\n[Default Applications]\r\ntext/plain=gedit.desktop;t.desktop;\r\n\r\n"
              "[Added Associations]\ntext/x-log=a.desktop;b.desktop;t.desktop;\n"
              "text/x-c=t.desktop;\n[Other]\ntext/x-log=z;\n");
    list.setItems(kAddedGroup, "text/x-c", {});
    list.setItems(kRemovedGroup, "text/x-c", {"t.desktop"});
    EXPECT_EQ(list.items(kRemovedGroup, "text/x-c"), std::vector<std::string>{"t.desktop"});
    list.setItems(kRemovedGroup, "text/x-c", {});
    list.removeGroupIfEmpty(kRemovedGroup);
    EXPECT_EQ(list.text().find("Removed"), std::string::npos);
    list.removeGroupIfEmpty(kAddedGroup);  // not empty: stays
    EXPECT_NE(list.text().find("[Added Associations]"), std::string::npos);
}

// GIO's order: per type and then per parent type, every folder's defaults before any
// folder's associations; removed associations block those of less important folders; a
// program that is not installed is passed over; the desktop's own file gives defaults.
TEST(AssociationFiles, TheDefaultFollowsGiosRules) {
    std::map<std::string, std::string> files{
        {"/mime/subclasses", "text/x-log text/plain\n"},
        {"/cfg/mimeapps.list",
         "[Added Associations]\ntext/x-c=gone.desktop;c.desktop;\n"
         "[Removed Associations]\ntext/plain=sys.desktop;\n"},
        {"/cfg/xfce-mimeapps.list", "[Default Applications]\nimage/png=viewer.desktop\n"},
        {"/usr/applications/mimeinfo.cache",
         "[MIME Cache]\ntext/plain=sys.desktop;other.desktop;\ntext/x-c=sys.desktop;\n"
         "image/png=paint.desktop;\n"},
        {"/usr/applications/sys.desktop", "[Desktop Entry]\n"},
        {"/usr/applications/other.desktop", "[Desktop Entry]\n"},
        {"/usr/applications/c.desktop", "[Desktop Entry]\n"},
        {"/usr/applications/viewer.desktop", "[Desktop Entry]\n"},
        {"/usr/applications/paint.desktop", "[Desktop Entry]\n"},
    };
    AssociationSources sources{
        {"/cfg"}, {"/home/applications", "/usr/applications"}, {"/mime"}, {"xfce"}};
    AssociationFiles gio(sources, [&](const std::string& path) -> std::optional<std::string> {
        const auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second;
    });
    EXPECT_EQ(gio.defaultFor("text/plain"), "other.desktop");  // sys.desktop removed
    EXPECT_EQ(gio.defaultFor("text/x-log"), "other.desktop");  // by its parent
    EXPECT_EQ(gio.defaultFor("text/x-c"), "c.desktop");        // gone.desktop not installed
    EXPECT_EQ(gio.defaultFor("text/x-c", "c.desktop"), "sys.desktop");
    EXPECT_EQ(gio.defaultFor("image/png"), "viewer.desktop");
    EXPECT_EQ(gio.defaultFor("application/x-none"), "");
    gio.replace("/cfg/mimeapps.list", "[Default Applications]\ntext/x-log=c.desktop;\n");
    EXPECT_EQ(gio.defaultFor("text/x-log"), "c.desktop");
    EXPECT_EQ(gio.defaultFor("text/plain"), "sys.desktop");
}

// A home with one system editor for text/plain.
struct Home {
    TempFolder dir;
    MenuFolders folders;
    Home() {
        folders.dolphin = dir.file("data/kio/servicemenus");
        folders.nemo = dir.file("data/nemo/actions");
        folders.applications = dir.file("data/applications");
        folders.thunar = dir.file("config/Thunar");
        folders.mimeGlobs = {dir.file("usr/mime/globs2")};
        folders.mimeApps = dir.file("config/mimeapps.list");
        folders.addedRecord = dir.file("state/tarvolin/added-associations.list");
        folders.configDirs = {dir.file("config")};
        folders.applicationDirs = {dir.file("data/applications"), dir.file("usr/applications")};
        fs::ensureFolderPath(dir.file("usr/mime"));
        fs::ensureFolderPath(dir.file("usr/applications"));
        fs::ensureFolderPath(dir.file("config"));
        dir.write("usr/mime/globs2",
                  "50:text/plain:*.txt\n50:text/x-log:*.log\n50:application/x-cd-image:*.iso\n");
        dir.write("usr/mime/subclasses", "text/x-log text/plain\n");
        dir.write("usr/applications/edit.desktop", "[Desktop Entry]\nMimeType=text/plain;\n");
        dir.write("usr/applications/mimeinfo.cache", "[MIME Cache]\ntext/plain=edit.desktop;\n");
    }
    MenuUpdate regenerate(const std::vector<std::string>& entries) const {
        return regenerateMenus(entries, folders, "tarvolin");
    }
    std::string mimeApps() const { return dir.read("config/mimeapps.list"); }
};

TEST(AddedAssociations, OfferedBehindTodaysDefaultAndTakenOutToTheByte) {
    Home home;
    ASSERT_TRUE(home.regenerate({"txt", "log", "iso"}).ok);
    // The editor goes in front where the program would otherwise come first; a type that no
    // program opens gets nothing, since the program would become its default.
    EXPECT_EQ(home.mimeApps(),
              "[Added Associations]\ntext/plain=edit.desktop;tarvolin.desktop;\n"
              "text/x-log=edit.desktop;tarvolin.desktop;\n");
    EXPECT_EQ(home.dir.read("data/applications/tarvolin.desktop").find("MimeType"),
              std::string::npos);
    ASSERT_TRUE(home.regenerate({"log"}).ok);
    EXPECT_EQ(home.mimeApps(), "[Added Associations]\ntext/x-log=edit.desktop;tarvolin.desktop;\n");
    ASSERT_TRUE(removeAllMenus(home.folders).ok);
    EXPECT_FALSE(home.dir.exists("config/mimeapps.list"));  // the program made it
    EXPECT_FALSE(home.dir.exists("state/tarvolin/added-associations.list"));

    // The user's own file: defaults and an empty group stay theirs; with a default for the
    // type itself the program only joins the end of the line.
    const std::string users =
        "[Default Applications]\ntext/plain=edit.desktop\n\n[Added Associations]\n"
        "text/plain=mine.desktop;\n# keep\n";
    home.dir.write("config/mimeapps.list", users);
    ASSERT_TRUE(home.regenerate({"txt", "log"}).ok);
    EXPECT_EQ(home.mimeApps(),
              "[Default Applications]\ntext/plain=edit.desktop\n\n[Added Associations]\n"
              "text/plain=mine.desktop;tarvolin.desktop;\n# keep\n"
              "text/x-log=edit.desktop;tarvolin.desktop;\n");
    ASSERT_TRUE(removeAllMenus(home.folders).ok);
    EXPECT_EQ(home.mimeApps(), users);
}

// What the user wrote is never taken for the program's: their own line naming the program
// stays through --unregister-all, and an item of ours they took out is not taken again.
TEST(AddedAssociations, TheUsersOwnItemsAreNeverTakenOut) {
    Home home;
    const std::string users = "[Added Associations]\ntext/plain=tarvolin.desktop;edit.desktop;\n";
    home.dir.write("config/mimeapps.list", users);
    ASSERT_TRUE(home.regenerate({"txt"}).ok);
    EXPECT_EQ(home.mimeApps(), users);
    ASSERT_TRUE(removeAllMenus(home.folders).ok);
    EXPECT_EQ(home.mimeApps(), users);

    home.dir.write("config/mimeapps.list", "");
    ASSERT_TRUE(home.regenerate({"log"}).ok);
    // The user moves the editor item to a line of their own making.
    home.dir.write("config/mimeapps.list",
                   "[Added Associations]\ntext/x-log=tarvolin.desktop;\nimage/png=edit.desktop;\n");
    ASSERT_TRUE(removeAllMenus(home.folders).ok);
    EXPECT_EQ(home.mimeApps(), "[Added Associations]\nimage/png=edit.desktop;\n");
}

// A cache an older version's entry went into (it listed types) no longer names the program.
TEST(AddedAssociations, TheUsersDesktopCacheNoLongerNamesTheProgram) {
    Home home;
    fs::ensureFolderPath(home.dir.file("data/applications"));
    home.dir.write("data/applications/mimeinfo.cache",
                   "[MIME Cache]\ntext/plain=tarvolin.desktop;mine.desktop;\n"
                   "text/x-log=tarvolin.desktop;\nimage/png=mine.desktop;\n");
    ASSERT_TRUE(home.regenerate({"txt"}).ok);
    EXPECT_EQ(home.dir.read("data/applications/mimeinfo.cache"),
              "[MIME Cache]\ntext/plain=mine.desktop;\nimage/png=mine.desktop;\n");
}

TEST(AddedAssociations, AFileThatCannotBeReadIsNamedAndLeftAlone) {
    Home home;
    fs::ensureFolderPath(home.dir.file("config/mimeapps.list"));  // a folder: unreadable
    const MenuUpdate update = home.regenerate({"txt"});
    EXPECT_FALSE(update.ok);
    EXPECT_EQ(update.failedPaths, std::vector<std::string>{home.dir.file("config/mimeapps.list")});
    EXPECT_TRUE(home.dir.exists("data/nemo/actions/tarvolin-txt.nemo_action"));
}

}  // namespace
}  // namespace tarvo::menus

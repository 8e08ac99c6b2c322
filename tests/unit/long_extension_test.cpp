// An extension too long to name the menus' files is refused at Add with a message that states
// the limit, and one just short enough names every file; a too-long entry in a list edited by
// hand is passed over instead of failing at every change.
#include <gtest/gtest.h>

#include <filesystem>

#include "doubles/fake_controls.h"
#include "doubles/fake_services.h"
#include "doubles/scoped_style.h"
#include "doubles/temp_folder.h"
#include "platform/filesystem.h"
#include "platform/linux/menu_registry.h"
#include "settings/associations.h"
#include "settings/linux_associations.h"

namespace tarvo::test {
namespace {

using Words = std::vector<std::string>;

std::string repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

// A user's home with one MIME type for the long extensions, so that Dolphin's menu is made too.
struct LongHome {
    explicit LongHome(const Words& typed) : style(dir.path()) {
        folders.dolphin = dir.file("data/kio/servicemenus");
        folders.nemo = dir.file("data/nemo/actions");
        folders.applications = dir.file("data/applications");
        folders.thunar = dir.file("config/Thunar");
        folders.mimeGlobs = {dir.file("globs2")};
        std::string globs;
        for (const auto& ext : typed) globs += "50:text/x-long:*." + ext + "\n";
        dir.write("globs2", globs);
    }
    std::size_t filesIn(const std::string& folder) const {
        std::size_t n = 0;
        if (std::filesystem::is_directory(folder))
            for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
                ++n;
        return n;
    }
    TempFolder dir;
    ScopedLinuxStyle style;
    menus::MenuFolders folders;
};

const std::string kLongest = repeat("a", 209);  // 209 characters of a file name
const std::string kTooLong = repeat("z", 210);
const std::string kLongestUnicode = repeat("\xC3\xA9", 34);  // "é" takes six: 204
const std::string kTooLongUnicode = repeat("\xC3\xA9", 35);  // 210

TEST(LongExtension, TheLongestUsableExtensionNamesEveryMenuAndTheNextIsRefused) {
    EXPECT_EQ(menus::kLongestStem, 209u);
    EXPECT_TRUE(menus::usableExtension(kLongest));
    EXPECT_TRUE(menus::usableExtension(kLongestUnicode));
    EXPECT_FALSE(menus::usableExtension(kTooLong));
    EXPECT_FALSE(menus::usableExtension(kTooLongUnicode));

    LongHome home({kLongest, kLongestUnicode});
    Words notices;
    menus::LinuxAssociations menus(home.dir.file("Settings.ini"), "tarvolin", home.folders,
                                   [&](const std::string& text, bool) { notices.push_back(text); });
    EXPECT_TRUE(menus.addExtension(kLongest));
    EXPECT_TRUE(menus.addExtension(kLongestUnicode));
    EXPECT_TRUE(notices.empty()) << notices[0];  // no menu file failed
    EXPECT_TRUE(home.dir.exists("data/kio/servicemenus/tarvolin-" + kLongest + ".desktop"));
    EXPECT_TRUE(home.dir.exists("data/nemo/actions/tarvolin-" + kLongest + ".nemo_action"));
    EXPECT_EQ(home.filesIn(home.folders.dolphin), 2u);
    EXPECT_EQ(home.filesIn(home.folders.nemo), 2u);

    EXPECT_FALSE(menus.addExtension(kTooLong));
    EXPECT_FALSE(menus.addExtension(kTooLongUnicode));
    EXPECT_EQ(home.filesIn(home.folders.nemo), 2u);
    EXPECT_TRUE(notices.empty());
}

TEST(LongExtension, AddRefusesItWithAMessageThatStatesTheLimit) {
    LongHome home({});
    menus::LinuxAssociations menus(home.dir.file("Settings.ini"), "tarvolin", home.folders, {});
    linux_desktop::MenuRegistry registry(menus);
    FakeHost host;
    FakeListBox items;
    const std::string settings = home.dir.file("Settings.ini");
    AssociationList list(items, registry, host, nullptr, home.dir.path(), settings);

    EXPECT_TRUE(list.add("sh"));
    for (const std::string& ext : {kTooLong, kTooLongUnicode}) {
        host.messages.clear();
        EXPECT_FALSE(list.add(ext));
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, menus::kTooLongExtensionMessage);
        EXPECT_NE(host.messages[0].text.find("209"), std::string::npos);
    }
    // Other unusable texts keep their own message.
    host.messages.clear();
    EXPECT_FALSE(list.add("a/b"));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, menus::kUnusableExtensionMessage);
    EXPECT_EQ(items.items_, Words{"sh"});
    EXPECT_EQ(readAssociationList(settings), Words{"sh"});
    EXPECT_EQ(home.filesIn(home.folders.nemo), 1u);
}

TEST(LongExtension, ATooLongEntryOfAHandEditedListIsPassedOverNotFailedAtEachChange) {
    LongHome home({kTooLong});
    const menus::MenuUpdate update =
        menus::regenerateMenus({"sh", kTooLong}, home.folders, "tarvolin");
    EXPECT_TRUE(update.ok);
    EXPECT_TRUE(update.failedPaths.empty());
    EXPECT_EQ(update.unusable, Words{kTooLong});
    EXPECT_EQ(home.filesIn(home.folders.nemo), 1u);
}

}  // namespace
}  // namespace tarvo::test

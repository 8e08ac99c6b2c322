// Tests of the file layer under the profile engine and of where the data files live.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "doubles/scoped_env.h"
#include "platform/filesystem.h"
#include "storage/data_location.h"
#include "storage/ini_handler.h"
#include "unit/storage_test_support.h"

namespace tarvo {
namespace {

using test::ScopedEnv;
using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

TEST(FileLayer, ReplaceWritesReadsAndKeepsPermissions) {
    TempFolder dir;
    const std::string file = dir.path() + "\\data.ini";  // a backslash reads as a slash
    std::string bytes = "stale";
    EXPECT_EQ(fs::readFile(file, bytes), fs::Result::NotFound);
    EXPECT_EQ(bytes, "");
    EXPECT_TRUE(fs::isMissingOrEmpty(file));

    EXPECT_EQ(fs::replaceFile(file, ""), fs::Result::Ok);
    EXPECT_TRUE(fs::isMissingOrEmpty(file));
    const std::string content("a\0b\r\n", 5);
    EXPECT_EQ(fs::replaceFile(file, content), fs::Result::Ok);
    EXPECT_FALSE(fs::isMissingOrEmpty(file));
    EXPECT_EQ(fs::readFile(file, bytes), fs::Result::Ok);
    EXPECT_EQ(bytes, content);

    ASSERT_EQ(::chmod(dir.file("data.ini").c_str(), 0640), 0);
    EXPECT_EQ(fs::replaceFile(file, "new"), fs::Result::Ok);
    struct stat info {};
    ASSERT_EQ(::stat(dir.file("data.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(dir.listing(), "data.ini;");
}

TEST(FileLayer, ARefusedReplaceLeavesTheTargetAndNoTemporary) {
    TempFolder dir;
    const std::string target = dir.file("sub");
    ASSERT_EQ(::mkdir(target.c_str(), 0700), 0);  // a rename cannot put a file over a folder
    EXPECT_NE(fs::replaceFile(target, "x"), fs::Result::Ok);
    EXPECT_EQ(fs::replaceFile(dir.file("missing/x.ini"), "x"), fs::Result::NotFound);
    EXPECT_EQ(dir.listing(), "sub;");
}

// A writer ended in the middle of a write leaves its temporary file; the next write of the
// same file removes it, and nothing else: not a running writer's, not our own, not another
// file's, not a name that only looks similar.
TEST(FileLayer, AWriteRemovesTheTemporariesOfEndedWritersOnly) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string ended = std::to_string(child);
    const std::string running = std::to_string(::getppid());
    const std::string self = std::to_string(::getpid());

    TempFolder dir;
    for (const std::string& name :
         {"data.ini.tmp" + ended + "-3", "data.ini.tmp" + ended + "-41",
          "data.ini.tmp" + running + "-1", "data.ini.tmp" + self + "-999999",
          "data.ini.tmp" + ended, "data.ini.tmp" + ended + "-3x", "data.ini.tmp-" + ended + "-3",
          "other.ini.tmp" + ended + "-3"})
        writeBytes(dir.file(name), "half");
    ASSERT_EQ(fs::replaceFile(dir.file("data.ini"), "new"), fs::Result::Ok);

    std::vector<std::string> kept{"data.ini",
                                  "data.ini.tmp" + running + "-1",
                                  "data.ini.tmp" + self + "-999999",
                                  "data.ini.tmp" + ended,
                                  "data.ini.tmp" + ended + "-3x",
                                  "data.ini.tmp-" + ended + "-3",
                                  "other.ini.tmp" + ended + "-3"};
    std::sort(kept.begin(), kept.end());
    std::string expected;
    for (const auto& name : kept) expected += name + ";";
    EXPECT_EQ(dir.listing(), expected);
}

// A data file kept in another folder through a symbolic link (a synchronised folder): a write
// replaces the linked file and keeps the link, with its temporary and lock files beside the
// real file; a link to a file not there yet gets that file. Both names of one file share one
// lock: a write by the real name waits for an edit opened through the link.
TEST(FileLayer, AWriteThroughALinkKeepsTheLinkAndUpdatesItsFile) {
    TempFolder program;
    TempFolder synced;
    writeBytes(synced.file("MRU.INI"), "[a]\r\n1=old\r\n");
    ASSERT_EQ(::symlink(synced.file("MRU.INI").c_str(), program.file("MRU.INI").c_str()), 0);
    const std::string syncedName = synced.path().substr(synced.path().rfind('/') + 1);
    ASSERT_EQ(::symlink(("../" + syncedName + "/Settings.ini").c_str(),
                        program.file("Settings.ini").c_str()),
              0);
    const auto isLink = [](const std::string& path) {
        struct stat info {};
        return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
    };

    std::string value = "new";
    INIHandler::WriteProfileString(program.path() + "\\MRU.INI", "a", "1", value);
    value = "txt";
    INIHandler::WriteProfileString(program.path() + "\\Settings.ini", "ASSOCIATION", "0", value);
    EXPECT_TRUE(isLink(program.file("MRU.INI")));
    EXPECT_TRUE(isLink(program.file("Settings.ini")));
    EXPECT_EQ(readBytes(synced.file("MRU.INI")), "[a]\r\n1=new\r\n");
    EXPECT_EQ(readBytes(synced.file("Settings.ini")), "[ASSOCIATION]\r\n0=txt\r\n");

    ProfileEdit edit(program.file("MRU.INI"));
    value = "parent";
    edit.WriteProfileString("a", "2", value);
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(30);
        std::string theirs = "child";
        INIHandler::WriteProfileString(synced.file("MRU.INI"), "a", "3", theirs);
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(readBytes(synced.file("MRU.INI")), "[a]\r\n1=new\r\n");  // the child waits
    EXPECT_TRUE(edit.commit());
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    EXPECT_EQ(readBytes(synced.file("MRU.INI")), "[a]\r\n1=new\r\n2=parent\r\n3=child\r\n");
    EXPECT_TRUE(isLink(program.file("MRU.INI")));
    EXPECT_EQ(program.listing(), "MRU.INI;Settings.ini;");
    EXPECT_EQ(synced.listing(), "MRU.INI;Settings.ini;");

    // A link another user made (in a folder others may write) is not followed: the write
    // replaces the link, and the file it leads to stays as it was.
    if (::geteuid() != 0) return;
    ASSERT_EQ(::lchown(program.file("Settings.ini").c_str(), 12345, 12345), 0);
    value = "log";
    INIHandler::WriteProfileString(program.path() + "\\Settings.ini", "ASSOCIATION", "0", value);
    EXPECT_FALSE(isLink(program.file("Settings.ini")));
    EXPECT_EQ(readBytes(program.file("Settings.ini")), "[ASSOCIATION]\r\n0=log\r\n");
    EXPECT_EQ(readBytes(synced.file("Settings.ini")), "[ASSOCIATION]\r\n0=txt\r\n");
}

TEST(FileLayer, FoldersAreCheckedAndCreatedOneLevelDeep) {
    TempFolder dir;
    EXPECT_TRUE(fs::isWritableFolder(dir.path()));
    EXPECT_FALSE(fs::isWritableFolder(dir.file("missing")));
    EXPECT_FALSE(fs::ensureFolder(dir.file("a\\b")));
    EXPECT_TRUE(fs::ensureFolder(dir.file("a")));
    EXPECT_TRUE(fs::ensureFolder(dir.file("a")));
    EXPECT_TRUE(fs::ensureFolder(dir.file("a\\b")));
    writeBytes(dir.file("plain"), "x");
    EXPECT_FALSE(fs::ensureFolder(dir.file("plain")));
    EXPECT_EQ(dir.listing(), "a;plain;");
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(dir.file("a").c_str(), 0555), 0);
        EXPECT_FALSE(fs::isWritableFolder(dir.file("a")));
    }
}

TEST(FileLayer, UserDataFolderFollowsTheXdgRules) {
    ScopedEnv home("HOME", "/home/someone/");
    {
        ScopedEnv xdg("XDG_DATA_HOME", "/data/here");
        EXPECT_EQ(fs::userDataFolder(), "/data/here");
    }
    ScopedEnv relative("XDG_DATA_HOME", "relative/ignored");
    EXPECT_EQ(fs::userDataFolder(), "/home/someone/.local/share");
}

TEST(DataLocation, TheProgramFolderWhileWritableElseTheUsersFolder) {
    TempFolder program;
    TempFolder home;
    ScopedEnv xdg("XDG_DATA_HOME", home.file("share"));  // not there yet: it is created

    EXPECT_EQ(dataFolder(program.path()), program.path());
    EXPECT_EQ(dataFile(program.path(), "MRU.INI"), program.path() + "\\MRU.INI");

    const std::string readOnly = program.file("missing-folder");
    EXPECT_EQ(dataFolder(readOnly), home.file("share") + "\\Tarvolin");
    EXPECT_EQ(dataFile(readOnly, "Settings.ini"), home.file("share") + "\\Tarvolin\\Settings.ini");
    EXPECT_TRUE(fs::isWritableFolder(home.file("share/Tarvolin")));

    // With nowhere better to go, the program folder is used and the writes fail there.
    writeBytes(home.file("blocked"), "a file, not a folder");
    ScopedEnv blocked("XDG_DATA_HOME", home.file("blocked"));
    EXPECT_EQ(dataFolder(readOnly), readOnly);
}

}  // namespace
}  // namespace tarvo

// Input no one should give the program, and what it does with it: command lines and paths far
// beyond the classic limits, text outside the legacy code page, damaged or refused data files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "app/startup.h"
#include "doubles/form1_rig.h"
#include "doubles/scoped_env.h"
#include "storage/data_location.h"
#include "storage/text_encoding.h"

namespace tarvo::test {
namespace {

// The target's record after one OK with text, read back by a fresh dialog.
struct Pressed {
    Pressed(const std::string& target, const std::string& text, const std::string& before = "") {
        if (!before.empty()) rig.setMru(before);
        rig.load(target);
        rig.cmbArg.setText(text);
        rig.dialog.CMD_OK_Click();
        again.host.folder = rig.temp.path();
        again.load(target);
    }
    const ShellRequest& launch() const { return rig.shell.requests.at(0); }
    Form1Rig rig;
    Form1Rig again;
};

TEST(BadInput, CommandLinesBeyondEveryClassicLimitReachTheDialogWhole) {
    for (const std::size_t length : {259u, 260u, 261u, 32'767u, 32'768u, 40'000u}) {
        std::string target = R"(C:\)";
        while (target.size() + 8 < length) target += R"(d\)";
        target.resize(length - 8, 'd');
        target += R"(\run.exe)";
        ASSERT_EQ(target.size(), length);
        const std::string args = commandLineArguments(R"("C:\Tarvo\Tarvo.exe" )" + target);
        ASSERT_EQ(args, target);

        Form1Rig rig;
        ASSERT_EQ(Form_Initialize(rig.dialog, rig.host, args, nullptr), StartMode::Dialog);
        EXPECT_EQ(rig.dialog.FILEName, "run.exe");
        EXPECT_EQ(rig.dialog.TargetFolder() + rig.dialog.FILEName, target);
        rig.cmbArg.setText("-x");
        rig.dialog.CMD_OK_Click();
        ASSERT_EQ(rig.shell.requests.size(), 1u);
        EXPECT_EQ(rig.shell.requests[0].file, target);
        EXPECT_EQ(rig.shell.requests[0].directory, target.substr(0, target.size() - 7));
        EXPECT_EQ(rig.mru(), "[run.exe]\r\n0=0\r\n1=-x\r\n");
    }
}

TEST(BadInput, AFortyThousandCharacterFileNameAndTextAreStoredAndLaunchedExactly) {
    const std::string name = std::string(40'000, 'n') + ".exe";
    const std::string text = std::string(20'000, 'a') + " " + std::string(20'000, 'b');
    Pressed run(R"(C:\x\)" + name, text);
    EXPECT_EQ(run.launch().file, R"(C:\x\)" + name);
    EXPECT_EQ(*run.launch().parameters, text);
    EXPECT_EQ(run.again.dialog.CheckEx, "0");
    EXPECT_EQ(run.again.dialog.History(1), text);
    EXPECT_EQ(run.again.cmbArg.listCount(), 1);

    // A target with no backslash at all is all file name.
    Pressed bare(name, "-v");
    EXPECT_EQ(bare.rig.dialog.TargetFolder(), "");
    EXPECT_EQ(bare.launch().file, name);
    EXPECT_EQ(bare.again.dialog.History(1), "-v");
}

TEST(BadInput, TextOutsideTheLegacyCodePageIsKeptAsWritten) {
    const std::string target = "C:\\\u30c4\u30fc\u30eb\\\u0434\u0430\u043d\u043d\u044b\u0435 \U0001F600.exe";
    const std::string text = "--\u540d\u524d=\u00e9t\u00e9 \U0001F4C1 \u202e";
    Pressed run(target, text);
    EXPECT_EQ(run.launch().file, target);
    EXPECT_EQ(*run.launch().parameters, text);
    EXPECT_EQ(run.rig.mru(),
              "[\u0434\u0430\u043d\u043d\u044b\u0435 \U0001F600.exe]\r\n0=0\r\n1=" + text + "\r\n");
    EXPECT_EQ(run.again.dialog.History(1), text);
    // Names differing only in Cyrillic letter case name one record.
    Form1Rig upper;
    upper.host.folder = run.rig.temp.path();
    upper.load("C:\\\u0414\u0410\u041d\u041d\u042b\u0415 \U0001F600.exe");
    EXPECT_EQ(upper.dialog.History(1), text);
}

TEST(BadInput, ADamagedHistoryFileIsReadAroundAndKeptOnWrite) {
    static const char kBytes[] = "\x00\x01[run.exe\r\r\n=\xff\xfe\x00=\n[\n;[run.exe]\n0=1";
    const std::string garbage(kBytes, sizeof kBytes - 1);
    Pressed run(R"(C:\t\run.exe)", "-y", garbage);
    EXPECT_EQ(run.rig.dialog.CheckEx, "5");  // no header line names run.exe
    // Not UTF-8, so taken for a file of an older version: every byte is still there, in
    // UTF-8, and the record follows it with the file's most frequent line end.
    EXPECT_EQ(run.rig.mru(), text::windows1252ToUtf8(garbage) + "\n[run.exe]\n0=0\n1=-y\n");
    EXPECT_EQ(run.again.dialog.History(1), "-y");
    EXPECT_EQ(run.again.dialog.CheckEx, "0");
}

TEST(BadInput, AHugeHistoryFileWithAnEndlessLineStillLoadsAndKeepsEveryByte) {
    // 6 MB of one line without an end, then a record.
    const std::string before = std::string(6 << 20, 'x') + "\r\n[run.exe]\r\n0=1\r\n1=old\r\n";
    Pressed run(R"(C:\t\run.exe)", "new", before);
    EXPECT_EQ(run.rig.dialog.History(1), "old");
    EXPECT_EQ(run.again.dialog.History(1), "new");
    EXPECT_EQ(run.again.dialog.History(2), "old");
    EXPECT_EQ(run.rig.mru().compare(0, 6 << 20, before, 0, 6 << 20), 0);
}

TEST(BadInput, AFolderNamedMruIniIsNeitherReadNorReplaced) {
    Form1Rig rig;
    std::filesystem::create_directory(rig.temp.file("MRU.INI"));
    rig.load(R"(C:\t\run.exe)");
    EXPECT_EQ(rig.dialog.CheckEx, "5");
    rig.cmbArg.setText("-z");
    rig.dialog.CMD_OK_Click();  // the write is lost in silence, as any refused write
    EXPECT_TRUE(std::filesystem::is_directory(rig.temp.file("MRU.INI")));
    EXPECT_EQ(rig.shell.requests.size(), 1u);
    EXPECT_EQ(rig.host.ended, 1);
}

// Makes a file or folder refuse changes, even to root (immutable flag), else by its mode.
class ReadOnly {
public:
    explicit ReadOnly(std::string path) : path_(std::move(path)) {
        const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
        int flags = 0;
        if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            immutable_ = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        if (fd >= 0) ::close(fd);
        if (!immutable_) ::chmod(path_.c_str(), 0555);
    }
    ~ReadOnly() {
        const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
        int flags = 0;
        if (immutable_ && fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        if (fd >= 0) ::close(fd);
        ::chmod(path_.c_str(), 0755);
    }
    // False when nothing could make the path refuse this process (root without the flag).
    bool refuses() const { return immutable_ || ::geteuid() != 0; }

private:
    std::string path_;
    bool immutable_ = false;
};

TEST(BadInput, AReadOnlyHistoryFileKeepsItsContentAndTheLaunchStillHappens) {
    Form1Rig rig;
    const std::string before = "[run.exe]\r\n0=1\r\n1=old\r\n";
    rig.setMru(before);
    ReadOnly locked(rig.temp.file("MRU.INI"));
    if (!locked.refuses()) GTEST_SKIP() << "nothing refuses root here";
    rig.load(R"(C:\t\run.exe)");
    rig.cmbArg.setText("new");
    rig.Check1.setValue(0);
    rig.dialog.CMD_OK_Click();
    EXPECT_EQ(rig.mru(), before);
    ASSERT_EQ(rig.shell.requests.size(), 1u);
    EXPECT_EQ(*rig.shell.requests[0].parameters, "new");
}

TEST(BadInput, AReadOnlyOrMissingProgramFolderSendsTheDataToTheUsersFolder) {
    TempFolder home;
    ScopedEnv xdg("XDG_DATA_HOME", home.path());
    const std::string users = home.path() + "\\Tarvolin";
    {
        Form1Rig rig;
        rig.host.folder = rig.temp.file("not there");
        rig.load(R"(C:\t\run.exe)");
        rig.cmbArg.setText("-m");
        rig.dialog.CMD_OK_Click();
        EXPECT_EQ(rig.dialog.HistoryFile(), users + "\\MRU.INI");
        EXPECT_EQ(home.read("Tarvolin/MRU.INI"), "[run.exe]\r\n0=0\r\n1=-m\r\n");
    }
    {
        Form1Rig rig;
        ReadOnly locked(rig.temp.path());
        if (!locked.refuses()) GTEST_SKIP() << "nothing refuses root here";
        rig.load(R"(C:\t\run.exe)");
        EXPECT_EQ(rig.dialog.History(1), "-m");  // the record the first run kept
        rig.cmbArg.setText("-r");
        rig.dialog.CMD_OK_Click();
        EXPECT_FALSE(rig.temp.exists("MRU.INI"));
        EXPECT_EQ(home.read("Tarvolin/MRU.INI"), "[run.exe]\r\n0=0\r\n1=-r\r\n2=-m\r\n");
    }
}

TEST(BadInput, ADataFolderDeeperThanTheClassicPathLimitWorks) {
    Form1Rig rig;
    std::string folder = rig.temp.path();
    while (folder.size() < 1'000) {
        folder += "/" + std::string(100, 'f');
        std::filesystem::create_directory(folder);
    }
    rig.host.folder = folder;
    rig.load(R"(C:\t\run.exe)");
    rig.cmbArg.setText("-deep");
    rig.dialog.CMD_OK_Click();
    EXPECT_EQ(rig.dialog.HistoryFile().size(), folder.size() + 8);
    Form1Rig again;
    again.host.folder = folder;
    again.load(R"(C:\t\run.exe)");
    EXPECT_EQ(again.dialog.History(1), "-deep");
}

}  // namespace
}  // namespace tarvo::test

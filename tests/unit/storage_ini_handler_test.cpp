// Tests of the profile operations on real files: the history record, exact values, files of
// older versions, failed and killed writes, and concurrent writers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "storage/ini_handler.h"
#include "unit/storage_test_support.h"

namespace tarvo {
namespace {

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

void write(const std::string& file, const std::string& section, const std::string& key,
           std::string value) {
    INIHandler::WriteProfileString(file, section, key, value);
}

// Runs body in a child process and returns its exit status (-1 when it did not exit).
int inChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(30);  // a child that hangs ends instead of holding up the whole run
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(IniHandler, TwoRunsOfNotepadGiveTheDocumentedRecord) {
    TempFolder dir;
    const std::string mru = dir.file("MRU.INI");
    write(mru, "notepad.exe", "0", "0");
    write(mru, "notepad.exe", "1", "a.txt");
    write(mru, "notepad.exe", "0", "0");
    write(mru, "notepad.exe", "1", "b.txt");
    write(mru, "notepad.exe", " 2", "a.txt");
    EXPECT_EQ(readBytes(mru), "[notepad.exe]\r\n0=0\r\n1=b.txt\r\n2=a.txt\r\n");
    EXPECT_EQ(INIHandler::ReadProfileString(mru, "notepad.exe", " 2", ""), "a.txt");
    EXPECT_EQ(INIHandler::ReadProfileString(mru, "NOTEPAD.EXE", "0", "5"), "0");
    EXPECT_EQ(INIHandler::ReadProfileString(mru, "calc.exe", "0", "5"), "5");
    EXPECT_EQ(INIHandler::ReadProfileString(mru, "notepad.exe", " 3", ""), "");
    EXPECT_EQ(INIHandler::ReadProfileString(dir.file("none.ini"), "s", "k", "dflt"), "dflt");
    EXPECT_EQ(dir.listing(), "MRU.INI;");  // no lock or temporary file left behind
}

TEST(IniHandler, ValuesComeBackWholeAndLineBreaksReachTheCallersText) {
    TempFolder dir;
    const std::string file = dir.file("MRU.INI");
    const std::string longText(300, 'v');
    for (const std::string& value : {longText, std::string("   "), std::string("-c "),
                                     std::string("\"C:\\My Files\\a.txt\"")}) {
        write(file, "t.exe", "1", value);
        EXPECT_EQ(INIHandler::ReadProfileString(file, "t.exe", "1", ""), value);
    }
    std::string value = "line one\r\nline two\n";
    INIHandler::WriteProfileString(file, "t.exe", "2", value);
    EXPECT_EQ(value, "line one  line two ");
    EXPECT_EQ(INIHandler::ReadProfileString(file, "t.exe", "2", ""), "line one  line two ");
}

TEST(IniHandler, DeletingAMissingSectionTouchesNothing) {
    TempFolder dir;
    const std::string missing = dir.file("MRU.INI");
    INIHandler::DeleteProfileSection(missing, "a.exe");
    EXPECT_EQ(dir.listing(), "");

    const std::string odd = std::string("\xEF\xBB\xBF[b.exe]\n1=x\r\n\0junk\r[c.exe]", 29);
    writeBytes(missing, odd);
    INIHandler::DeleteProfileSection(missing, "a.exe");
    std::string same = "x";
    INIHandler::WriteProfileString(missing, "b.exe", "1", same);
    EXPECT_EQ(readBytes(missing), odd);

    INIHandler::DeleteProfileSection(missing, " B.EXE ");
    EXPECT_EQ(readBytes(missing), "\xEF\xBB\xBF[c.exe]");
}

TEST(IniHandler, PathsOutsideTheLegacyCodePageWork) {
    TempFolder dir;
    const std::string folder = dir.file("caf\xC3\xA9 \xE6\x96\x87\xE4\xBB\xB6");  // "café 文件"
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::string file = folder + "\\MRU.INI";  // composed the way the program does
    write(file, "\xE6\x96\x87.exe", "1", "C:\\\xC3\xA9\\\xE6\x96\x87.txt");
    EXPECT_EQ(INIHandler::ReadProfileString(file, "\xE6\x96\x87.exe", "1", ""),
              "C:\\\xC3\xA9\\\xE6\x96\x87.txt");
    EXPECT_EQ(readBytes(folder + "/MRU.INI"),
              "[\xE6\x96\x87.exe]\r\n1=C:\\\xC3\xA9\\\xE6\x96\x87.txt\r\n");
}

TEST(IniHandler, AFileOfAnOlderVersionIsReadInTheLegacyCodePage) {
    TempFolder dir;
    const std::string file = dir.file("MRU.INI");
    writeBytes(file, "[r\xE9sum\xE9.exe]\r\n0=1\r\n1=\x93quoted\x94 \xA3\x35\r\n");
    EXPECT_EQ(INIHandler::ReadProfileString(file, "R\xC3\x89SUM\xC3\x89.EXE", "1", ""),
              "\xE2\x80\x9Cquoted\xE2\x80\x9D \xC2\xA3\x35");
    write(file, "r\xC3\xA9sum\xC3\xA9.exe", "0", "0");
    EXPECT_EQ(
        readBytes(file),
        "[r\xC3\xA9sum\xC3\xA9.exe]\r\n0=0\r\n1=\xE2\x80\x9Cquoted\xE2\x80\x9D \xC2\xA3\x35\r\n");
}

// The same operations through single calls and through one edit give the same bytes, from
// files of every kind the engine reads.
TEST(ProfileEdit, ManyWritesGiveTheSameBytesAsSingleCalls) {
    std::u16string utf16Text = u"[a]\r\n1=\u00E9\r\n";
    std::string utf16 = "\xFF\xFE";
    for (const char16_t unit : utf16Text) {
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    const std::vector<std::string> starts = {
        "",
        "[a]\n1=x\n\n[b]\n0=1\n1=y",
        "[A]\r\n1=\xE9t\xE9\r\n[b]\r\n1=z\r\n[a]\r\n9=dup\r\n",
        utf16,
        "[b]\r0=0\r",
    };
    auto apply = [](auto&& write, auto&& erase) {
        write("a", "0", "1");
        write("a", " 1", "new\r\nline");
        write("a", " 2", "x");
        erase("b");
        write("c", "0", "0");
        write("a", " 1", "new  line");  // unchanged by now
        write("b", "1", "back");
        erase("missing");
    };
    for (std::size_t i = 0; i < starts.size(); ++i) {
        SCOPED_TRACE(i);
        TempFolder dir;
        const std::string single = dir.file("single.ini");
        const std::string edited = dir.file("edited.ini");
        if (i > 0) {
            writeBytes(single, starts[i]);
            writeBytes(edited, starts[i]);
        }
        apply([&](const char* s, const char* k, const char* v) { write(single, s, k, v); },
              [&](const char* s) { INIHandler::DeleteProfileSection(single, s); });
        {
            ProfileEdit edit(edited);
            apply(
                [&](const char* s, const char* k, const char* v) {
                    std::string value = v;
                    edit.WriteProfileString(s, k, value);
                },
                [&](const char* s) { edit.DeleteProfileSection(s); });
            EXPECT_EQ(edit.ReadProfileString("A", "1", ""), "new  line");
            EXPECT_TRUE(edit.commit());
        }
        EXPECT_EQ(readBytes(edited), readBytes(single));
    }
}

TEST(ProfileEdit, WritesNothingWithoutCommitOrAfterIt) {
    TempFolder dir;
    const std::string file = dir.file("MRU.INI");
    {
        ProfileEdit edit(file);
        std::string v = "1";
        edit.WriteProfileString("s", "k", v);
    }
    EXPECT_EQ(dir.listing(), "");
    ProfileEdit edit(file);
    std::string v = "1";
    edit.WriteProfileString("s", "k", v);
    EXPECT_TRUE(edit.commit());
    v = "2";
    edit.WriteProfileString("s", "k", v);
    EXPECT_TRUE(edit.commit());
    EXPECT_EQ(readBytes(file), "[s]\r\nk=1\r\n");
}

constexpr const char* kOld = "[keep.exe]\r\n0=1\r\n1=old\r\n";

class InterruptedWrite : public ::testing::TestWithParam<fs::WriteStep> {};

fs::WriteStep gStopAt;

TEST_P(InterruptedWrite, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    TempFolder dir;
    const std::string file = dir.file("MRU.INI");
    writeBytes(file, kOld);
    gStopAt = GetParam();
    testing::ScopedWriteStepHook hook([](fs::WriteStep step) { return step != gStopAt; });
    ProfileEdit edit(file);
    std::string value = "new";
    edit.WriteProfileString("keep.exe", "1", value);
    EXPECT_FALSE(edit.commit());
    EXPECT_EQ(readBytes(file), kOld);
    EXPECT_EQ(dir.listing(), "MRU.INI;");
}

TEST_P(InterruptedWrite, AProcessKilledMidWriteLeavesTheOldFile) {
    TempFolder dir;
    const std::string file = dir.file("MRU.INI");
    writeBytes(file, kOld);
    gStopAt = GetParam();
    const int status = inChild([&] {
        fs::setWriteStepHook([](fs::WriteStep step) {
            if (step == gStopAt) ::_exit(7);
            return true;
        });
        write(file, "keep.exe", "1", "new");
        return 0;
    });
    EXPECT_EQ(status, 7);
    EXPECT_EQ(readBytes(file), kOld);
    // The next write, with its lock, goes through.
    write(file, "keep.exe", "1", "next");
    EXPECT_EQ(INIHandler::ReadProfileString(file, "keep.exe", "1", ""), "next");
}

INSTANTIATE_TEST_SUITE_P(EveryStepBeforeTheReplace, InterruptedWrite,
                         ::testing::Values(fs::WriteStep::TempOpened,
                                           fs::WriteStep::TempHalfWritten,
                                           fs::WriteStep::TempFlushed,
                                           fs::WriteStep::BeforeReplace));

TEST(IniHandlerRefused, AProcessKilledRightAfterTheReplaceLeavesTheNewFile) {
    TempFolder dir;
    const std::string file = dir.file("MRU.INI");
    writeBytes(file, kOld);
    const int status = inChild([&] {
        fs::setWriteStepHook([](fs::WriteStep step) {
            if (step == fs::WriteStep::AfterReplace) ::_exit(7);
            return true;
        });
        write(file, "keep.exe", "1", "new");
        return 0;
    });
    EXPECT_EQ(status, 7);
    EXPECT_EQ(readBytes(file), "[keep.exe]\r\n0=1\r\n1=new\r\n");
}

TEST(IniHandlerRefused, AReadOnlyFolderOrFileKeepsTheOldContent) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not refuse root";
    TempFolder dir;
    const std::string file = dir.file("MRU.INI");
    writeBytes(file, kOld);
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    write(file, "keep.exe", "1", "new");
    EXPECT_EQ(readBytes(file), kOld);

    ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    ProfileEdit edit(file);
    std::string value = "new";
    edit.WriteProfileString("keep.exe", "1", value);
    EXPECT_FALSE(edit.commit());
    EXPECT_EQ(readBytes(file), kOld);
}

TEST(IniHandlerRefused, AnUnreadableFileIsNeverOverwritten) {
    TempFolder dir;
    // A folder where the file should be cannot be read, and must not be replaced either.
    const std::string file = dir.file("MRU.INI");
    ASSERT_EQ(::mkdir(file.c_str(), 0700), 0);
    ProfileEdit edit(file);
    std::string value = "new";
    edit.WriteProfileString("keep.exe", "1", value);
    EXPECT_FALSE(edit.commit());
    EXPECT_EQ(dir.listing(), "MRU.INI;");
}

TEST(IniHandlerConcurrency, FourProcessesAppendingAtOnceLoseNothing) {
    TempFolder dir;
    const std::string file = dir.file("MRU.INI");
    constexpr int kWriters = 4;
    constexpr int kRecords = 200;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::alarm(60);
            for (int r = 0; r < kRecords; ++r) {
                const std::string n = std::to_string(w) + "-" + std::to_string(r);
                write(file, "w" + std::to_string(r % 3), n, "value " + n);
            }
            ::_exit(0);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ProfileSnapshot snapshot(file);
    int found = 0;
    for (int w = 0; w < kWriters; ++w) {
        for (int r = 0; r < kRecords; ++r) {
            const std::string n = std::to_string(w) + "-" + std::to_string(r);
            found += snapshot.ReadProfileString("w" + std::to_string(r % 3), n, "") == "value " + n;
        }
    }
    EXPECT_EQ(found, kWriters * kRecords);
    EXPECT_EQ(dir.listing(), "MRU.INI;");
}

TEST(IniHandlerConcurrency, AWriterWaitsForAnOpenEdit) {
    TempFolder dir;
    const std::string file = dir.file("MRU.INI");
    auto edit = std::make_unique<ProfileEdit>(file);
    std::string value = "mine";
    edit->WriteProfileString("s", "parent", value);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(30);
        write(file, "s", "child", "theirs");
        ::_exit(0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(testing::fileExists(file));  // the child is still waiting for the lock
    EXPECT_TRUE(edit->commit());
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_EQ(readBytes(file), "[s]\r\nparent=mine\r\nchild=theirs\r\n");
}

}  // namespace
}  // namespace tarvo

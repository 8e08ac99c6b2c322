// The Windows file layer's lock: writers of one file take one named mutex whatever spelling
// names the file, leave no lock file beside the data, and go on when a holder died. And where
// the data goes when the program folder cannot take it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

// After <windows.h>, whose WriteProfileString macro the engine's header takes back.
#include "win32_test_support.h"
#include "storage/data_location.h"
#include "storage/ini_handler.h"

#include <shlobj.h>

namespace tarvo::test {
namespace {

constexpr wchar_t kChildVariable[] = L"TARVO_FILE_LAYER_CHILD";

std::string listing(const WinTempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.file("")))
        names.push_back(win::narrow(entry.path().filename().wstring().c_str()));
    std::sort(names.begin(), names.end());
    std::string out;
    for (const auto& name : names) out += name + ";";
    return out;
}

// Starts this test program as a child that runs the named helper test with task in its
// environment.
HANDLE startChild(const char* helper, const std::string& task) {
    wchar_t self[MAX_PATH * 4];
    GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    SetEnvironmentVariableW(kChildVariable, win::widen(task).c_str());
    std::wstring command =
        L"\"" + std::wstring(self) + L"\" --gtest_filter=WineFileLock." + win::widen(helper);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        nullptr, &startup, &process);
    SetEnvironmentVariableW(kChildVariable, nullptr);
    if (!started) return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

std::string childTask() {
    wchar_t value[4096];
    const DWORD n = GetEnvironmentVariableW(kChildVariable, value, 4096);
    return n == 0 || n >= 4096 ? std::string() : win::narrow(value);
}

// Child: writes one key to the file it was given.
TEST(WineFileLock, ChildWrites) {
    const std::string file = childTask();
    if (file.empty()) GTEST_SKIP() << "runs only as a child";
    std::string value = "child";
    INIHandler::WriteProfileString(file, "s", "child", value);
}

// Child: opens an edit of the file, says so with a file "held" beside it, and dies holding
// the edit's lock a moment later.
TEST(WineFileLock, ChildDiesHoldingTheLock) {
    const std::string file = childTask();
    if (file.empty()) GTEST_SKIP() << "runs only as a child";
    ProfileEdit edit(file);
    std::string value = "lost";
    edit.WriteProfileString("s", "dead", value);
    const std::string held = file.substr(0, file.rfind('\\')) + "\\held";
    CloseHandle(CreateFileW(win::widen(held).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    Sleep(1000);
    ExitProcess(0);
}

TEST(WineFileLock, NoLockFileStaysBesideTheData) {
    WinTempFolder folder;
    // Left hidden by earlier versions; the next write takes it away.
    folder.write("Settings.ini.lock", "");
    SetFileAttributesW(folder.file("Settings.ini.lock").c_str(), FILE_ATTRIBUTE_HIDDEN);

    std::string value = "-x";
    INIHandler::WriteProfileString(folder.path() + "\\MRU.INI", "run.exe", "1", value);
    ProfileEdit edit(folder.path() + "\\Settings.ini");
    value = "txt";
    edit.WriteProfileString("ASSOCIATION", "0", value);
    EXPECT_TRUE(edit.commit());
    INIHandler::DeleteProfileSection(folder.path() + "\\MRU.INI", "run.exe");
    EXPECT_EQ(listing(folder), "MRU.INI;Settings.ini;");
}

// Another spelling of the same file (letter case, a "." step) waits for an open edit, so no
// write of one copy is lost to another's.
TEST(WineFileLock, EverySpellingOfOneFileTakesOneLock) {
    WinTempFolder folder;
    const std::string file = folder.path() + "\\MRU.INI";
    auto edit = std::make_unique<ProfileEdit>(file);
    std::string value = "parent";
    edit->WriteProfileString("s", "parent", value);
    std::string other = folder.path() + "\\.\\mru.ini";
    std::transform(other.begin(), other.end(), other.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    const HANDLE child = startChild("ChildWrites", other);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(WaitForSingleObject(child, 1500), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_FALSE(folder.exists("MRU.INI"));
    EXPECT_TRUE(edit->commit());
    EXPECT_EQ(WaitForSingleObject(child, 60'000), WAIT_OBJECT_0);
    CloseHandle(child);
    EXPECT_EQ(folder.read("MRU.INI"), "[s]\r\nparent=parent\r\nchild=child\r\n");
}

// A history kept in another folder through a symbolic link keeps its link on write (on
// Windows; Wine makes no links, and shows a link made on the host as the file itself).
TEST(WineFileLock, AWriteThroughALinkKeepsTheLink) {
    WinTempFolder program;
    WinTempFolder synced;
    synced.write("MRU.INI", "[a]\r\n1=old\r\n");
    // Wine 8 reports success and makes no link; Windows needs a privilege or developer mode.
    const auto isLink = [&] {
        const DWORD attributes = GetFileAttributesW(program.file("MRU.INI").c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    };
    CreateSymbolicLinkW(program.file("MRU.INI").c_str(), synced.file("MRU.INI").c_str(),
                        SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    if (!isLink()) GTEST_SKIP() << "symbolic links cannot be made here";
    std::string value = "new";
    INIHandler::WriteProfileString(program.path() + "\\MRU.INI", "a", "1", value);
    EXPECT_TRUE(isLink());
    EXPECT_EQ(synced.read("MRU.INI"), "[a]\r\n1=new\r\n");
    EXPECT_EQ(listing(program), "MRU.INI;");
    EXPECT_EQ(listing(synced), "MRU.INI;");
}

// A writer waiting when the holder dies takes the lock the system gave up for it.
TEST(WineFileLock, AWriterThatDiedHoldingTheLockHoldsUpNobody) {
    WinTempFolder folder;
    const std::string file = folder.path() + "\\MRU.INI";
    folder.write("MRU.INI", "[s]\r\nold=1\r\n");
    const HANDLE dying = startChild("ChildDiesHoldingTheLock", file);
    ASSERT_NE(dying, nullptr);
    for (int i = 0; i < 600 && !folder.exists("held"); ++i) Sleep(50);
    ASSERT_TRUE(folder.exists("held"));
    const HANDLE writer = startChild("ChildWrites", file);
    ASSERT_NE(writer, nullptr);

    EXPECT_EQ(WaitForSingleObject(dying, 60'000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(writer, 60'000), WAIT_OBJECT_0);
    CloseHandle(dying);
    CloseHandle(writer);
    EXPECT_EQ(folder.read("MRU.INI"), "[s]\r\nold=1\r\nchild=child\r\n");
    EXPECT_EQ(listing(folder), "MRU.INI;held;");
}

// Without a program folder to write in, MRU.INI and Settings.ini go to the user's
// application-data folder as the system names it, %APPDATA%\Tarvolin, made on first use;
// while the program folder can be written they stay beside the program.
TEST(WineDataLocation, WithoutAWritableProgramFolderTheDataGoesToAppData) {
    wchar_t appData[MAX_PATH] = {};
    ASSERT_TRUE(
        SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)));
    const std::wstring userFolder = std::wstring(appData) + L"\\Tarvolin";
    const bool existed = GetFileAttributesW(userFolder.c_str()) != INVALID_FILE_ATTRIBUTES;

    WinTempFolder program;
    const std::string missing = program.path() + "\\no such folder";
    EXPECT_EQ(dataFile(missing, "MRU.INI"), win::narrow(userFolder.c_str()) + "\\MRU.INI");
    EXPECT_EQ(dataFile(missing, "Settings.ini"),
              win::narrow(userFolder.c_str()) + "\\Settings.ini");
    const DWORD attributes = GetFileAttributesW(userFolder.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(dataFile(program.path(), "MRU.INI"), program.path() + "\\MRU.INI");

    if (!existed) RemoveDirectoryW(userFolder.c_str());
}

}  // namespace
}  // namespace tarvo::test

// End-to-end: files dropped on Tarvo.exe's running dialog, on the argument box and on the
// bare form, add the first dropped path to the typed text, which is what the target is then
// started with and what MRU.INI records.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "driver.h"
// clang-format off
#include <shlobj.h>  // DROPFILES
// clang-format on

namespace e2e {
namespace {

// Drop data as the file manager hands it over (a DROPFILES block with wide paths, in fixed
// global memory, whose handle is its address), placed in the receiving program's own memory:
// a drop handle means something only in the process it is posted to. The program lets the
// block go when it has read it, and the block ends with the process in any case.
void dropInto(HANDLE process, HWND target, const std::vector<std::wstring>& paths) {
    std::wstring list;
    for (const auto& p : paths) list += p + L'\0';
    list += L'\0';
    std::vector<char> block(sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* drop = reinterpret_cast<DROPFILES*>(block.data());
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::copy_n(reinterpret_cast<const char*>(list.data()), list.size() * sizeof(wchar_t),
                block.data() + sizeof(DROPFILES));

    void* remote =
        VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(remote, nullptr);
    EXPECT_TRUE(WriteProcessMemory(process, remote, block.data(), block.size(), nullptr));
    EXPECT_TRUE(PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0));
    settle(target);
}

// Waits until the window's text reads `want` (the drop is handled on the program's thread).
std::wstring waitForText(HWND window, const std::wstring& want) {
    std::wstring text;
    for (int i = 0; i < 200; ++i) {
        text = windowText(window);
        if (text == want) break;
        Sleep(25);
    }
    return text;
}

class DropE2E : public testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableW(L"TARVO_PROBE_LOG", nullptr);
        const std::wstring tarvo = builtProgram(L"Tarvo.exe", L"TARVO_EXE");
        ASSERT_TRUE(fileExists(tarvo)) << narrow(tarvo) << " has not been built";
        ASSERT_TRUE(CopyFileW(tarvo.c_str(), program.file(L"Tarvo.exe").c_str(), FALSE));
        ASSERT_TRUE(
            CopyFileW(builtProgram(L"probe.exe", L"TARVO_PROBE").c_str(), probe.c_str(), FALSE));
        for (const auto& f : dropped) ASSERT_TRUE(writeFile(f, "x"));
    }
    void TearDown() override {
        if (tarvo) tarvo.terminate();
        if (process) CloseHandle(process);
    }

    TempFolder program{L"Tarvo Program"};
    TempFolder probeFolder{L"Probe Dir \u00e9"};
    TempFolder files{L"Dropped \u00fc"};
    std::wstring probe = probeFolder.file(L"probe.exe");
    std::vector<std::wstring> dropped = {files.file(L"a b.txt"), files.file(L"c.txt"),
                                         files.file(L"d.txt")};
    Process tarvo;
    HANDLE process = nullptr;
};

TEST_F(DropE2E, DroppedPathsJoinTheTypedTextBareAndReachTheTarget) {
    tarvo = Process::start(program.file(L"Tarvo.exe"), probe, program.path());
    ASSERT_TRUE(tarvo);
    HWND dialog = waitForWindow(tarvo.pid(), 30s);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(bringToFront(dialog));
    HWND edit = focusOf(dialog);
    ASSERT_EQ(className(edit), L"Edit");
    HWND combo = GetParent(edit);
    process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, tarvo.pid());
    ASSERT_NE(process, nullptr);

    typeText(L"-c ");
    // Three files on the argument box: only the first is added, bare, blanks and all.
    dropInto(process, combo, dropped);
    const std::wstring afterFirst = L"-c " + dropped[0];
    EXPECT_EQ(waitForText(combo, afterFirst), afterFirst);

    // Setting the text puts the caret back at the start; the user goes to the end to type on.
    pressKey(VK_END);
    typeText(L" -v ");
    // Typed keys reach the program as input, which its thread takes after any posted message:
    // the drop waits until they are in the text.
    ASSERT_EQ(waitForText(combo, afterFirst + L" -v "), afterFirst + L" -v ");
    // On the bare form: the first of its list is added too.
    dropInto(process, dialog, {dropped[2], dropped[0], dropped[1]});
    const std::wstring all = afterFirst + L" -v " + dropped[2];
    EXPECT_EQ(waitForText(combo, all), all);

    pressKey(VK_RETURN);
    EXPECT_TRUE(tarvo.waitExit(15s).has_value()) << "Tarvo.exe did not end after Enter";

    const auto records = waitForProbeRecords(probeFolder.file(L"probe.log"), 1);
    ASSERT_EQ(records.size(), 1u) << "the probe was not launched once";
    EXPECT_EQ(records[0].args, narrow(all));  // no quotes around the dropped paths
    EXPECT_EQ(records[0].cmdline, narrow(L"\"" + probe + L"\" " + all));
    EXPECT_EQ(records[0].cwd, narrow(probeFolder.path()));
    EXPECT_EQ(readFile(program.file(L"MRU.INI")),
              "[probe.exe]\r\n0=0\r\n1=" + narrow(all) + "\r\n");
}

}  // namespace
}  // namespace e2e

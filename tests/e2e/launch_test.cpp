// End-to-end: Tarvo.exe started on a file the way the shell verb starts it, its dialog driven
// with real keyboard input, and what followed checked: what was launched, with which command
// line and in which folder, that the program ended, and what MRU.INI holds.
#include <gtest/gtest.h>

#include "driver.h"

namespace e2e {
namespace {

class TarvoLaunch : public testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableW(L"TARVO_PROBE_LOG", nullptr);
        std::wstring tarvo = builtProgram(L"Tarvo.exe", L"TARVO_EXE");
        ASSERT_TRUE(fileExists(tarvo)) << narrow(tarvo) << " has not been built";
        ASSERT_TRUE(CopyFileW(tarvo.c_str(), program.file(L"Tarvo.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileW(builtProgram(L"probe.exe", L"TARVO_PROBE").c_str(), probe.c_str(),
                              FALSE));
    }

    void TearDown() override {
        if (tarvo) tarvo.terminate();
        for (DWORD pid : leftOpen) endTree(pid);
    }

    // Starts Tarvo.exe on the target as the verb's command does ("Tarvo.exe" %1: the path
    // unquoted, blanks and all) from an unrelated folder, and waits for its dialog.
    HWND openDialog(const std::wstring& target) {
        tarvo = Process::start(program.file(L"Tarvo.exe"), target, elsewhere.path());
        if (!tarvo) return nullptr;
        HWND dialog = waitForWindow(tarvo.pid(), 30s);
        EXPECT_NE(dialog, nullptr) << "no dialog window appeared";
        if (!dialog) return nullptr;
        EXPECT_TRUE(bringToFront(dialog));
        HWND focus = focusOf(dialog);
        EXPECT_EQ(className(focus), L"Edit") << "the argument box should have the focus";
        EXPECT_EQ(className(GetParent(focus)), L"ComboBox");
        return dialog;
    }

    // The program must end by itself after OK or Esc.
    void expectEnded() {
        EXPECT_TRUE(tarvo.waitExit(15s).has_value()) << "Tarvo.exe did not end";
    }

    std::vector<ProbeRecord> probeRecords(size_t atLeast) {
        return waitForProbeRecords(probeFolder.file(L"probe.log"), atLeast);
    }

    // Checks one launch of the probe: started by its quoted path with exactly the typed
    // argument text, in its own folder.
    void expectLaunched(const ProbeRecord& record, const std::wstring& typed) {
        EXPECT_EQ(record.args, narrow(typed));
        EXPECT_EQ(record.cmdline, narrow(L"\"" + probe + L"\" " + typed));
        EXPECT_EQ(record.cwd, narrow(probeFolder.path()));
    }

    std::optional<std::string> mru() { return readFile(program.file(L"MRU.INI")); }

    // Runs the dialog once: type, optionally tick "&CMD" with Alt+C, press Enter.
    void runOnce(const std::wstring& typed, bool throughInterpreter = false) {
        HWND dialog = openDialog(probe);
        ASSERT_NE(dialog, nullptr);
        typeText(typed);
        // Alt+C moves the focus to the check box, so it comes after the typing; Enter still
        // presses the default button.
        if (throughInterpreter) pressWithAlt('C');
        pressKey(VK_RETURN);
        expectEnded();
    }

    TempFolder program{L"Tarvo Program"};
    TempFolder probeFolder{L"Probe Dir \u00e9"};
    TempFolder elsewhere{L"Elsewhere"};
    std::wstring probe = probeFolder.file(L"probe.exe");
    Process tarvo;
    std::vector<DWORD> leftOpen;
};

TEST_F(TarvoLaunch, EnterRunsTargetWithTypedArgumentsInItsFolderAndRecordsThem) {
    std::wstring typed = L"-v \"a b\" c";
    runOnce(typed);

    auto records = probeRecords(1);
    ASSERT_EQ(records.size(), 1u) << "the probe was not launched once";
    expectLaunched(records[0], typed);
    EXPECT_EQ(mru(), "[probe.exe]\r\n0=0\r\n1=-v \"a b\" c\r\n");
}

TEST_F(TarvoLaunch, HistoryKeepsTheNewestArgumentFirst) {
    runOnce(L"a.txt");
    runOnce(L"b.txt");

    auto records = probeRecords(2);
    ASSERT_EQ(records.size(), 2u);
    expectLaunched(records[0], L"a.txt");
    expectLaunched(records[1], L"b.txt");
    EXPECT_EQ(mru(), "[probe.exe]\r\n0=0\r\n1=b.txt\r\n2=a.txt\r\n");
}

// With "-v" in the history, typing "-V" completes to "-v" only in letters not yet typed:
// the capital stays, and "-V" is what runs and what is recorded.
TEST_F(TarvoLaunch, ATypedCapitalIsKeptAgainstTheHistoryAndRuns) {
    runOnce(L"-v");
    runOnce(L"-V");

    auto records = probeRecords(2);
    ASSERT_EQ(records.size(), 2u);
    expectLaunched(records[1], L"-V");
    EXPECT_EQ(mru(), "[probe.exe]\r\n0=0\r\n1=-V\r\n2=-v\r\n");
}

TEST_F(TarvoLaunch, NonAsciiArgumentReachesTargetAndHistoryUnchanged) {
    std::wstring typed = L"\u00fcber \"caf\u00e9 \u20ac\"";
    runOnce(typed);

    auto records = probeRecords(1);
    ASSERT_EQ(records.size(), 1u);
    expectLaunched(records[0], typed);
    EXPECT_EQ(mru(), "[probe.exe]\r\n0=0\r\n1=" + narrow(typed) + "\r\n");
}

TEST_F(TarvoLaunch, CmdOptionRunsTargetThroughInterpreterThatStaysOpen) {
    std::wstring typed = L"-v \"a b\" c";
    runOnce(typed, /*throughInterpreter=*/true);

    auto records = probeRecords(1);
    ASSERT_EQ(records.size(), 1u) << "the interpreter did not run the probe";
    EXPECT_EQ(records[0].args, narrow(typed));
    EXPECT_EQ(records[0].cwd, narrow(probeFolder.path()));
    DWORD interpreter = records[0].ppid;
    leftOpen.push_back(interpreter);
    EXPECT_EQ(_wcsicmp(processName(interpreter).c_str(), L"cmd.exe"), 0)
        << "the probe's parent is " << narrow(processName(interpreter)) << ", not a running cmd.exe";
    EXPECT_EQ(mru(), "[probe.exe]\r\n0=1\r\n1=-v \"a b\" c\r\n");
}

// Started without a file, "Run a File Now..." picks the probe in the real open-file dialog;
// the settings window goes, the dialog comes for the pick, and Enter launches it.
TEST_F(TarvoLaunch, RunAFileNowFromTheSettingsWindowLaunchesThePick) {
    tarvo = Process::start(program.file(L"Tarvo.exe"), L"", elsewhere.path());
    ASSERT_TRUE(tarvo);
    HWND settings = waitForWindow(tarvo.pid(), 30s);
    ASSERT_NE(settings, nullptr) << "no settings window appeared";
    ASSERT_TRUE(bringToFront(settings));
    pressWithAlt('N');

    HWND picker =
        waitForWindowOf(tarvo.pid(), [](HWND w) { return windowText(w) == L"Browse Files..."; });
    ASSERT_NE(picker, nullptr) << "the open-file dialog did not appear";
    SetDlgItemTextW(picker, 0x47C, probe.c_str());
    PostMessageW(picker, WM_COMMAND, IDOK, 0);

    HWND dialog = waitForWindowOf(
        tarvo.pid(), [](HWND w) { return findChildByText(w, L"probe.exe:") != nullptr; });
    ASSERT_NE(dialog, nullptr) << "the dialog did not come for the picked file";
    EXPECT_FALSE(IsWindow(settings) && IsWindowVisible(settings)) << "the settings window stayed";
    ASSERT_TRUE(bringToFront(dialog));
    typeText(L"-n now");
    pressKey(VK_RETURN);
    expectEnded();

    auto records = probeRecords(1);
    ASSERT_EQ(records.size(), 1u) << "the picked file was not launched";
    expectLaunched(records[0], L"-n now");
    EXPECT_EQ(mru(), "[probe.exe]\r\n0=0\r\n1=-n now\r\n");
}

// "Send to", "Open with" and a drop on Tarvo.exe hand over a path with blanks in double quotes:
// the dialog names the file inside them and launches it.
TEST_F(TarvoLaunch, AQuotedPathStartsTheFileInside) {
    HWND dialog = openDialog(L"\"" + probe + L"\"");
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(findChildByText(dialog, L"probe.exe:"), nullptr) << "the label names another file";
    typeText(L"-q");
    pressKey(VK_RETURN);
    expectEnded();

    auto records = probeRecords(1);
    ASSERT_EQ(records.size(), 1u) << "the quoted file was not launched";
    expectLaunched(records[0], L"-q");
    EXPECT_EQ(mru(), "[probe.exe]\r\n0=0\r\n1=-q\r\n");
}

// After "Add Files..." picks a file in the real open-file dialog, the keyboard is back in the
// argument box: what the user types next goes on the text (no letter is taken as an access key,
// "o" would press OK), and Enter launches with it all.
TEST_F(TarvoLaunch, AfterAddFilesTypingGoesOnInTheArgumentBox) {
    ASSERT_TRUE(writeFile(probeFolder.file(L"data file.txt"), "x"));
    HWND dialog = openDialog(probe);
    ASSERT_NE(dialog, nullptr);
    typeText(L"-i ");
    for (int i = 0; i < 4; ++i) pressKey(VK_TAB);  // to "&Browse..."
    pressKey(VK_SPACE);
    HWND menu = waitForWindowOf(tarvo.pid(), [](HWND w) { return className(w) == L"#32768"; });
    ASSERT_NE(menu, nullptr) << "the Browse menu did not appear";
    pressKey(VK_DOWN);  // "Add Files..."
    pressKey(VK_RETURN);
    HWND picker =
        waitForWindowOf(tarvo.pid(), [](HWND w) { return windowText(w) == L"Browse Files..."; });
    ASSERT_NE(picker, nullptr) << "the open-file dialog did not appear";
    SetDlgItemTextW(picker, 0x47C, probeFolder.file(L"data file.txt").c_str());
    PostMessageW(picker, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 250 && IsWindow(picker); ++i) Sleep(20);
    settle(dialog);

    HWND focus = focusOf(dialog);
    EXPECT_EQ(className(focus), L"Edit") << "the keyboard stayed on " << narrow(windowText(focus));
    ASSERT_TRUE(bringToFront(dialog));
    typeText(L" -o out");
    pressKey(VK_RETURN);
    expectEnded();

    auto records = probeRecords(1);
    ASSERT_EQ(records.size(), 1u);
    expectLaunched(records[0], L"-i data file.txt -o out");
}

// A launch the system refuses (the file is gone) is told in a message box titled "Tarvolin"
// with the file and the system's reason; the history is already recorded, and the program ends
// once the message is closed.
TEST_F(TarvoLaunch, ARefusedLaunchIsToldBeforeTheProgramEnds) {
    const std::wstring gone = probeFolder.file(L"gone.exe");
    HWND dialog = openDialog(gone);
    ASSERT_NE(dialog, nullptr);
    typeText(L"x");
    pressKey(VK_RETURN);

    std::wstring shown;
    HWND box = waitForWindowOf(tarvo.pid(), [&](HWND w) {
        if (w == dialog || windowText(w) != L"Tarvolin") return false;
        HWND child = nullptr;
        while ((child = FindWindowExW(w, child, L"Static", nullptr)) != nullptr) {
            const std::wstring text = windowText(child);
            if (text.rfind(gone, 0) == 0) {
                shown = text;
                return true;
            }
        }
        return false;
    });
    ASSERT_NE(box, nullptr) << "no message for the refused launch";
    wchar_t reason[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   ERROR_FILE_NOT_FOUND, 0, reason, 512, nullptr);
    std::wstring expected = gone + L"\r\n\r\n" + reason;
    while (!expected.empty() && (expected.back() == L'\n' || expected.back() == L'\r' ||
                                 expected.back() == L' '))
        expected.pop_back();
    EXPECT_EQ(narrow(shown), narrow(expected));
    EXPECT_FALSE(tarvo.waitExit(300ms).has_value()) << "the program ended under its message";
    EXPECT_EQ(mru(), "[gone.exe]\r\n0=0\r\n1=x\r\n");

    ASSERT_TRUE(bringToFront(box));
    pressKey(VK_RETURN);
    expectEnded();
}

TEST_F(TarvoLaunch, EscClosesWithoutLaunchingOrWriting) {
    HWND dialog = openDialog(probe);
    ASSERT_NE(dialog, nullptr);
    typeText(L"never run");
    pressKey(VK_ESCAPE);
    expectEnded();

    Sleep(500);  // a launch, had there been one, would have logged by now
    EXPECT_FALSE(fileExists(probeFolder.file(L"probe.log")));
    EXPECT_FALSE(fileExists(program.file(L"MRU.INI")));
}

// A document type of the test's own whose "open" and "runas" verbs both start the probe,
// each with its verb's name first, so that a launch shows which verb the shell was asked for.
class ProbeDocumentType {
public:
    explicit ProbeDocumentType(const std::wstring& probe) {
        set(L".tarvorun", L"TarvoTest.Run");
        for (const wchar_t* verb : {L"open", L"runas"})
            set(std::wstring(L"TarvoTest.Run\\shell\\") + verb + L"\\command",
                L"\"" + probe + L"\" " + verb + L" \"%1\" %*");
    }
    ~ProbeDocumentType() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"TarvoTest.Run");
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L".tarvorun");
    }

private:
    static void set(const std::wstring& key, const std::wstring& value) {
        RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
};

// Ctrl+Shift+Enter asks the shell for the "runas" verb, with the typed text, in the file's
// folder, and records the history as Enter does.
TEST_F(TarvoLaunch, CtrlShiftEnterRunsTheTargetThroughRunas) {
    const ProbeDocumentType type(probe);
    const std::wstring document = probeFolder.file(L"job.tarvorun");
    ASSERT_TRUE(writeFile(document, "x"));
    HWND dialog = openDialog(document);
    ASSERT_NE(dialog, nullptr);
    typeText(L"-e");
    pressWithModifiers({VK_CONTROL, VK_SHIFT}, VK_RETURN);
    expectEnded();

    auto records = probeRecords(1);
    ASSERT_EQ(records.size(), 1u) << "the probe was not launched";
    EXPECT_EQ(records[0].args, "runas \"" + narrow(document) + "\" -e");
    EXPECT_EQ(records[0].cwd, narrow(probeFolder.path()));
    EXPECT_EQ(mru(), "[job.tarvorun]\r\n0=0\r\n1=-e\r\n");
}

// With "&CMD" the interpreter runs a file whose folder's name holds characters it would
// otherwise expand or split at, with the typed text, in that folder.
TEST_F(TarvoLaunch, CmdOptionTakesFolderNamesLiterally) {
    for (const std::wstring name : {L"x%OS%y", L"a!b!c", L"R&D", L"a^b"}) {
        SCOPED_TRACE(narrow(name));
        const std::wstring folder = probeFolder.file(name);
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        const std::wstring target = folder + L"\\probe.exe";
        ASSERT_TRUE(CopyFileW(probe.c_str(), target.c_str(), FALSE));

        HWND dialog = openDialog(target);
        ASSERT_NE(dialog, nullptr);
        typeText(L"-v 1");
        pressWithAlt('C');
        pressKey(VK_RETURN);
        expectEnded();

        auto records = waitForProbeRecords(folder + L"\\probe.log", 1);
        ASSERT_EQ(records.size(), 1u) << "the interpreter did not run the probe";
        EXPECT_EQ(records[0].args, "-v 1");
        EXPECT_EQ(records[0].cwd, narrow(folder));
        leftOpen.push_back(records[0].ppid);
    }
}

}  // namespace
}  // namespace e2e

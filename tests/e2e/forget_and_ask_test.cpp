// End-to-end: Tarvo.exe on the real dialog with real keys. Shift+Delete on an entry of the
// dropped-down history list forgets it in the list and in MRU.INI; OK on a document whose type
// cannot pass arguments on asks first, and a type that can is run without a question.
#include <gtest/gtest.h>

#include <functional>

#include "driver.h"

namespace e2e {
namespace {

constexpr wchar_t kQuestionTail[] = L", which passes no arguments on. Run it anyway?";

// A key with modifiers held, through SendInput like the driver's own keys.
void pressWith(std::initializer_list<WORD> modifiers, WORD vk, bool extended = false) {
    auto key = [](WORD code, DWORD flags) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = code;
        in.ki.dwFlags = flags;
        return in;
    };
    const DWORD ext = extended ? KEYEVENTF_EXTENDEDKEY : 0;
    std::vector<INPUT> inputs;
    for (WORD m : modifiers) inputs.push_back(key(m, 0));
    inputs.push_back(key(vk, ext));
    inputs.push_back(key(vk, ext | KEYEVENTF_KEYUP));
    for (WORD m : modifiers) inputs.push_back(key(m, KEYEVENTF_KEYUP));
    ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)),
              inputs.size());
    settle(GetForegroundWindow());
}

// Keys are queued input that the program takes in its own time: checks of what they did wait
// for it.
bool eventually(const std::function<bool()>& holds) {
    for (int i = 0; i < 200; ++i) {
        if (holds()) return true;
        Sleep(25);
    }
    return false;
}

LRESULT ask(HWND box, UINT msg) {
    return SendMessageW(box, msg, 0, 0);
}

// A document type registered under HKEY_CLASSES_ROOT for the test's life.
class DocumentType {
public:
    DocumentType(const std::wstring& ext, const std::wstring& command)
        : ext_(ext), type_(L"TarvoTest" + ext.substr(1)) {
        EXPECT_TRUE(setDefault(ext_, type_));
        EXPECT_TRUE(setDefault(type_ + L"\\shell\\open\\command", command));
    }
    ~DocumentType() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, ext_.c_str());
        RegDeleteTreeW(HKEY_CLASSES_ROOT, type_.c_str());
    }

private:
    static bool setDefault(const std::wstring& key, const std::wstring& value) {
        HKEY h = nullptr;
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &h, nullptr) != ERROR_SUCCESS)
            return false;
        const LONG r =
            RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(h);
        return r == ERROR_SUCCESS;
    }
    std::wstring ext_, type_;
};

class ForgetAndAsk : public testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableW(L"TARVO_PROBE_LOG", nullptr);
        const std::wstring tarvo = builtProgram(L"Tarvo.exe", L"TARVO_EXE");
        ASSERT_TRUE(fileExists(tarvo)) << narrow(tarvo) << " has not been built";
        ASSERT_TRUE(CopyFileW(tarvo.c_str(), program.file(L"Tarvo.exe").c_str(), FALSE));
        ASSERT_TRUE(
            CopyFileW(builtProgram(L"probe.exe", L"TARVO_PROBE").c_str(), probe.c_str(), FALSE));
    }
    void TearDown() override {
        if (tarvo) tarvo.terminate();
    }

    HWND openDialog(const std::wstring& target) {
        tarvo = Process::start(program.file(L"Tarvo.exe"), target, program.path());
        if (!tarvo) return nullptr;
        HWND dialog = waitForWindow(tarvo.pid(), 30s);
        EXPECT_NE(dialog, nullptr) << "no dialog window appeared";
        if (dialog) {
            EXPECT_TRUE(bringToFront(dialog));
        }
        return dialog;
    }
    HWND argumentBox(HWND dialog) { return GetParent(focusOf(dialog)); }
    std::optional<std::string> mru() { return readFile(program.file(L"MRU.INI")); }
    std::wstring probeLog() { return folder.file(L"probe.log"); }

    // The question box over the dialog, once it is up.
    HWND waitForQuestion(const std::wstring& fileName, const std::wstring& command) {
        const std::wstring text = fileName + L" files are opened by " + command + kQuestionTail;
        return waitForWindowOf(
            tarvo.pid(), [&](HWND w) { return findChildByText(w, text) != nullptr; }, 10s);
    }

    TempFolder program{L"Tarvo Program"};
    TempFolder folder{L"Docs Dir"};
    std::wstring probe = folder.file(L"probe.exe");
    Process tarvo;
};

TEST_F(ForgetAndAsk, ShiftDeleteForgetsTheHighlightedEntryOfTheDroppedList) {
    ASSERT_TRUE(writeFile(program.file(L"MRU.INI"),
                          "[other.exe]\r\n0=1\r\n1=x\r\n"
                          "[probe.exe]\r\n0=0\r\n1=first\r\n2=second\r\n3=third\r\n"));
    HWND dialog = openDialog(probe);
    ASSERT_NE(dialog, nullptr);
    HWND box = argumentBox(dialog);
    ASSERT_EQ(className(box), L"ComboBox");

    pressKey(VK_F4);  // drops the list down
    ASSERT_TRUE(eventually([&] { return ask(box, CB_GETDROPPEDSTATE) != 0; }))
        << "the list did not drop down";
    pressKey(VK_DOWN);
    pressKey(VK_DOWN);
    ASSERT_TRUE(eventually([&] { return ask(box, CB_GETCURSEL) == 1; }));
    EXPECT_EQ(windowText(box), L"second");

    pressWith({VK_SHIFT}, VK_DELETE, true);
    EXPECT_TRUE(eventually([&] { return ask(box, CB_GETCOUNT) == 2; }));
    EXPECT_TRUE(ask(box, CB_GETDROPPEDSTATE)) << "the list should stay down";
    EXPECT_EQ(ask(box, CB_GETCURSEL), 1);
    EXPECT_EQ(windowText(box), L"third");
    EXPECT_EQ(mru(), "[other.exe]\r\n0=1\r\n1=x\r\n[probe.exe]\r\n0=0\r\n1=first\r\n2=third\r\n");

    // Closed list: Delete is the edit field's own key again and forgets nothing.
    pressKey(VK_F4);
    ASSERT_TRUE(eventually([&] { return ask(box, CB_GETDROPPEDSTATE) == 0; }));
    pressKey(VK_DELETE);
    EXPECT_TRUE(eventually([&] { return windowText(box).empty(); }));
    EXPECT_EQ(ask(box, CB_GETCOUNT), 2);

    typeText(L"new");
    pressKey(VK_RETURN);
    EXPECT_TRUE(tarvo.waitExit(15s).has_value()) << "Tarvo.exe did not end";
    const auto records = waitForProbeRecords(folder.file(L"probe.log"), 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].args, "new");
    EXPECT_EQ(mru(),
              "[other.exe]\r\n0=1\r\n1=x\r\n"
              "[probe.exe]\r\n0=0\r\n1=new\r\n2=first\r\n3=third\r\n");
}

TEST_F(ForgetAndAsk, ADocumentWhoseCommandDropsArgumentsIsRunOnlyWhenTheUserAgrees) {
    const std::wstring command = L"\"" + probe + L"\" \"%1\"";
    DocumentType type(L".tvqa", command);
    const std::wstring doc = folder.file(L"notes.tvqa");
    ASSERT_TRUE(writeFile(doc, "text"));
    SetEnvironmentVariableW(L"TARVO_PROBE_LOG", probeLog().c_str());

    HWND dialog = openDialog(doc);
    ASSERT_NE(dialog, nullptr);
    HWND box = argumentBox(dialog);
    typeText(L"-v x");
    pressKey(VK_RETURN);
    HWND question = waitForQuestion(L"notes.tvqa", command);
    ASSERT_NE(question, nullptr) << "no question about the lost arguments";
    PostMessageW(question, WM_COMMAND, IDNO, 0);

    // No: the dialog is back with its text; nothing was written or launched.
    ASSERT_TRUE(answers(dialog));
    Sleep(500);
    EXPECT_FALSE(tarvo.waitExit(0ms).has_value()) << "Tarvo.exe ended after No";
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(windowText(box), L"-v x");
    EXPECT_FALSE(fileExists(probeLog()));
    EXPECT_FALSE(fileExists(program.file(L"MRU.INI")));

    ASSERT_TRUE(bringToFront(dialog));
    pressKey(VK_RETURN);
    question = waitForQuestion(L"notes.tvqa", command);
    ASSERT_NE(question, nullptr) << "no question the second time";
    PostMessageW(question, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(tarvo.waitExit(15s).has_value()) << "Tarvo.exe did not end after Yes";
    const auto records = waitForProbeRecords(probeLog(), 1);
    ASSERT_EQ(records.size(), 1u) << "the document was not opened";
    EXPECT_EQ(records[0].args, "\"" + narrow(doc) + "\"");
    EXPECT_EQ(mru(), "[notes.tvqa]\r\n0=0\r\n1=-v x\r\n");
}

TEST_F(ForgetAndAsk, ADocumentWhoseCommandTakesArgumentsRunsWithoutAQuestion) {
    DocumentType type(L".tvqb", L"\"" + probe + L"\" \"%1\" %*");
    const std::wstring doc = folder.file(L"notes.tvqb");
    ASSERT_TRUE(writeFile(doc, "text"));
    SetEnvironmentVariableW(L"TARVO_PROBE_LOG", probeLog().c_str());

    HWND dialog = openDialog(doc);
    ASSERT_NE(dialog, nullptr);
    typeText(L"-v x");
    pressKey(VK_RETURN);
    EXPECT_TRUE(tarvo.waitExit(15s).has_value()) << "Tarvo.exe did not end";
    const auto records = waitForProbeRecords(probeLog(), 1);
    ASSERT_EQ(records.size(), 1u) << "the document was not opened";
    EXPECT_EQ(records[0].args, "\"" + narrow(doc) + "\" -v x");
    EXPECT_EQ(records[0].cwd, narrow(folder.path()));
    EXPECT_EQ(mru(), "[notes.tvqb]\r\n0=0\r\n1=-v x\r\n");
}

}  // namespace
}  // namespace e2e

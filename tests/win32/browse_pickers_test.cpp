// The Browse menu of the argument dialog with the real open-file dialog and folder picker,
// chosen from the real pop-up menu and answered from another thread as a user would.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "doubles/fake_services.h"
#include "frontend/win32/form1_window.h"
#include "frontend/win32/pickers_win32.h"
#include "frontend/win32/win_controls.h"
#include "platform/win32/win_text.h"
#include "win32/win32_test_support.h"

// clang-format off
#include <windows.h>
#include <shlobj.h>
// clang-format on

namespace tarvo::test {
namespace {

using namespace std::chrono_literals;

// Another thread that waits for each window in turn and acts on it, while the test's thread
// sits in the menu's or the picker's modal loop.
class User {
public:
    using Find = std::function<HWND()>;
    using Act = std::function<void(HWND)>;

    explicit User(std::vector<std::pair<Find, Act>> steps)
        : steps_(std::move(steps)), thread_([this] { run(); }) {}
    ~User() {
        stop_ = true;
        thread_.join();
    }
    User(const User&) = delete;
    User& operator=(const User&) = delete;

    // How many steps found their window and acted.
    int done() const { return done_; }

private:
    void run() {
        for (auto& [find, act] : steps_) {
            HWND w = nullptr;
            for (int i = 0; i < 600 && !stop_ && !w; ++i) {
                w = find();
                if (!w) std::this_thread::sleep_for(25ms);
            }
            if (!w) return;
            std::this_thread::sleep_for(100ms);  // let the window finish setting itself up
            act(w);
            ++done_;
        }
    }

    std::vector<std::pair<Find, Act>> steps_;
    std::atomic<bool> stop_{false};
    std::atomic<int> done_{0};
    std::thread thread_;
};

User::Find visibleTitled(const wchar_t* title) {
    return [title] {
        HWND w = FindWindowW(nullptr, title);
        return w && IsWindowVisible(w) ? w : nullptr;
    };
}

User::Find visibleMenu() {
    return [] {
        HWND w = FindWindowW(L"#32768", nullptr);
        return w && IsWindowVisible(w) ? w : nullptr;
    };
}

// The open-file dialog: a name typed into its file name box, then OK.
User::Act typeFileName(std::wstring name) {
    return [name](HWND dialog) {
        SetDlgItemTextW(dialog, 0x47C, name.c_str());
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
}

// The folder picker: the folder selected as an item list, then OK.
User::Act selectFolder(std::wstring path) {
    return [path](HWND dialog) {
        PIDLIST_ABSOLUTE item = nullptr;
        SHParseDisplayName(path.c_str(), nullptr, &item, 0, nullptr);
        SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(item));
        CoTaskMemFree(item);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
}

User::Act cancel() {
    return [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); };
}

// Menu items counted from the top with the Down key; the separator is skipped.
enum class Item { AddFiles = 1, AddFolders = 2, ClearAddFiles = 3, ClearAddFolders = 4 };

constexpr wchar_t kFileDialog[] = L"Browse Files...";
constexpr wchar_t kFolderPicker[] = L"Browse for Folder";

class BrowsePickers : public ::testing::Test {
protected:
    void SetUp() override {
        host.folder = temp.path();
        tools = temp.path() + "\\T\xC3\xB6ols dir";
        CreateDirectoryW(win::widen(tools).c_str(), nullptr);
        CreateDirectoryW(win::widen(tools + "\\sub").c_str(), nullptr);
        for (const std::string& file : {tools + "\\conv cfg.txt", tools + "\\sub\\in.txt"}) {
            HANDLE h = CreateFileW(win::widen(file).c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, 0, nullptr);
            CloseHandle(h);
        }
        dialog = std::make_unique<win::Form1Window>(
            Form1Services{host, shell, filePicker, folderPicker});
        dialog->form1().setTargetPath(tools + "\\run.exe");
        dialog->form1().LoadTarget();
        dialog->native().show();
        pump();
    }

    // Clicks "&Browse...", picks the item from the pop-up menu and lets `answer` handle the
    // picker that opens; true when both the menu and the picker were seen.
    bool browse(Item item, const wchar_t* picker, User::Act answer) {
        HWND form = dialog->hwnd();
        User user({{visibleMenu(),
                    [form, item](HWND) {
                        for (int i = 0; i < static_cast<int>(item); ++i)
                            PostMessageW(form, WM_KEYDOWN, VK_DOWN, 0);
                        PostMessageW(form, WM_KEYDOWN, VK_RETURN, 0);
                    }},
                   {visibleTitled(picker), std::move(answer)}});
        click(dialog->native().find("CMD_Browse")->hwnd());
        return user.done() == 2;
    }

    ComboBox& combo() { return dialog->native().comboBox("cmbArg"); }

    WinTempFolder temp;
    std::string tools;
    FakeHost host;
    FakeShell shell;
    win::WinFilePicker filePicker;
    win::WinFolderPicker folderPicker;
    std::unique_ptr<win::Form1Window> dialog;
};

TEST_F(BrowsePickers, AddFilesNamesAFileBesideTheTargetBareAndOthersInFull) {
    combo().setText("-c ");
    ASSERT_TRUE(browse(Item::AddFiles, kFileDialog, typeFileName(L"conv cfg.txt")));
    EXPECT_EQ(combo().text(), "-c conv cfg.txt");  // opened in the target's folder; no quotes

    // A subfolder of the target's folder is elsewhere: the full path.
    const std::string sub = tools + "\\sub\\in.txt";
    ASSERT_TRUE(browse(Item::AddFiles, kFileDialog, typeFileName(win::widen(sub))));
    EXPECT_EQ(combo().text(), "-c conv cfg.txt" + sub);

    ASSERT_TRUE(browse(Item::ClearAddFiles, kFileDialog,
                       typeFileName(win::widen(tools + "\\conv cfg.txt"))));
    EXPECT_EQ(combo().text(), "conv cfg.txt");
    EXPECT_TRUE(shell.requests.empty());
}

TEST_F(BrowsePickers, CancelledFileDialogChangesNothingEvenWhenClearing) {
    combo().setText("-x ");
    ASSERT_TRUE(browse(Item::AddFiles, kFileDialog, cancel()));
    EXPECT_EQ(combo().text(), "-x ");
    ASSERT_TRUE(browse(Item::ClearAddFiles, kFileDialog, cancel()));
    EXPECT_EQ(combo().text(), "-x ");

    // A cancel after a pick does not bring the earlier pick back.
    ASSERT_TRUE(browse(Item::AddFiles, kFileDialog, typeFileName(L"conv cfg.txt")));
    ASSERT_TRUE(browse(Item::AddFiles, kFileDialog, cancel()));
    EXPECT_EQ(combo().text(), "-x conv cfg.txt");
}

TEST_F(BrowsePickers, FoldersAreAddedAsThePickerReportsThemAndCancelKeepsTheText) {
    combo().setText("-d ");
    ASSERT_TRUE(browse(Item::AddFolders, kFolderPicker, selectFolder(L"C:\\")));
    EXPECT_EQ(combo().text(), "-d C:\\");

    ASSERT_TRUE(browse(Item::ClearAddFolders, kFolderPicker, cancel()));
    EXPECT_EQ(combo().text(), "-d C:\\");
    ASSERT_TRUE(browse(Item::AddFolders, kFolderPicker, cancel()));
    EXPECT_EQ(combo().text(), "-d C:\\");

    ASSERT_TRUE(browse(Item::ClearAddFolders, kFolderPicker, selectFolder(L"C:\\")));
    EXPECT_EQ(combo().text(), "C:\\");
}

// "Run a File Now": the real open-file dialog opens at My Computer (a virtual folder given by
// its parsing name) and the file picked there becomes the dialog's target.
TEST_F(BrowsePickers, RunOnceOpensAtMyComputerAndLoadsThePickedFile) {
    const std::string picked = tools + "\\sub\\in.txt";
    {
        User user({{visibleTitled(kFileDialog), typeFileName(win::widen(picked))}});
        EXPECT_EQ(dialog->form1().Run_Once(), 1);
        EXPECT_EQ(user.done(), 1) << "the open-file dialog did not appear";
    }
    EXPECT_EQ(dialog->form1().TargetPath(), picked);
    EXPECT_EQ(dialog->form1().FILEName, "in.txt");
    EXPECT_EQ(win::windowText(dialog->native().find("Label1")->hwnd()), "in.txt:");

    User user({{visibleTitled(kFileDialog), cancel()}});
    EXPECT_EQ(dialog->form1().Run_Once(), 0);
    EXPECT_EQ(user.done(), 1);
    EXPECT_EQ(dialog->form1().TargetPath(), picked);
}

}  // namespace
}  // namespace tarvo::test

// End-to-end under Wine: the built setup (dist/) installed, upgraded and removed as a user and
// an administrator would, and the user's whole road from the installation through the shell
// verb to the settings window's hand-off to the uninstaller.
//
// The uninstaller, started by its name, copies itself to the temporary folder, starts that copy
// and ends at once (so that the copy can remove the program folder). The tests start it in a
// job object and wait until every process of the job has ended, keeping the copy's exit code.
// clang-format off
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
// clang-format on
#include <gtest/gtest.h>

#include <future>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "e2e/driver.h"

namespace e2e {
namespace {

constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvolin";
// The version is CMakeLists.txt's (TARVO_VERSION, a narrow literal widened by the L before it).
constexpr wchar_t kVersion[] = L"" TARVO_VERSION;
constexpr wchar_t kSetupName[] = L"Tarvolin-" TARVO_VERSION "-setup.exe";
constexpr wchar_t kAnyone[] = L"&Anyone who uses this computer (administrator rights needed)";

// --- places -------------------------------------------------------------------------------------

std::wstring shellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return path;
}

// The release folder the build made, from TARVO_DIST (a Unix or Windows path).
std::wstring distFolder() {
    wchar_t buffer[4096];
    const DWORD n = GetEnvironmentVariableW(L"TARVO_DIST", buffer, 4096);
    std::wstring path = n > 0 && n < 4096 ? std::wstring(buffer, n) : L"";
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    if (!path.empty() && path[0] == L'\\') path = L"Z:" + path;
    return path;
}

std::wstring perUserFolder() {
    return shellFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Tarvolin";
}
std::wstring allUsersFolder() {
    return shellFolder(CSIDL_PROGRAM_FILES) + L"\\Tarvolin";
}
std::wstring userShortcut() {
    return shellFolder(CSIDL_PROGRAMS) + L"\\Tarvolin.lnk";
}
std::wstring commonShortcut() {
    return shellFolder(CSIDL_COMMON_PROGRAMS) + L"\\Tarvolin.lnk";
}
std::wstring userDataFolder() {
    return shellFolder(CSIDL_APPDATA) + L"\\Tarvolin";
}

// --- registry -----------------------------------------------------------------------------------

bool keyExists(HKEY root, const std::wstring& key) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

// Every value of the key as text: strings as they are, DWORDs in decimal.
std::map<std::wstring, std::wstring> valuesOf(HKEY root, const std::wstring& key) {
    std::map<std::wstring, std::wstring> values;
    HKEY h = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0;
        BYTE data[4096];
        DWORD size = sizeof data;
        if (RegEnumValueW(h, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS)
            break;
        if (type == REG_DWORD)
            values[name] = std::to_wstring(*reinterpret_cast<DWORD*>(data));
        else if (type == REG_SZ || type == REG_EXPAND_SZ)
            values[name] = reinterpret_cast<wchar_t*>(data);
        else
            values[name] = L"<type " + std::to_wstring(type) + L">";
    }
    RegCloseKey(h);
    return values;
}

std::optional<std::wstring> defaultUnder(HKEY root, const std::wstring& key) {
    wchar_t buffer[2048];
    DWORD bytes = sizeof buffer;
    if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer, &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

std::optional<std::wstring> classesDefault(const std::wstring& key) {
    return defaultUnder(HKEY_CLASSES_ROOT, key);
}

// The user's own classes, which Windows merges into HKEY_CLASSES_ROOT (Wine does not).
std::optional<std::wstring> userClassesDefault(const std::wstring& key) {
    return defaultUnder(HKEY_CURRENT_USER, L"Software\\Classes\\" + key);
}

// --- files --------------------------------------------------------------------------------------

std::set<std::wstring> filesIn(const std::wstring& folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.insert(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

void removeTree(const std::wstring& folder) {
    std::wstring from = folder + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

// The target and the arguments of a shortcut file.
std::optional<std::pair<std::wstring, std::wstring>> shortcutTarget(const std::wstring& lnk) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return std::nullopt;
    std::optional<std::pair<std::wstring, std::wstring>> result;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(lnk.c_str(), STGM_READ))) {
            wchar_t target[MAX_PATH] = {}, arguments[1024] = {};
            link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
            link->GetArguments(arguments, 1024);
            result = std::make_pair(std::wstring(target), std::wstring(arguments));
        }
        file->Release();
    }
    link->Release();
    return result;
}

// --- processes ----------------------------------------------------------------------------------

// Runs `"exe" arguments` in a job and waits until every process of the job has ended. The exit
// code is the uninstaller's copy's (Un.exe in a ~nsu folder of the temporary folder) when the
// uninstaller handed over to one, else the program's own; not that of the programs they start
// (Tarvo.exe /cleareg, another installation's uninstaller, the interpreter that removes the
// copy's folder).
std::optional<DWORD> runToTheEnd(const std::wstring& exe, const std::wstring& arguments,
                                 std::chrono::milliseconds limit = 90s) {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job) return std::nullopt;
    std::wstring line = L"\"" + exe + L"\"";
    if (!arguments.empty()) line += L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "cannot start " << narrow(line) << " (" << GetLastError() << ")";
        CloseHandle(job);
        return std::nullopt;
    }
    AssignProcessToJobObject(job, pi.hProcess);
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);

    std::map<DWORD, HANDLE> seen{{pi.dwProcessId, pi.hProcess}};
    std::vector<DWORD> order{pi.dwProcessId};
    std::map<DWORD, std::wstring> images;  // while they run: the copy is known by its path
    // Adds the job's processes not seen yet; true when there was one.
    const auto lookForNew = [&] {
        struct {
            JOBOBJECT_BASIC_PROCESS_ID_LIST list;
            ULONG_PTR more[63];
        } ids{};
        ids.list.NumberOfAssignedProcesses = 64;
        bool found = false;
        if (QueryInformationJobObject(job, JobObjectBasicProcessIdList, &ids, sizeof ids,
                                      nullptr)) {
            for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList; ++i) {
                const auto pid = static_cast<DWORD>(ids.list.ProcessIdList[i]);
                if (seen.count(pid)) continue;
                if (HANDLE h =
                        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
                    seen[pid] = h;
                    order.push_back(pid);
                    wchar_t image[MAX_PATH * 2] = {};
                    DWORD size = MAX_PATH * 2;
                    if (QueryFullProcessImageNameW(h, 0, image, &size)) images[pid] = image;
                    found = true;
                }
            }
        }
        return found;
    };
    const auto end = std::chrono::steady_clock::now() + limit;
    bool finished = false;
    while (!finished && std::chrono::steady_clock::now() < end) {
        lookForNew();
        finished = true;
        for (const auto& [pid, h] : seen)
            if (WaitForSingleObject(h, 0) != WAIT_OBJECT_0) finished = false;
        // A process may start its successor between the last look and its own end (the
        // uninstaller's copy of itself): once every process seen has ended, look once more.
        if (finished && lookForNew()) finished = false;
        if (!finished) Sleep(10);
    }
    std::optional<DWORD> code;
    if (finished) {
        DWORD value = 0;
        DWORD outcome = order.front();
        for (const DWORD pid : order) {
            const std::wstring& path = images[pid];
            if (path.find(L"\\~nsu") != std::wstring::npos && path.size() >= 7 &&
                _wcsicmp(path.c_str() + path.size() - 7, L"\\Un.exe") == 0)
                outcome = pid;
        }
        if (GetExitCodeProcess(seen[outcome], &value)) code = value;
    } else {
        for (const auto& entry : seen) TerminateProcess(entry.second, 1);
        ADD_FAILURE() << narrow(line) << " did not end";
    }
    for (const auto& entry : seen) CloseHandle(entry.second);
    CloseHandle(job);
    return code;
}

std::optional<DWORD> install(const std::wstring& arguments) {
    return runToTheEnd(distFolder() + L"\\" + kSetupName, arguments);
}

// The top-level window of the process with a child whose text holds `part`.
HWND waitForWindowHolding(DWORD pid, const std::wstring& part,
                          std::chrono::milliseconds limit = 20s) {
    return waitForWindowOf(
        pid,
        [&](HWND w) {
            struct Search {
                const std::wstring* part;
                bool found;
            } search{&part, false};
            EnumChildWindows(
                w,
                [](HWND child, LPARAM lp) -> BOOL {
                    auto* s = reinterpret_cast<Search*>(lp);
                    if (windowText(child).find(*s->part) == std::wstring::npos) return TRUE;
                    s->found = true;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&search));
            return search.found;
        },
        limit);
}

// The text of the first child window whose text holds `part`, or empty.
std::wstring childTextHolding(HWND window, const std::wstring& part) {
    struct Search {
        const std::wstring* part;
        std::wstring text;
    } search{&part, {}};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            const std::wstring text = windowText(child);
            if (text.find(*s->part) == std::wstring::npos) return TRUE;
            s->text = text;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.text;
}

template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        Sleep(50);
    }
    return true;
}

// A setup or uninstaller wizard driven by its buttons, as a user's clicks drive it: 1 is Next
// (or Install, Uninstall, Finish, Close), 2 Cancel, 3 Back.
class Wizard {
public:
    // Starts the program and waits for its window to show `text`.
    bool start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& text) {
        process = Process::start(exe, arguments, L"");
        window = process ? waitForWindowHolding(process.pid(), text, 30s) : nullptr;
        return window != nullptr;
    }
    HWND button(int id) const { return GetDlgItem(window, id); }
    std::wstring buttonText(int id) const { return windowText(button(id)); }
    // Presses the button once it can be pressed.
    bool click(int id) {
        if (!waitUntil([&] { return IsWindowEnabled(button(id)) && IsWindowVisible(button(id)); },
                       30s))
            return false;
        PostMessageW(button(id), BM_CLICK, 0, 0);
        return true;
    }
    // Waits until a control of the current page shows `part`; returns its whole text.
    std::wstring waitFor(const std::wstring& part, std::chrono::milliseconds limit = 30s) {
        std::wstring text;
        waitUntil(
            [&] {
                text = childTextHolding(window, part);
                return !text.empty() && IsWindowVisible(findChildByText(window, text));
            },
            limit);
        return text;
    }
    // The message box the program shows with `part` in its text; empty when none came.
    std::wstring answerBox(const std::wstring& part, int answer) {
        HWND box = waitForWindowOf(
            process.pid(),
            [&](HWND w) { return w != window && !childTextHolding(w, part).empty(); }, 30s);
        if (!box) return {};
        const std::wstring text = childTextHolding(box, part);
        PostMessageW(box, WM_COMMAND, answer, 0);
        return text;
    }
    // Clears the finish page's box that would start the program, and presses Finish.
    bool finish() {
        if (waitFor(L"Completing").empty()) return false;
        HWND run = findChildByText(window, L"&Open Tarvolin to choose the file types it serves");
        if (run && SendMessageW(run, BM_GETCHECK, 0, 0) == BST_CHECKED)
            PostMessageW(run, BM_CLICK, 0, 0);
        settle(window);
        return click(1);
    }
    ~Wizard() {
        if (process) process.terminate();
    }

    Process process;
    HWND window = nullptr;
};

// The copies the uninstaller makes of itself in the temporary folder (~nsu<N>.tmp).
std::set<std::wstring> uninstallerCopies() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    std::wstring folder = temp;
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    std::set<std::wstring> copies;
    for (const auto& name : filesIn(folder))
        if (name.rfind(L"~nsu", 0) == 0) copies.insert(name);
    return copies;
}

// The top-level window, of any process, with a child whose text holds `part`.
HWND waitForAnyWindowHolding(const std::wstring& part, std::chrono::milliseconds limit = 30s) {
    struct Search {
        const std::wstring* part;
        HWND found;
    } search{&part, nullptr};
    waitUntil(
        [&] {
            EnumWindows(
                [](HWND w, LPARAM lp) -> BOOL {
                    auto* s = reinterpret_cast<Search*>(lp);
                    if (!IsWindowVisible(w) || childTextHolding(w, *s->part).empty()) return TRUE;
                    s->found = w;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        limit);
    return search.found;
}

// The folder page's edit box.
HWND folderEdit(HWND window) {
    HWND page = FindWindowExW(window, nullptr, L"#32770", nullptr);
    return page ? GetDlgItem(page, 1019) : nullptr;
}

// --- the fixture --------------------------------------------------------------------------------

class Installer : public testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        setup = distFolder() + L"\\" + kSetupName;
        ASSERT_TRUE(fileExists(setup)) << narrow(setup) << " has not been built (TARVO_DIST)";
        cleanUp();
    }
    void TearDown() override {
        if (tarvo) tarvo.terminate();
        if (uninstaller) uninstaller.terminate();
        cleanUp();
        CoUninitialize();
    }

    // Whatever a failed test may have left: no installation in either scope.
    static void cleanUp() {
        for (const auto& folder : {perUserFolder(), allUsersFolder(), userDataFolder()})
            removeTree(folder);
        for (const auto& lnk : {userShortcut(), commonShortcut()}) DeleteFileW(lnk.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKey);
    }

    // Checks the installed-programs entry of an installation in `folder`.
    static void expectEntry(HKEY root, const std::wstring& folder) {
        auto values = valuesOf(root, kUninstallKey);
        ASSERT_FALSE(values.empty()) << "no installed-programs entry";
        // The folder's size in KiB, as the installer measured it.
        const auto size = std::stoul(values[L"EstimatedSize"]);
        values.erase(L"EstimatedSize");
        const std::map<std::wstring, std::wstring> expected = {
            {L"DisplayName", L"Tarvolin"},
            {L"DisplayVersion", kVersion},
            {L"Publisher", L"Pendrask"},
            {L"DisplayIcon", folder + L"\\Tarvo.exe"},
            {L"InstallLocation", folder},
            {L"NoModify", L"1"},
            {L"NoRepair", L"1"},
            {L"UninstallString", L"\"" + folder + L"\\unins000.exe\""},
            {L"QuietUninstallString", L"\"" + folder + L"\\unins000.exe\" /verysilent"},
        };
        EXPECT_EQ(values, expected);
        DWORD bytes = 0;
        for (const auto& name : filesIn(folder)) {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            GetFileAttributesExW((folder + L"\\" + name).c_str(), GetFileExInfoStandard, &data);
            bytes += data.nFileSizeLow;
        }
        EXPECT_NEAR(static_cast<double>(size), bytes / 1024.0, 2.0);
    }

    // The built program is what the folder holds, with its licence and the uninstaller.
    static void expectProgramIn(const std::wstring& folder) {
        EXPECT_EQ(filesIn(folder),
                  (std::set<std::wstring>{L"Tarvo.exe", L"LICENSE.txt", L"unins000.exe"}));
        EXPECT_EQ(readFile(folder + L"\\Tarvo.exe"),
                  readFile(builtProgram(L"Tarvo.exe", L"TARVO_EXE")))
            << "the installed Tarvo.exe is not the one built";
    }

    // Tarvo.exe started from the folder without arguments shows its settings window.
    HWND openSettings(const std::wstring& folder) {
        tarvo = Process::start(folder + L"\\Tarvo.exe", L"", folder);
        if (!tarvo) return nullptr;
        HWND settings = waitForWindowHolding(tarvo.pid(), L" About: ", 30s);
        EXPECT_NE(settings, nullptr) << "the settings window did not open";
        return settings;
    }

    // Opens the installed program's dialog on `target`, types `text` and presses Enter; true
    // once the target has run with it (the probe's log at `log` has `runs` records).
    bool runWithArguments(const std::wstring& folder, const std::wstring& target,
                          const std::wstring& text, const std::wstring& log, size_t runs) {
        tarvo = Process::start(folder + L"\\Tarvo.exe", L"\"" + target + L"\"", folder);
        const std::wstring name = target.substr(target.rfind(L'\\') + 1);
        HWND dialog = tarvo ? waitForWindowHolding(tarvo.pid(), name + L":", 30s) : nullptr;
        if (!dialog || !bringToFront(dialog)) return false;
        typeText(text);
        pressKey(VK_RETURN);
        const bool ran = waitForProbeRecords(log, runs).size() == runs;
        tarvo.waitExit(15s);
        return ran;
    }

    // The argument texts the installed program's dialog lists for `target`.
    std::vector<std::wstring> historyShown(const std::wstring& folder,
                                           const std::wstring& target) {
        std::vector<std::wstring> items;
        tarvo = Process::start(folder + L"\\Tarvo.exe", L"\"" + target + L"\"", folder);
        const std::wstring name = target.substr(target.rfind(L'\\') + 1);
        HWND dialog = tarvo ? waitForWindowHolding(tarvo.pid(), name + L":", 30s) : nullptr;
        HWND combo = dialog ? FindWindowExW(dialog, nullptr, L"ComboBox", nullptr) : nullptr;
        EXPECT_NE(combo, nullptr) << "the dialog did not open on " << narrow(target);
        const LRESULT count = combo ? SendMessageW(combo, CB_GETCOUNT, 0, 0) : 0;
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring item(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)), L'\0');
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
            items.push_back(item);
        }
        tarvo.terminate();
        return items;
    }

    // Starts the uninstaller, reads its confirmation page, sets the box and uninstalls; returns
    // the page's text about the data.
    std::wstring uninstallOnItsPage(const std::wstring& folder, bool deleteData) {
        uninstaller = Process::start(folder + L"\\unins000.exe", L"_?=" + folder, folder);
        EXPECT_TRUE(uninstaller);
        HWND window = waitForWindowHolding(uninstaller.pid(), kBox, 30s);
        EXPECT_NE(window, nullptr) << "the uninstaller did not ask";
        if (!window) return {};
        const std::wstring kept = childTextHolding(window, L"are kept in");
        HWND box = findChildByText(window, kBox);
        EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED) << "the box starts ticked";
        if (deleteData) {
            // By its access key, as every other control of the page.
            EXPECT_TRUE(bringToFront(window));
            pressWithAlt('D');
            settle(window);
            EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED) << "Alt+D did not tick it";
        }
        HWND go = findChildByText(window, L"&Uninstall");
        EXPECT_NE(go, nullptr);
        PostMessageW(go, BM_CLICK, 0, 0);
        // Done, it waits on its last page for "Close".
        HWND close = nullptr;
        EXPECT_TRUE(waitUntil(
            [&] {
                close = findChildByText(window, L"&Close");
                return close && IsWindowVisible(close) && IsWindowEnabled(close);
            },
            60s));
        PostMessageW(close, BM_CLICK, 0, 0);
        EXPECT_EQ(uninstaller.waitExit(30s), 0u);
        return kept;
    }

    static constexpr wchar_t kBox[] = L"Also &delete my argument history and settings";

    std::wstring setup;
    Process tarvo;
    Process uninstaller;
};

// --- the tests ----------------------------------------------------------------------------------

TEST_F(Installer, SilentPerUserInstallThenQuietRemoval) {
    ASSERT_EQ(install(L"/S"), 0u);
    const std::wstring folder = perUserFolder();
    expectProgramIn(folder);
    expectEntry(HKEY_CURRENT_USER, folder);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) << "a per-user install wrote HKLM";

    const auto shortcut = shortcutTarget(userShortcut());
    ASSERT_TRUE(shortcut.has_value()) << "no Start-menu entry";
    EXPECT_EQ(shortcut->first, folder + L"\\Tarvo.exe");
    EXPECT_EQ(shortcut->second, L"");
    EXPECT_FALSE(fileExists(commonShortcut()));

    ASSERT_NE(openSettings(folder), nullptr);
    tarvo.terminate();

    // A verb the program recorded, as its settings window leaves it.
    RegSetValueW(HKEY_CLASSES_ROOT, L".tarvoclr", REG_SZ, L"tarvoclrfile", 0);
    const std::wstring command = L"\"" + folder + L"\\Tarvo.exe\" %1";
    RegSetValueW(HKEY_CLASSES_ROOT, L"tarvoclrfile\\shell\\Tarvolin\\command", REG_SZ,
                 command.c_str(), 0);
    ASSERT_TRUE(writeFile(folder + L"\\Settings.ini", "[ASSOCIATION]\r\n0=tarvoclr\r\n"));
    struct Restore {
        ~Restore() {
            RegDeleteTreeW(HKEY_CLASSES_ROOT, L".tarvoclr");
            RegDeleteTreeW(HKEY_CLASSES_ROOT, L"tarvoclrfile");
        }
    } restore;

    // The quiet uninstall string, letters in any case, removes all of it, the verb too.
    ASSERT_EQ(runToTheEnd(folder + L"\\unins000.exe", L"/VerySilent"), 0u);
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, L"tarvoclrfile\\shell\\Tarvolin"))
        << "the verb stayed behind";
    EXPECT_FALSE(fileExists(folder)) << "the program folder is still there";
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_FALSE(fileExists(userShortcut()));
}

// Install; the settings window adds an extension of a file type the probe opens, its verb in
// the user's own classes only (an installation for one user); the "Tarvolin" verb on such a file
// opens the dialog, whose OK runs the probe with the text in the file's folder; the settings
// window removes the extension and hands over to the uninstaller, which removes the program, the
// verb and the entry.
TEST_F(Installer, TheUsersRoadFromInstallToUninstall) {
    constexpr wchar_t kExt[] = L".tarvoprobe", kType[] = L"tarvoprobefile";
    TempFolder documents(L"Tarvo Docs \u00e9");
    TempFolder probeFolder(L"Tarvo Probe");
    const std::wstring probe = probeFolder.file(L"probe.exe");
    ASSERT_TRUE(
        CopyFileW(builtProgram(L"probe.exe", L"TARVO_PROBE").c_str(), probe.c_str(), FALSE));
    SetEnvironmentVariableW(L"TARVO_PROBE_LOG", probeFolder.file(L"probe.log").c_str());
    // The file type as an application that opens it would register it.
    RegSetValueW(HKEY_CLASSES_ROOT, kExt, REG_SZ, kType, 0);
    const std::wstring open = L"\"" + probe + L"\" \"%1\" %*";
    RegSetValueW(HKEY_CLASSES_ROOT, (std::wstring(kType) + L"\\shell\\open\\command").c_str(),
                 REG_SZ, open.c_str(), 0);
    struct Restore {
        ~Restore() {
            RegDeleteTreeW(HKEY_CLASSES_ROOT, L".tarvoprobe");
            RegDeleteTreeW(HKEY_CLASSES_ROOT, L"tarvoprobefile");
            SetEnvironmentVariableW(L"TARVO_PROBE_LOG", nullptr);
        }
    } restore;

    ASSERT_EQ(install(L"/S"), 0u);
    const std::wstring folder = perUserFolder();

    HWND settings = openSettings(folder);
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(bringToFront(settings));
    pressWithAlt('A');
    HWND box = waitForWindowHolding(tarvo.pid(), L"Please Enter File Extension:");
    ASSERT_NE(box, nullptr) << "the input box did not appear";
    ASSERT_TRUE(bringToFront(box));
    typeText(L"tarvoprobe");
    pressKey(VK_RETURN);
    HWND list = FindWindowExW(settings, nullptr, L"ListBox", nullptr);
    ASSERT_TRUE(waitUntil([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 1; }, 15s));
    const std::wstring verb = std::wstring(kType) + L"\\shell\\Tarvolin";
    const std::wstring command = L"\"" + folder + L"\\Tarvo.exe\" %1";
    EXPECT_EQ(userClassesDefault(verb + L"\\command"), command);
    EXPECT_FALSE(defaultUnder(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + verb + L"\\command"))
        << "a per-user installation registered its verb for every user";
    ASSERT_TRUE(bringToFront(settings));
    pressWithAlt('O');
    ASSERT_TRUE(tarvo.waitExit(15s).has_value()) << "the settings window did not end the program";

    // The verb's command as the file manager runs it, the placeholder replaced by the file's
    // path. (Wine's shell reads HKEY_CLASSES_ROOT from the machine's branch alone, without the
    // user's classes that Windows merges into it, so it cannot be asked for a per-user verb.)
    const std::wstring document = documents.file(L"report.tarvoprobe");
    ASSERT_TRUE(writeFile(document, "data\r\n"));
    std::wstring line = userClassesDefault(verb + L"\\command").value_or(command);
    line.replace(line.find(L"%1"), 2, document);
    const std::wstring program = L"\"" + folder + L"\\Tarvo.exe\" ";
    ASSERT_EQ(line.rfind(program, 0), 0u) << narrow(line);
    tarvo = Process::start(folder + L"\\Tarvo.exe", line.substr(program.size()), documents.path());
    ASSERT_TRUE(tarvo);
    HWND dialog = waitForWindowHolding(tarvo.pid(), L"report.tarvoprobe:", 30s);
    ASSERT_NE(dialog, nullptr) << "the dialog did not open on the file";
    ASSERT_TRUE(bringToFront(dialog));
    typeText(L"-v two words");
    pressKey(VK_RETURN);
    const auto records = waitForProbeRecords(probeFolder.file(L"probe.log"), 1);
    ASSERT_EQ(records.size(), 1u) << "the probe did not run";
    EXPECT_EQ(records[0].args, narrow(L"\"" + document + L"\" -v two words"));
    EXPECT_EQ(records[0].cwd, narrow(documents.path()));
    ASSERT_TRUE(tarvo.waitExit(15s).has_value());

    // Remove the extension; the last one gone, the settings window offers to uninstall.
    settings = openSettings(folder);
    ASSERT_NE(settings, nullptr);
    list = FindWindowExW(settings, nullptr, L"ListBox", nullptr);
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    settle(settings);
    ASSERT_TRUE(bringToFront(settings));
    pressWithAlt('R');
    HWND sure = waitForWindowHolding(tarvo.pid(), L"Are you sure you wish to remove");
    ASSERT_NE(sure, nullptr);
    PostMessageW(sure, WM_COMMAND, IDYES, 0);
    HWND uninstall = waitForWindowHolding(tarvo.pid(), L"Do you wish to uninstall it completely?");
    ASSERT_NE(uninstall, nullptr);
    PostMessageW(uninstall, WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(tarvo.waitExit(15s).has_value()) << "the program did not end after the hand-off";

    // The uninstaller runs on its own now: wait for its outcome.
    EXPECT_TRUE(waitUntil([&] { return !fileExists(folder); }, 90s))
        << "the program folder is still there: " << narrow(folder);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_FALSE(fileExists(userShortcut()));
    EXPECT_FALSE(userClassesDefault(verb + L"\\command").has_value()) << "the verb stayed behind";
    EXPECT_FALSE(classesDefault(verb + L"\\command").has_value()) << "the verb stayed behind";
    EXPECT_EQ(classesDefault(kExt), kType);
    const auto history = readFile(userDataFolder() + L"\\MRU.INI");
    ASSERT_TRUE(history.has_value()) << "the hand-off's uninstall took the history";
    EXPECT_NE(history->find("-v two words"), std::string::npos);
    EXPECT_TRUE(fileExists(userDataFolder() + L"\\Settings.ini"));
}

// An installation over an existing one keeps the user's files byte for byte, in the same
// folder. While the program runs from there, a silent setup fails and changes nothing, and a
// quiet uninstaller gives up with a failure.
TEST_F(Installer, UpgradeInPlaceKeepsTheDataAndWaitsForTheProgram) {
    TempFolder base(L"Tarvo Chosen");
    const std::wstring folder = base.file(L"Tarvolin \u00e9");
    ASSERT_EQ(install(L"/S /D=" + folder), 0u);
    expectProgramIn(folder);
    expectEntry(HKEY_CURRENT_USER, folder);

    const std::string mru =
        "[report.exe]\r\n0=1\r\n1=-v \"C:\\My Files\\a.txt\"\r\n2=  spaced  \r\n"
        "[caf\xc3\xa9.bat]\r\n0=0\r\n1=\xce\xb1\xce\xb2\r\n";
    const std::string settingsIni = "[ASSOCIATION]\r\n0=txt\r\n1=log\r\n";
    ASSERT_TRUE(writeFile(folder + L"\\MRU.INI", mru));
    ASSERT_TRUE(writeFile(folder + L"\\Settings.ini", settingsIni));
    // Marks that show whether a setup touched the installation.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_SET_VALUE, &key), 0);
    RegSetValueExW(key, L"DisplayVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"0.0.0.1"),
                   8 * sizeof(wchar_t));
    RegCloseKey(key);
    ASSERT_TRUE(DeleteFileW((folder + L"\\unins000.exe").c_str()));

    ASSERT_NE(openSettings(folder), nullptr);
    const auto refused = install(L"/S");
    ASSERT_TRUE(refused.has_value());
    EXPECT_NE(*refused, 0u) << "a silent setup replaced a running program";
    EXPECT_EQ(valuesOf(HKEY_CURRENT_USER, kUninstallKey)[L"DisplayVersion"], L"0.0.0.1");
    EXPECT_EQ(filesIn(folder),
              (std::set<std::wstring>{L"Tarvo.exe", L"LICENSE.txt", L"MRU.INI", L"Settings.ini"}));
    tarvo.terminate();

    // Without /D=: the installed folder is found and upgraded.
    ASSERT_EQ(install(L"/S"), 0u);
    EXPECT_EQ(valuesOf(HKEY_CURRENT_USER, kUninstallKey)[L"DisplayVersion"], kVersion);
    EXPECT_TRUE(fileExists(folder + L"\\unins000.exe"));
    EXPECT_FALSE(fileExists(perUserFolder())) << "the upgrade went to the default folder";
    EXPECT_EQ(readFile(folder + L"\\MRU.INI"), mru);
    EXPECT_EQ(readFile(folder + L"\\Settings.ini"), settingsIni);

    // The uninstaller waits for a running program and, quiet, gives up without a change. Run in
    // place (_?=) it is its own copy, so its exit code is the outcome.
    ASSERT_NE(openSettings(folder), nullptr);
    const auto gaveUp = runToTheEnd(folder + L"\\unins000.exe", L"/silent _?=" + folder);
    ASSERT_TRUE(gaveUp.has_value());
    EXPECT_EQ(*gaveUp, 2u);
    EXPECT_TRUE(fileExists(folder + L"\\Tarvo.exe"));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
    tarvo.terminate();

    // Lock and temporary files of ours go with the data files; a file of the user's stays, and
    // so does the folder that holds it.
    for (const wchar_t* name : {L"MRU.INI.lock", L"Settings.ini.lock", L"MRU.INI.tmp12-3"})
        ASSERT_TRUE(writeFile(folder + L"\\" + name, ""));
    ASSERT_TRUE(writeFile(folder + L"\\notes.txt", "mine"));
    ASSERT_EQ(runToTheEnd(folder + L"\\unins000.exe", L"/S"), 0u);
    EXPECT_EQ(filesIn(folder), std::set<std::wstring>{L"notes.txt"});
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_EQ(readFile(userDataFolder() + L"\\MRU.INI"), mru);
    EXPECT_EQ(readFile(userDataFolder() + L"\\Settings.ini"), settingsIni);
}

// The user's history and settings outlive every quiet uninstall, in %APPDATA%\\Tarvolin, and
// the next installation shows them: a per-user one takes them back into its folder, where its
// program reads them; one for all users leaves them where its program reads them. Only
// /deletedata deletes them.
TEST_F(Installer, HistoryOutlivesAQuietUninstallAndTheNextInstallationShowsIt) {
    TempFolder probeFolder(L"Tarvo Kept");
    const std::wstring probe = probeFolder.file(L"probe.exe"), log = probeFolder.file(L"probe.log");
    ASSERT_TRUE(
        CopyFileW(builtProgram(L"probe.exe", L"TARVO_PROBE").c_str(), probe.c_str(), FALSE));
    SetEnvironmentVariableW(L"TARVO_PROBE_LOG", log.c_str());
    struct Restore {
        ~Restore() { SetEnvironmentVariableW(L"TARVO_PROBE_LOG", nullptr); }
    } restore;

    ASSERT_EQ(install(L"/S"), 0u);
    const std::wstring folder = perUserFolder(), data = userDataFolder();
    ASSERT_TRUE(runWithArguments(folder, probe, L"-v kept", log, 1));
    const auto mru = readFile(folder + L"\\MRU.INI");
    ASSERT_TRUE(mru.has_value()) << "the program kept no history in its folder";
    const std::string settingsIni = "[ASSOCIATION]\r\n0=tarvokept\r\n";
    ASSERT_TRUE(writeFile(folder + L"\\Settings.ini", settingsIni));

    // The quiet uninstall string: the program goes, the two files stay.
    ASSERT_EQ(runToTheEnd(folder + L"\\unins000.exe", L"/verysilent"), 0u);
    EXPECT_FALSE(fileExists(folder));
    EXPECT_EQ(readFile(data + L"\\MRU.INI"), mru);
    EXPECT_EQ(readFile(data + L"\\Settings.ini"), settingsIni);

    // Installed again for this user: the files are back in the program folder, and the dialog
    // lists the text typed before.
    ASSERT_EQ(install(L"/S"), 0u);
    EXPECT_EQ(readFile(folder + L"\\MRU.INI"), mru);
    EXPECT_EQ(readFile(folder + L"\\Settings.ini"), settingsIni);
    EXPECT_FALSE(fileExists(data)) << "a second copy of the data stayed behind";
    EXPECT_EQ(historyShown(folder, probe), std::vector<std::wstring>{L"-v kept"});

    // The settings window's hand-off (/silent) keeps them too; an installation for all users
    // leaves them in the user's folder, where a program that cannot write Program Files reads
    // them. (Under Wine every folder can be written, so its program would look in its own.)
    ASSERT_EQ(runToTheEnd(folder + L"\\unins000.exe", L"/silent"), 0u);
    ASSERT_EQ(install(L"/S /AllUsers"), 0u);
    expectProgramIn(allUsersFolder());
    EXPECT_EQ(readFile(data + L"\\MRU.INI"), mru);
    EXPECT_EQ(readFile(data + L"\\Settings.ini"), settingsIni);

    // Asked to, an unattended removal deletes them.
    ASSERT_EQ(runToTheEnd(allUsersFolder() + L"\\unins000.exe", L"/verysilent /DeleteData"), 0u);
    EXPECT_FALSE(fileExists(allUsersFolder()));
    EXPECT_FALSE(fileExists(data)) << "/deletedata kept the user's data";
}

// A folder that holds another program's files is never shared: the installation goes into a
// Tarvolin folder inside it, and the other program's files (a stand-in for another installer's
// unins000.exe and unins000.dat) are the same bytes after the install and the uninstall. When
// that folder too holds files not ours, a silent setup ends with exit code 4 and changes
// nothing.
TEST_F(Installer, AnotherProgramsFolderIsNeverShared) {
    TempFolder other(L"OtherApp");
    // A program with a version record of its own stands in for another installer's uninstaller.
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const auto uninstaller = readFile(std::wstring(system) + L"\\notepad.exe");
    ASSERT_TRUE(uninstaller.has_value());
    const std::map<std::wstring, std::string> foreign = {
        {L"unins000.exe", *uninstaller},
        {L"unins000.dat", "another program's uninstall log"},
        {L"MRU.INI", "[its own]\r\n"},
    };
    for (const auto& [name, bytes] : foreign) ASSERT_TRUE(writeFile(other.file(name), bytes));
    const auto foreignIntact = [&] {
        for (const auto& [name, bytes] : foreign)
            EXPECT_EQ(readFile(other.file(name)), bytes) << narrow(name) << " was changed";
    };

    ASSERT_EQ(install(L"/S /D=" + other.path()), 0u);
    const std::wstring folder = other.file(L"Tarvolin");
    expectProgramIn(folder);
    expectEntry(HKEY_CURRENT_USER, folder);
    foreignIntact();
    ASSERT_EQ(runToTheEnd(folder + L"\\unins000.exe", L"/verysilent"), 0u);
    EXPECT_FALSE(fileExists(folder));
    foreignIntact();
    EXPECT_EQ(filesIn(other.path()).size(), foreign.size());

    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(writeFile(folder + L"\\readme.txt", "not ours"));
    EXPECT_EQ(install(L"/S /D=" + other.path()), 4u);
    EXPECT_EQ(filesIn(folder), std::set<std::wstring>{L"readme.txt"});
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
    foreignIntact();
}

// The same on the folder page: the setup says where it installs instead, or, when that folder
// is not fit either, asks for another one and stays on the page.
TEST_F(Installer, TheFolderPageNeverSharesAnotherProgramsFolder) {
    TempFolder other(L"OtherApp");
    ASSERT_TRUE(writeFile(other.file(L"unins000.exe"), "MZ another program's uninstaller"));
    const std::wstring folder = other.file(L"Tarvolin");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(writeFile(folder + L"\\readme.txt", "not ours"));

    Wizard wizard;
    ASSERT_TRUE(wizard.start(setup, L"", L"Welcome"));
    ASSERT_TRUE(wizard.click(1));
    ASSERT_FALSE(wizard.waitFor(L"Install Tarvolin for:").empty());
    ASSERT_TRUE(wizard.click(1));
    ASSERT_FALSE(wizard.waitFor(L"Destination Folder").empty());
    SetWindowTextW(folderEdit(wizard.window), other.path().c_str());
    ASSERT_TRUE(wizard.click(1));
    EXPECT_NE(wizard.answerBox(L"and so does " + folder, IDOK), L"");
    // Still on the folder page.
    ASSERT_FALSE(wizard.waitFor(L"Destination Folder").empty());
    ASSERT_TRUE(DeleteFileW((folder + L"\\readme.txt").c_str()));
    ASSERT_TRUE(wizard.click(1));
    const std::wstring told = wizard.answerBox(L"holds files of another program", IDOK);
    EXPECT_NE(told.find(L"installed in a folder of its own inside it:\r\n" + folder), std::wstring::npos)
        << narrow(told);
    ASSERT_TRUE(wizard.finish());
    EXPECT_EQ(wizard.process.waitExit(30s), 0u);
    expectProgramIn(folder);
    EXPECT_EQ(readFile(other.file(L"unins000.exe")), "MZ another program's uninstaller");
}

// Never two installations for one user: a silent setup for the other scope ends with exit code
// 3 and changes nothing; with /ReplaceOther it removes the other installation first, keeping
// the user's data, which the new one finds. Both ways round.
TEST_F(Installer, ASilentSetupNeverMakesASecondInstallation) {
    ASSERT_EQ(install(L"/S"), 0u);
    const std::wstring mine = perUserFolder(), everyone = allUsersFolder(), data = userDataFolder();
    const std::string history = "[a.exe]\r\n0=1\r\n1=-kept\r\n";
    ASSERT_TRUE(writeFile(mine + L"\\MRU.INI", history));

    EXPECT_EQ(install(L"/S /AllUsers"), 3u);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(fileExists(everyone));
    EXPECT_FALSE(fileExists(commonShortcut()));
    expectEntry(HKEY_CURRENT_USER, mine);
    EXPECT_EQ(readFile(mine + L"\\MRU.INI"), history);

    ASSERT_EQ(install(L"/S /AllUsers /ReplaceOther"), 0u);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_FALSE(fileExists(mine));
    EXPECT_FALSE(fileExists(userShortcut()));
    expectProgramIn(everyone);
    expectEntry(HKEY_LOCAL_MACHINE, everyone);
    EXPECT_TRUE(fileExists(commonShortcut()));
    EXPECT_EQ(readFile(data + L"\\MRU.INI"), history);

    // The other way round: the history comes back into the per-user folder.
    EXPECT_EQ(install(L"/S /CurrentUser"), 3u);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
    expectProgramIn(everyone);
    ASSERT_EQ(install(L"/S /CurrentUser /ReplaceOther"), 0u);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(fileExists(everyone));
    EXPECT_FALSE(fileExists(commonShortcut()));
    expectEntry(HKEY_CURRENT_USER, mine);
    EXPECT_TRUE(fileExists(userShortcut()));
    EXPECT_EQ(readFile(mine + L"\\MRU.INI"), history);
    EXPECT_FALSE(fileExists(data));

    // An installation whose folder was deleted by hand is only an entry and a shortcut: they
    // go when it is replaced.
    removeTree(mine);
    EXPECT_EQ(install(L"/S /AllUsers"), 3u);
    ASSERT_EQ(install(L"/S /AllUsers /ReplaceOther"), 0u);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_FALSE(fileExists(userShortcut()));
    expectEntry(HKEY_LOCAL_MACHINE, everyone);
}

// On the scope page, choosing the scope without the installation asks whether to replace it:
// No stays on the page and changes nothing; Yes removes it as the installation begins.
TEST_F(Installer, TheScopePageOffersToReplaceTheOtherInstallation) {
    ASSERT_EQ(install(L"/S"), 0u);
    const std::wstring mine = perUserFolder(), everyone = allUsersFolder();

    Wizard wizard;
    ASSERT_TRUE(wizard.start(setup, L"", L"Welcome"));
    ASSERT_TRUE(wizard.click(1));
    ASSERT_FALSE(wizard.waitFor(L"Install Tarvolin for:").empty());
    PostMessageW(findChildByText(wizard.window, kAnyone), BM_CLICK, 0, 0);
    settle(wizard.window);
    ASSERT_TRUE(wizard.click(1));
    const std::wstring question = wizard.answerBox(L"Remove it and install", IDNO);
    EXPECT_NE(question.find(L"Tarvolin " TARVO_VERSION L" is installed for you alone in " + mine + L"."),
              std::wstring::npos)
        << narrow(question);
    ASSERT_FALSE(wizard.waitFor(L"Install Tarvolin for:").empty());
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    expectEntry(HKEY_CURRENT_USER, mine);

    ASSERT_TRUE(wizard.click(1));
    EXPECT_FALSE(wizard.answerBox(L"Remove it and install", IDYES).empty());
    ASSERT_FALSE(wizard.waitFor(L"Destination Folder").empty());
    ASSERT_TRUE(wizard.click(1));
    ASSERT_TRUE(wizard.finish());
    EXPECT_EQ(wizard.process.waitExit(30s), 0u);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_FALSE(fileExists(mine));
    expectEntry(HKEY_LOCAL_MACHINE, everyone);
}

// Started by its name, the uninstaller runs a copy of itself from the temporary folder; that
// copy's folder is gone once the uninstaller has ended, cancelled or done.
TEST_F(Installer, TheUninstallerLeavesNothingInTheTemporaryFolder) {
    ASSERT_EQ(install(L"/S"), 0u);
    const std::wstring folder = perUserFolder();
    // Copies that earlier runs of this prefix left; the uninstaller reuses such a folder.
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    for (const auto& name : uninstallerCopies()) removeTree(temp + name);
    const std::set<std::wstring> before;
    ASSERT_EQ(uninstallerCopies(), before);

    Process uninstaller = Process::start(folder + L"\\unins000.exe", L"", L"");
    ASSERT_TRUE(uninstaller);
    HWND window = waitForAnyWindowHolding(L"Also &delete my argument history and settings");
    ASSERT_NE(window, nullptr) << "the uninstaller did not ask";
    EXPECT_EQ(uninstallerCopies().size(), before.size() + 1) << "it ran in place";
    PostMessageW(GetDlgItem(window, 2), BM_CLICK, 0, 0);
    EXPECT_TRUE(waitUntil([&] { return uninstallerCopies() == before; }, 20s))
        << "a cancelled uninstall left its copy in the temporary folder";
    EXPECT_TRUE(fileExists(folder + L"\\Tarvo.exe"));

    ASSERT_EQ(runToTheEnd(folder + L"\\unins000.exe", L"/verysilent"), 0u);
    EXPECT_FALSE(fileExists(folder));
    EXPECT_TRUE(waitUntil([&] { return uninstallerCopies() == before; }, 20s))
        << "a quiet uninstall left its copy in the temporary folder";
}

// /? and /help show the switches and the exit codes in a box and end with exit code 0, having
// installed or removed nothing; the uninstaller's copy answers for it.
TEST_F(Installer, HelpListsTheSwitchesAndChangesNothing) {
    for (const wchar_t* help : {L"/?", L"/HELP"}) {
        auto setupRun = std::async(std::launch::async, [&] { return install(help); });
        HWND box = waitForAnyWindowHolding(L"/ReplaceOther");
        ASSERT_NE(box, nullptr) << "no box for " << narrow(help);
        const std::wstring text = childTextHolding(box, L"/ReplaceOther");
        for (const wchar_t* part : {L"/S\t", L"/AllUsers\t", L"/CurrentUser\t", L"/D=folder\t",
                                    L"/? or /help\t", L"Exit codes: 0 installed; 1 cancelled"})
            EXPECT_NE(text.find(part), std::wstring::npos) << narrow(part) << " missing";
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(setupRun.get(), 0u);
        EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
        EXPECT_FALSE(fileExists(perUserFolder()));
    }

    ASSERT_EQ(install(L"/S"), 0u);
    const std::wstring folder = perUserFolder();
    auto uninstallRun = std::async(std::launch::async,
                                   [&] { return runToTheEnd(folder + L"\\unins000.exe", L"/?"); });
    HWND box = waitForAnyWindowHolding(L"/deletedata");
    ASSERT_NE(box, nullptr) << "no box for the uninstaller's /?";
    const std::wstring text = childTextHolding(box, L"/deletedata");
    for (const wchar_t* part : {L"/silent\t", L"/verysilent\t", L"_?=folder\t", L"/? or /help\t"})
        EXPECT_NE(text.find(part), std::wstring::npos) << narrow(part) << " missing";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(uninstallRun.get(), 0u);
    expectProgramIn(folder);
    expectEntry(HKEY_CURRENT_USER, folder);
}

// While a setup runs, a second one says so, brings the first to the front and ends with exit
// code 5; silent, it ends so without a word. The same for the uninstaller. Nothing changes.
TEST_F(Installer, ASecondSetupOrUninstallerGivesWayToTheFirst) {
    Wizard first;
    ASSERT_TRUE(first.start(setup, L"", L"Welcome"));
    // Out of the way: only the second can bring it back.
    ShowWindow(first.window, SW_MINIMIZE);
    ASSERT_TRUE(waitUntil([&] { return IsIconic(first.window) != FALSE; }, 5s));
    Process second = Process::start(setup, L"", L"");
    ASSERT_TRUE(second);
    HWND box = waitForWindowHolding(second.pid(), L"Tarvolin Setup is already running.");
    ASSERT_NE(box, nullptr) << "the second setup did not say that one is running";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(second.waitExit(30s), 5u);
    EXPECT_TRUE(waitUntil(
        [&] { return !IsIconic(first.window) && GetForegroundWindow() == first.window; }, 5s))
        << "the first setup did not come to the front";
    EXPECT_EQ(install(L"/S"), 5u);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_FALSE(fileExists(perUserFolder()));
    // Cancelled, it asks first.
    ASSERT_TRUE(first.click(2));
    EXPECT_FALSE(first.answerBox(L"Are you sure you want to quit", IDYES).empty());
    EXPECT_TRUE(first.process.waitExit(30s).has_value());
    // Once it has ended, a setup runs again.
    ASSERT_EQ(install(L"/S"), 0u);

    const std::wstring folder = perUserFolder();
    Wizard uninstaller;
    ASSERT_TRUE(uninstaller.start(folder + L"\\unins000.exe", L"_?=" + folder, L"Also &delete"));
    ShowWindow(uninstaller.window, SW_MINIMIZE);
    ASSERT_TRUE(waitUntil([&] { return IsIconic(uninstaller.window) != FALSE; }, 5s));
    EXPECT_EQ(runToTheEnd(folder + L"\\unins000.exe", L"/verysilent"), 5u);
    auto secondRun = std::async(std::launch::async,
                                [&] { return runToTheEnd(folder + L"\\unins000.exe", L""); });
    box = waitForAnyWindowHolding(L"Tarvolin Uninstall is already running.");
    ASSERT_NE(box, nullptr) << "the second uninstaller did not say that one is running";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(secondRun.get(), 5u);
    EXPECT_TRUE(waitUntil(
        [&] { return !IsIconic(uninstaller.window) && GetForegroundWindow() == uninstaller.window; },
        5s))
        << "the first uninstaller did not come to the front";
    expectProgramIn(folder);
    expectEntry(HKEY_CURRENT_USER, folder);
}

// Marks the installation of `root` as an older version.
void markOlder(HKEY root) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(root, kUninstallKey, 0, KEY_SET_VALUE, &key), 0);
    RegSetValueExW(key, L"DisplayVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"0.0.0.1"),
                   8 * sizeof(wchar_t));
    RegCloseKey(key);
}

// The wizard names its version and says what it will do: a new installation, or an upgrade of
// the one it found ("Tarvolin 0.0.0.1 is installed in <folder>"), whose button is "Upgrade"
// where no folder page follows; no word of rebooting or system files.
TEST_F(Installer, TheWizardSaysWhatItWillDo) {
    {
        Wizard fresh;
        ASSERT_TRUE(fresh.start(setup, L"", L"Welcome"));
        EXPECT_EQ(windowText(fresh.window), L"Tarvolin " TARVO_VERSION L" Setup");
        EXPECT_FALSE(fresh.waitFor(L"Welcome to Tarvolin " TARVO_VERSION L" Setup").empty());
        const std::wstring text = fresh.waitFor(L"This setup installs Tarvolin " TARVO_VERSION L".");
        EXPECT_NE(text.find(L"If Tarvolin is open, close it first"), std::wstring::npos);
        EXPECT_EQ(text.find(L"reboot"), std::wstring::npos) << narrow(text);
        EXPECT_EQ(text.find(L"system files"), std::wstring::npos) << narrow(text);
        ASSERT_TRUE(fresh.click(2));
        EXPECT_FALSE(fresh.answerBox(L"Are you sure you want to quit", IDYES).empty());
        EXPECT_TRUE(fresh.process.waitExit(30s).has_value());
    }

    ASSERT_EQ(install(L"/S"), 0u);
    const std::wstring folder = perUserFolder();
    markOlder(HKEY_CURRENT_USER);
    const std::wstring installed = L"Tarvolin 0.0.0.1 is installed in " + folder + L".";
    {
        Wizard upgrade;
        ASSERT_TRUE(upgrade.start(setup, L"", L"Welcome"));
        const std::wstring text = upgrade.waitFor(installed);
        EXPECT_NE(text.find(L"This setup upgrades it to " TARVO_VERSION L" in that folder"), std::wstring::npos)
            << narrow(text);
        EXPECT_EQ(upgrade.buttonText(1), L"&Next >");
        ASSERT_TRUE(upgrade.click(1));
        ASSERT_FALSE(upgrade.waitFor(L"Install Tarvolin for:").empty());
        EXPECT_FALSE(upgrade.waitFor(installed).empty());
        EXPECT_EQ(upgrade.buttonText(1), L"&Upgrade");
        // The other choice would replace it: a folder page follows.
        PostMessageW(findChildByText(upgrade.window, kAnyone), BM_CLICK, 0, 0);
        const std::wstring replace =
            upgrade.waitFor(L"Tarvolin 0.0.0.1 is installed for you alone in " + folder + L".");
        EXPECT_NE(replace.find(L"Installing Tarvolin " TARVO_VERSION L" for anyone who uses this computer "
                               L"removes it first"),
                  std::wstring::npos)
            << narrow(replace);
        EXPECT_TRUE(waitUntil([&] { return upgrade.buttonText(1) == L"&Next >"; }, 5s));
        PostMessageW(findChildByText(upgrade.window, L"&Only for me (no administrator rights needed)"),
                     BM_CLICK, 0, 0);
        EXPECT_TRUE(waitUntil([&] { return upgrade.buttonText(1) == L"&Upgrade"; }, 5s));
        ASSERT_TRUE(upgrade.click(1));
        ASSERT_TRUE(upgrade.finish());
        EXPECT_EQ(upgrade.process.waitExit(30s), 0u);
        EXPECT_EQ(valuesOf(HKEY_CURRENT_USER, kUninstallKey)[L"DisplayVersion"], kVersion);
    }

    // With the scope on the command line no page follows the welcome page: it upgrades.
    markOlder(HKEY_CURRENT_USER);
    Wizard fixed;
    ASSERT_TRUE(fixed.start(setup, L"/CurrentUser", L"Welcome"));
    EXPECT_NE(fixed.waitFor(installed).find(L"Click Upgrade to continue."), std::wstring::npos);
    EXPECT_EQ(fixed.buttonText(1), L"&Upgrade");
    ASSERT_TRUE(fixed.click(1));
    ASSERT_TRUE(fixed.finish());
    EXPECT_EQ(fixed.process.waitExit(30s), 0u);
    EXPECT_EQ(valuesOf(HKEY_CURRENT_USER, kUninstallKey)[L"DisplayVersion"], kVersion);
}

// The folder page keeps what the user typed when the user goes back and on again with the same
// choice of scope; the other choice has its own default.
TEST_F(Installer, TheFolderPageKeepsATypedFolderAfterBack) {
    TempFolder tools(L"MyTools");
    const std::wstring typed = tools.file(L"Tarv");
    Wizard wizard;
    ASSERT_TRUE(wizard.start(setup, L"", L"Welcome"));
    ASSERT_TRUE(wizard.click(1));
    ASSERT_FALSE(wizard.waitFor(L"Install Tarvolin for:").empty());
    ASSERT_TRUE(wizard.click(1));
    ASSERT_FALSE(wizard.waitFor(L"Destination Folder").empty());
    EXPECT_EQ(windowText(folderEdit(wizard.window)), perUserFolder());
    SetWindowTextW(folderEdit(wizard.window), typed.c_str());
    ASSERT_TRUE(wizard.click(3));
    ASSERT_FALSE(wizard.waitFor(L"Install Tarvolin for:").empty());
    ASSERT_TRUE(wizard.click(1));
    ASSERT_FALSE(wizard.waitFor(L"Destination Folder").empty());
    EXPECT_EQ(windowText(folderEdit(wizard.window)), typed);

    ASSERT_TRUE(wizard.click(3));
    ASSERT_FALSE(wizard.waitFor(L"Install Tarvolin for:").empty());
    PostMessageW(findChildByText(wizard.window, kAnyone), BM_CLICK, 0, 0);
    settle(wizard.window);
    ASSERT_TRUE(wizard.click(1));
    ASSERT_FALSE(wizard.waitFor(L"Destination Folder").empty());
    EXPECT_EQ(windowText(folderEdit(wizard.window)), allUsersFolder());
    ASSERT_TRUE(wizard.click(3));
    ASSERT_FALSE(wizard.waitFor(L"Install Tarvolin for:").empty());
    PostMessageW(findChildByText(wizard.window, L"&Only for me (no administrator rights needed)"),
                 BM_CLICK, 0, 0);
    settle(wizard.window);
    ASSERT_TRUE(wizard.click(1));
    ASSERT_FALSE(wizard.waitFor(L"Destination Folder").empty());
    EXPECT_EQ(windowText(folderEdit(wizard.window)), typed);

    // Installed there.
    ASSERT_TRUE(wizard.click(1));
    ASSERT_TRUE(wizard.finish());
    EXPECT_EQ(wizard.process.waitExit(30s), 0u);
    expectProgramIn(typed);
    expectEntry(HKEY_CURRENT_USER, typed);
}

// For every user: under Program Files with HKLM entries and the common Start menu; removed
// cleanly, keeping the user's data folder.
TEST_F(Installer, AllUsersInstallAndRemoval) {
    ASSERT_EQ(install(L"/S /allusers"), 0u);
    const std::wstring folder = allUsersFolder();
    expectProgramIn(folder);
    expectEntry(HKEY_LOCAL_MACHINE, folder);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey)) << "an all-users install wrote HKCU";
    const auto shortcut = shortcutTarget(commonShortcut());
    ASSERT_TRUE(shortcut.has_value()) << "no Start-menu entry for every user";
    EXPECT_EQ(shortcut->first, folder + L"\\Tarvo.exe");
    EXPECT_FALSE(fileExists(userShortcut()));

    CreateDirectoryW(userDataFolder().c_str(), nullptr);
    ASSERT_TRUE(writeFile(userDataFolder() + L"\\MRU.INI", "[a.exe]\r\n0=0\r\n"));
    ASSERT_EQ(runToTheEnd(folder + L"\\unins000.exe", L"/SILENT"), 0u);
    EXPECT_FALSE(fileExists(folder));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(fileExists(commonShortcut()));
    EXPECT_EQ(readFile(userDataFolder() + L"\\MRU.INI"), "[a.exe]\r\n0=0\r\n")
        << "the user's data went without being asked";
}

// Without a switch the uninstaller asks first and says where the data files will be; its box
// "Also delete my argument history and settings" starts clear. Clear, the program folder's
// files move to the user's folder, except one whose name is taken there, which stays; ticked,
// both places lose them. Run in place (_?=) so that the test holds the process whose window
// it drives.
TEST_F(Installer, TheUninstallerKeepsTheUsersDataWhereItsPageSaysAndDeletesItOnlyWhenAsked) {
    ASSERT_EQ(install(L"/S"), 0u);
    const std::wstring folder = perUserFolder(), data = userDataFolder();
    ASSERT_TRUE(writeFile(folder + L"\\MRU.INI", "[new.exe]\r\n0=0\r\n"));
    ASSERT_TRUE(writeFile(folder + L"\\Settings.ini", "[ASSOCIATION]\r\n"));
    // A history that an earlier removal kept already: never overwritten.
    CreateDirectoryW(data.c_str(), nullptr);
    ASSERT_TRUE(writeFile(data + L"\\MRU.INI", "[old.exe]\r\n0=0\r\n"));

    const std::wstring kept = uninstallOnItsPage(folder, false);
    EXPECT_NE(kept.find(L"are kept in " + data + L","), std::wstring::npos) << narrow(kept);
    EXPECT_NE(kept.find(L"MRU.INI stays in " + folder + L","), std::wstring::npos) << narrow(kept);
    EXPECT_EQ(readFile(data + L"\\MRU.INI"), "[old.exe]\r\n0=0\r\n");
    EXPECT_EQ(readFile(data + L"\\Settings.ini"), "[ASSOCIATION]\r\n");
    EXPECT_EQ(readFile(folder + L"\\MRU.INI"), "[new.exe]\r\n0=0\r\n");
    EXPECT_EQ(filesIn(folder), (std::set<std::wstring>{L"MRU.INI", L"unins000.exe"}));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));

    // Installed again in the same folder (what the in-place uninstall left is Tarvolin's own:
    // no folder of its own inside it; the folder's MRU.INI stays; Settings.ini comes back),
    // then removed with the box ticked: no data anywhere.
    ASSERT_EQ(install(L"/S"), 0u);
    expectEntry(HKEY_CURRENT_USER, folder);
    EXPECT_EQ(readFile(folder + L"\\MRU.INI"), "[new.exe]\r\n0=0\r\n");
    EXPECT_EQ(readFile(folder + L"\\Settings.ini"), "[ASSOCIATION]\r\n");
    ASSERT_TRUE(writeFile(data + L"\\MRU.INI.lock", ""));
    uninstallOnItsPage(folder, true);
    EXPECT_FALSE(fileExists(data)) << "the data folder stayed although the box was ticked";
    EXPECT_EQ(filesIn(folder), std::set<std::wstring>{L"unins000.exe"});
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
}

}  // namespace
}  // namespace e2e

// End-to-end: Tarvo.exe started without a file shows only its settings window, where
// extensions are added through the input box and their verbs land in the real registry and
// Settings.ini; "/cleareg" then removes every verb without showing anything. Also the icon
// and version record that the built executable carries.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "driver.h"

namespace e2e {
namespace {

// --- windows of another process ----------------------------------------------------------------

struct ProcessWindows {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK collectVisible(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<ProcessWindows*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == search->pid && IsWindowVisible(hwnd)) search->found.push_back(hwnd);
    return TRUE;
}

// The process's visible top-level windows, owned or not.
std::vector<HWND> visibleWindows(DWORD pid) {
    ProcessWindows search{pid, {}};
    EnumWindows(collectVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A visible top-level window of the process holding a child with this text (a dialog box by
// its prompt), once it answers messages.
HWND waitForWindowWith(DWORD pid, const std::wstring& childText) {
    return waitForWindowOf(pid, [&](HWND w) { return findChildByText(w, childText) != nullptr; });
}

RECT clientRectOf(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// --- registry ------------------------------------------------------------------------------------

std::optional<std::wstring> defaultValue(const std::wstring& key) {
    wchar_t buffer[2048];
    DWORD bytes = sizeof buffer;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer,
                     &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

bool keyExists(const std::wstring& key) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

// What the system's own "reg query" says of a key under HKEY_CLASSES_ROOT: its exit code,
// 0 when the key stands, 1 when it does not.
std::optional<DWORD> regQuery(const std::wstring& key) {
    wchar_t system[MAX_PATH];
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::nullopt;
    Process reg =
        Process::start(std::wstring(system) + L"\\reg.exe", L"query \"HKCR\\" + key + L"\"", L"");
    if (!reg) return std::nullopt;
    auto code = reg.waitExit(30s);
    if (!code) reg.terminate();
    return code;
}

// Extension keys naming a file type, as the system would have them; put back as they were
// found at the end, and the file types' keys the test made removed.
class ExtensionKeys {
public:
    explicit ExtensionKeys(std::vector<std::pair<std::wstring, std::wstring>> extensions)
        : extensions_(std::move(extensions)) {
        for (const auto& [ext, type] : extensions_) {
            before_[ext] = defaultValue(ext);
            typeExisted_[type] = keyExists(type);
            RegSetValueW(HKEY_CLASSES_ROOT, ext.c_str(), REG_SZ, type.c_str(), 0);
        }
    }
    ~ExtensionKeys() {
        for (const auto& [ext, type] : extensions_) {
            if (!typeExisted_[type]) RegDeleteTreeW(HKEY_CLASSES_ROOT, type.c_str());
            if (const auto& old = before_[ext])
                RegSetValueW(HKEY_CLASSES_ROOT, ext.c_str(), REG_SZ, old->c_str(), 0);
            else
                RegDeleteTreeW(HKEY_CLASSES_ROOT, ext.c_str());
        }
    }
    ExtensionKeys(const ExtensionKeys&) = delete;
    ExtensionKeys& operator=(const ExtensionKeys&) = delete;

private:
    std::vector<std::pair<std::wstring, std::wstring>> extensions_;
    std::map<std::wstring, std::optional<std::wstring>> before_;
    std::map<std::wstring, bool> typeExisted_;
};

// --- the message box's icon
// ------------------------------------------------------------------------

BOOL CALLBACK matchIconControl(HWND hwnd, LPARAM lp) {
    if (className(hwnd) == L"Static" &&
        (GetWindowLongW(hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HWND*>(lp) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The static control that shows a dialog box's icon.
HWND iconControlOf(HWND box) {
    HWND found = nullptr;
    EnumChildWindows(box, matchIconControl, reinterpret_cast<LPARAM>(&found));
    return found;
}

// How far the screen's pixels under the window differ from the system icon drawn on the
// same background; 0 is a perfect match. Nothing when the screen cannot be read back (Wine's
// null display driver shows one flat colour).
std::optional<long long> iconDistance(HWND iconControl, HICON icon) {
    RECT r{};
    GetWindowRect(iconControl, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC shot = CreateCompatibleDC(screen), drawn = CreateCompatibleDC(screen);
    HBITMAP shotBits = CreateCompatibleBitmap(screen, w, h);
    HBITMAP drawnBits = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ oldShot = SelectObject(shot, shotBits), oldDrawn = SelectObject(drawn, drawnBits);
    BitBlt(shot, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    const COLORREF background = GetPixel(shot, 0, 0);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all{0, 0, w, h};
    FillRect(drawn, &all, brush);
    DeleteObject(brush);
    DrawIconEx(drawn, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);

    long long distance = 0;
    bool flat = true;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const COLORREF a = GetPixel(shot, x, y), b = GetPixel(drawn, x, y);
            flat = flat && a == background;
            distance += std::abs(GetRValue(a) - GetRValue(b)) +
                        std::abs(GetGValue(a) - GetGValue(b)) +
                        std::abs(GetBValue(a) - GetBValue(b));
        }
    }
    SelectObject(shot, oldShot);
    SelectObject(drawn, oldDrawn);
    DeleteObject(shotBits);
    DeleteObject(drawnBits);
    DeleteDC(shot);
    DeleteDC(drawn);
    ReleaseDC(nullptr, screen);
    if (flat) return std::nullopt;
    return distance;
}

// --- the test ------------------------------------------------------------------------------------

constexpr wchar_t kAddPrompt[] = L"Please Enter File Extension:";
constexpr wchar_t kAddFailed[] = L"Windows is not set to handle this file extension";
constexpr wchar_t kVerbTxt[] = L"txtfile\\shell\\Tarvolin";
constexpr wchar_t kVerbLog[] = L"logfile\\shell\\Tarvolin";

class SettingsE2E : public testing::Test {
protected:
    void SetUp() override {
        const std::wstring built = builtProgram(L"Tarvo.exe", L"TARVO_EXE");
        ASSERT_TRUE(fileExists(built)) << narrow(built) << " has not been built";
        ASSERT_TRUE(CopyFileW(built.c_str(), exe.c_str(), FALSE));
    }
    void TearDown() override {
        if (tarvo) tarvo.terminate();
    }

    // "&Add", the extension typed into the input box, OK.
    void add(HWND settings, const std::wstring& extension) {
        ASSERT_TRUE(bringToFront(settings));
        pressWithAlt('A');
        HWND box = waitForWindowWith(tarvo.pid(), kAddPrompt);
        ASSERT_NE(box, nullptr) << "the input box did not appear";
        EXPECT_EQ(windowText(box), L"Tarvolin");
        ASSERT_TRUE(bringToFront(box));
        EXPECT_EQ(className(focusOf(box)), L"Edit");
        typeText(extension);
        pressKey(VK_RETURN);
        // The extension is recorded after the box has closed, in the same handler: once the
        // box is gone, the window's next answer comes after that handler (or from inside a
        // message box the handler shows, which the caller waits for).
        const auto end = std::chrono::steady_clock::now() + 15s;
        while (IsWindow(box) && std::chrono::steady_clock::now() < end) Sleep(25);
        EXPECT_FALSE(IsWindow(box)) << "the input box did not close";
        settle(settings);
    }

    TempFolder program{L"Tarvo Settings \u00e9"};
    std::wstring exe = program.file(L"Tarvo.exe");
    Process tarvo;
};

TEST_F(SettingsE2E, AddedVerbsReachTheRegistryAndClearegRemovesThemSilently) {
    ExtensionKeys keys({{L".txt", L"txtfile"}, {L".log", L"logfile"}});

    tarvo = Process::start(exe, L"", program.path());
    ASSERT_TRUE(tarvo);
    HWND settings = waitForWindow(tarvo.pid(), 30s);
    ASSERT_NE(settings, nullptr) << "no window appeared";

    // Only the settings window, in its layout for a start without a file.
    EXPECT_EQ(visibleWindows(tarvo.pid()).size(), 1u) << "the argument dialog is visible too";
    HWND runNow = findChildByText(settings, L"Run a File &Now...");
    ASSERT_NE(runNow, nullptr);
    EXPECT_TRUE(IsWindowVisible(runNow));
    RECT client{};
    GetClientRect(settings, &client);
    EXPECT_EQ(client.bottom, (5555 - 300 - 45) / 15);  // outer height less the design frame
    HWND about = findChildByText(settings, L" About: ");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(clientRectOf(about).top, 695 / 15);

    add(settings, L"txt");
    add(settings, L"log");
    HWND list = FindWindowExW(settings, nullptr, L"ListBox", nullptr);
    const auto listed = std::chrono::steady_clock::now() + 15s;
    while (SendMessageW(list, LB_GETCOUNT, 0, 0) < 2 && std::chrono::steady_clock::now() < listed)
        Sleep(25);
    const std::wstring command = L"\"" + program.path() + L"\\Tarvo.exe\" %1";
    EXPECT_EQ(defaultValue(std::wstring(kVerbTxt) + L"\\command"), command);
    EXPECT_EQ(defaultValue(std::wstring(kVerbLog) + L"\\command"), command);
    EXPECT_EQ(regQuery(std::wstring(kVerbTxt) + L"\\command"), 0u);
    EXPECT_EQ(regQuery(std::wstring(kVerbLog) + L"\\command"), 0u);
    const auto ini = readFile(program.file(L"Settings.ini"));
    EXPECT_EQ(ini, "[ASSOCIATION]\r\n0=txt\r\n1=log\r\n");
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);

    // An extension the system does not know: the stop message, and nothing recorded.
    add(settings, L"tarvo-unknown");
    HWND message = waitForWindowWith(tarvo.pid(), kAddFailed);
    ASSERT_NE(message, nullptr) << "no failure message";
    EXPECT_EQ(windowText(message), L"Tarvolin");
    HWND icon = iconControlOf(message);
    ASSERT_NE(icon, nullptr) << "the message has no icon";
    Sleep(300);  // drawn
    if (const auto stop = iconDistance(icon, LoadIconW(nullptr, IDI_HAND))) {
        for (LPCWSTR other : {IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK})
            EXPECT_LT(*stop, iconDistance(icon, LoadIconW(nullptr, other)).value_or(0))
                << "not the stop sign";
    } else {
        std::cout << "[ NOTE     ] no screen to read back: the message's icon is not compared\n";
    }
    ASSERT_TRUE(bringToFront(message));
    pressKey(VK_RETURN);
    EXPECT_EQ(readFile(program.file(L"Settings.ini")), ini);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);

    // OK closes the window, and with no file loaded the program ends.
    ASSERT_TRUE(bringToFront(settings));
    pressWithAlt('O');
    EXPECT_TRUE(tarvo.waitExit(15s).has_value()) << "Tarvo.exe did not end after OK";

    // "/cleareg": no window at any moment, the program ends by itself.
    Process clear = Process::start(exe, L"/cleareg", program.path());
    ASSERT_TRUE(clear);
    size_t shown = 0;
    std::optional<DWORD> code;
    const auto end = std::chrono::steady_clock::now() + 15s;
    while (!(code = clear.waitExit(10ms)) && std::chrono::steady_clock::now() < end)
        shown = std::max(shown, visibleWindows(clear.pid()).size());
    ASSERT_TRUE(code.has_value()) << "Tarvo.exe /cleareg did not end";
    EXPECT_EQ(*code, 0u);
    EXPECT_EQ(shown, 0u) << "/cleareg showed a window";

    for (const wchar_t* verb : {kVerbTxt, kVerbLog}) {
        SCOPED_TRACE(narrow(verb));
        EXPECT_FALSE(keyExists(std::wstring(verb) + L"\\command"));
        EXPECT_FALSE(keyExists(verb));
        EXPECT_EQ(regQuery(verb), 1u) << "reg query still finds the verb";
    }
    EXPECT_TRUE(keyExists(L"txtfile\\shell"));
    EXPECT_TRUE(keyExists(L"logfile\\shell"));
    EXPECT_EQ(defaultValue(L".txt"), L"txtfile");
    EXPECT_EQ(defaultValue(L".log"), L"logfile");
    EXPECT_EQ(readFile(program.file(L"Settings.ini")), ini);
}

// The installer's entry for a per-user installation, naming a folder; put back as it was.
class PerUserInstallation {
public:
    explicit PerUserInstallation(const std::wstring& folder) {
        wchar_t old[2048];
        DWORD bytes = sizeof old;
        if (RegGetValueW(HKEY_CURRENT_USER, kKey, L"InstallLocation", RRF_RT_REG_SZ, nullptr, old,
                         &bytes) == ERROR_SUCCESS)
            before_ = old;
        RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"InstallLocation", REG_SZ, folder.c_str(),
                        static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    }
    ~PerUserInstallation() {
        if (before_)
            RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"InstallLocation", REG_SZ, before_->c_str(),
                            static_cast<DWORD>((before_->size() + 1) * sizeof(wchar_t)));
        else
            RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    }
    PerUserInstallation(const PerUserInstallation&) = delete;
    PerUserInstallation& operator=(const PerUserInstallation&) = delete;

private:
    static constexpr const wchar_t* kKey =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvolin";
    std::optional<std::wstring> before_;
};

std::optional<std::wstring> valueUnder(HKEY root, const std::wstring& key) {
    wchar_t buffer[2048];
    DWORD bytes = sizeof buffer;
    if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer, &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

// Started from a per-user installation (the user's list of installed programs names its
// folder, as the installer writes it), Add puts the verb in the user's own classes and never
// machine-wide, where every user of the computer would get it; the verb opens the dialog on a
// file; "/cleareg" takes it out of the user's classes again.
TEST_F(SettingsE2E, APerUserInstallationRegistersForItsUserOnly) {
    ExtensionKeys keys({std::pair<std::wstring, std::wstring>{L".tarvopu", L"TarvoPerUser.File"}});
    // Spelt as the installer may: another letter case, a closing backslash.
    std::wstring spelt = program.path() + L"\\";
    CharUpperBuffW(spelt.data(), 1);
    const PerUserInstallation installed(spelt);
    const std::wstring verb = L"Software\\Classes\\TarvoPerUser.File\\shell\\Tarvolin";
    const std::wstring command = L"\"" + program.path() + L"\\Tarvo.exe\" %1";

    tarvo = Process::start(exe, L"", program.path());
    ASSERT_TRUE(tarvo);
    HWND settings = waitForWindow(tarvo.pid(), 30s);
    ASSERT_NE(settings, nullptr) << "no window appeared";
    add(settings, L"tarvopu");
    EXPECT_EQ(readFile(program.file(L"Settings.ini")), "[ASSOCIATION]\r\n0=tarvopu\r\n");
    EXPECT_EQ(valueUnder(HKEY_CURRENT_USER, verb + L"\\command"), command);
    EXPECT_EQ(valueUnder(HKEY_LOCAL_MACHINE, verb + L"\\command"), std::nullopt)
        << "the verb was written for every user";
    HKEY machine = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, verb.c_str(), 0, KEY_READ, &machine),
              ERROR_SUCCESS);
    if (machine) RegCloseKey(machine);
    ASSERT_TRUE(bringToFront(settings));
    pressWithAlt('O');
    ASSERT_TRUE(tarvo.waitExit(15s).has_value()) << "Tarvo.exe did not end after OK";

    // The verb's command as the shell runs it: the placeholder becomes the file's path. (Wine
    // keeps the classes root in the machine's branch and does not merge the user's classes
    // into it, so its shell cannot be asked for the verb itself.)
    TempFolder files{L"Per User"};
    const std::wstring document = files.file(L"job.tarvopu");
    ASSERT_TRUE(writeFile(document, "x"));
    std::wstring line = *valueUnder(HKEY_CURRENT_USER, verb + L"\\command");
    line.replace(line.find(L"%1"), 2, document);
    const std::wstring quotedExe = L"\"" + exe + L"\" ";
    ASSERT_EQ(line.rfind(quotedExe, 0), 0u) << narrow(line);
    tarvo = Process::start(exe, line.substr(quotedExe.size()), files.path());
    ASSERT_TRUE(tarvo);
    HWND dialog = waitForWindowOf(
        tarvo.pid(), [](HWND w) { return findChildByText(w, L"job.tarvopu:") != nullptr; }, 30s);
    EXPECT_NE(dialog, nullptr) << "the verb did not open the dialog on the file";
    if (dialog && bringToFront(dialog)) pressKey(VK_ESCAPE);
    EXPECT_TRUE(tarvo.waitExit(15s).has_value());
    tarvo.terminate();

    Process clear = Process::start(exe, L"/cleareg", program.path());
    ASSERT_TRUE(clear);
    ASSERT_TRUE(clear.waitExit(15s).has_value()) << "Tarvo.exe /cleareg did not end";
    EXPECT_EQ(valueUnder(HKEY_CURRENT_USER, verb + L"\\command"), std::nullopt);
    HKEY user = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, verb.c_str(), 0, KEY_READ, &user), ERROR_SUCCESS);
    if (user) RegCloseKey(user);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\TarvoPerUser.File");
}

// Opened with "?" from the dialog, the settings window takes the keyboard, and its "&OK" hands
// the dialog back: the program goes on until the dialog ends, without launching anything.
TEST_F(SettingsE2E, FromTheDialogOkGoesBackToTheDialog) {
    const std::wstring target = program.file(L"target.bat");
    ASSERT_TRUE(writeFile(target, "@echo off\r\n"));
    tarvo = Process::start(exe, target, program.path());
    ASSERT_TRUE(tarvo);
    HWND dialog = waitForWindow(tarvo.pid(), 30s);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(bringToFront(dialog));
    // "?" is the sixth stop of the Tab order.
    for (int i = 0; i < 5; ++i) pressKey(VK_TAB);
    ASSERT_EQ(windowText(focusOf(dialog)), L"?");
    pressKey(VK_SPACE);

    HWND settings = waitForWindowWith(tarvo.pid(), L" About: ");
    ASSERT_NE(settings, nullptr);
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_EQ(visibleWindows(tarvo.pid()).size(), 1u);
    EXPECT_FALSE(IsWindowVisible(findChildByText(settings, L"Run a File &Now...")));
    EXPECT_EQ(GetAncestor(focusOf(settings), GA_ROOT), settings) << "the keyboard stayed behind";

    pressWithAlt('O');
    for (int i = 0; i < 100 && !IsWindowVisible(dialog); ++i) Sleep(20);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_FALSE(IsWindowVisible(settings));
    // The dialog comes back ready for typing, not with the keyboard on "?".
    settle(dialog);
    EXPECT_EQ(className(focusOf(dialog)), L"Edit");
    EXPECT_FALSE(tarvo.waitExit(500ms).has_value()) << "the program ended with the settings window";

    ASSERT_TRUE(bringToFront(dialog));
    pressKey(VK_ESCAPE);
    EXPECT_TRUE(tarvo.waitExit(15s).has_value()) << "Esc did not end the program";
    EXPECT_FALSE(fileExists(program.file(L"MRU.INI")));
}

// --- the executable's resources
// ----------------------------------------------------------------------

// A function of a library loaded at run time. The detour through void(*)() tells the compiler
// that the type change is meant.
template <typename F>
F procedure(HMODULE dll, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(dll, name)));
}

// version.dll is loaded at run time: the test program links only what every test needs.
class VersionInfo {
public:
    explicit VersionInfo(const std::wstring& file) : dll_(LoadLibraryW(L"version.dll")) {
        if (!dll_) return;
        auto size = procedure<DWORD(WINAPI*)(LPCWSTR, LPDWORD)>(dll_, "GetFileVersionInfoSizeW");
        auto get =
            procedure<BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID)>(dll_, "GetFileVersionInfoW");
        query_ = procedure<BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT)>(dll_, "VerQueryValueW");
        if (!size || !get || !query_) return;
        DWORD ignored = 0;
        data_.resize(size(file.c_str(), &ignored));
        if (data_.empty() || !get(file.c_str(), 0, static_cast<DWORD>(data_.size()), data_.data()))
            data_.clear();
    }
    ~VersionInfo() {
        if (dll_) FreeLibrary(dll_);
    }
    VersionInfo(const VersionInfo&) = delete;
    VersionInfo& operator=(const VersionInfo&) = delete;

    bool loaded() const { return !data_.empty(); }
    // The block at the path, and its length in the block's units.
    std::pair<void*, UINT> query(const std::wstring& path) const {
        void* value = nullptr;
        UINT length = 0;
        if (!query_(data_.data(), path.c_str(), &value, &length)) return {nullptr, 0};
        return {value, length};
    }
    std::optional<std::wstring> string(const std::wstring& key) const {
        auto [value, length] = query(L"\\StringFileInfo\\040904B0\\" + key);
        if (!value) return std::nullopt;
        std::wstring text(static_cast<const wchar_t*>(value), length);
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        return text;
    }

private:
    HMODULE dll_;
    BOOL(WINAPI* query_)(LPCVOID, LPCWSTR, LPVOID*, PUINT) = nullptr;
    std::vector<char> data_;
};

TEST(TarvoResources, VersionRecordReadsAsTheProductDescribesItself) {
    VersionInfo info(builtProgram(L"Tarvo.exe", L"TARVO_EXE"));
    ASSERT_TRUE(info.loaded()) << "Tarvo.exe has no version record";
    const std::map<std::wstring, std::wstring> expected = {{L"FileVersion", L"2.06.0002"},
                                                           {L"ProductVersion", L"2.06.0002"},
                                                           {L"ProductName", L"Tarvolin"},
                                                           {L"CompanyName", L"Pendrask"},
                                                           {L"InternalName", L"Tarvo"},
                                                           {L"OriginalFilename", L"Tarvo.exe"},
                                                           {L"Comments", L" "}};
    for (const auto& [key, value] : expected) {
        SCOPED_TRACE(narrow(key));
        EXPECT_EQ(info.string(key), value);
    }
    EXPECT_TRUE(info.string(L"LegalCopyright").has_value());

    auto [fixed, length] = info.query(L"\\");
    ASSERT_NE(fixed, nullptr);
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    const auto* v = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    EXPECT_EQ(v->dwFileVersionMS, MAKELONG(6, 2));  // 2.6
    EXPECT_EQ(v->dwFileVersionLS, MAKELONG(2, 0));  // .0.2
    EXPECT_EQ(v->dwProductVersionMS, MAKELONG(6, 2));
    EXPECT_EQ(v->dwProductVersionLS, MAKELONG(2, 0));
    EXPECT_EQ(v->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(v->dwFileType, static_cast<DWORD>(VFT_APP));

    auto [translation, bytes] = info.query(L"\\VarFileInfo\\Translation");
    ASSERT_GE(bytes, 4u);
    const auto* pair = static_cast<const WORD*>(translation);
    EXPECT_EQ(pair[0], 0x0409);
    EXPECT_EQ(pair[1], 0x04B0);
}

// The settings window's picture is the program's own icon as the built executable carries
// it, told apart from the system's default application icon by the pixels on the screen.
// (Wine does not answer another process's WM_GETICON, so the title bar is left to the
// screenshots.)
TEST_F(SettingsE2E, TheWindowShowsTheProgramsIcon) {
    tarvo = Process::start(exe, L"", program.path());
    ASSERT_TRUE(tarvo);
    HWND settings = waitForWindow(tarvo.pid(), 30s);
    ASSERT_NE(settings, nullptr) << "no window appeared";
    HWND image = iconControlOf(settings);
    ASSERT_NE(image, nullptr) << "no picture control";
    EXPECT_NE(SendMessageW(image, STM_GETICON, 0, 0), 0) << "the picture control holds no icon";

    HMODULE file = LoadLibraryExW(exe.c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(file, nullptr);
    RECT r{};
    GetClientRect(image, &r);
    auto own =
        static_cast<HICON>(LoadImageW(file, MAKEINTRESOURCEW(1), IMAGE_ICON, r.right, r.bottom, 0));
    ASSERT_NE(own, nullptr);
    Sleep(300);  // drawn
    if (const auto distance = iconDistance(image, own)) {
        EXPECT_EQ(*distance, 0) << "the picture is not the program's icon";
        EXPECT_GT(iconDistance(image, LoadIconW(nullptr, IDI_APPLICATION)).value_or(0), 0);
    } else {
        std::cout << "[ NOTE     ] no screen to read back: the picture is not compared\n";
    }
    DestroyIcon(own);
    FreeLibrary(file);
}

TEST(TarvoResources, IconGroupOneHoldsTheElevenImages) {
    const std::wstring file = builtProgram(L"Tarvo.exe", L"TARVO_EXE");
    HMODULE image = LoadLibraryExW(file.c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image, nullptr);
    HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(found, nullptr) << "no icon group with id 1";
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(image, found)));
    ASSERT_NE(data, nullptr);
    ASSERT_GE(SizeofResource(image, found), 6u);

    // The group header (reserved, type, count), then 14 bytes per image: width, height, colour
    // count, reserved, planes, bits per pixel, size, resource id.
    WORD header[3];
    std::memcpy(header, data, sizeof header);
    EXPECT_EQ(header[1], 1);  // icons
    ASSERT_EQ(header[2], 11);
    ASSERT_GE(SizeofResource(image, found), 6u + 11u * 14u);
    std::multiset<std::pair<int, int>> images;  // (size, bits per pixel)
    for (int i = 0; i < header[2]; ++i) {
        const BYTE* entry = data + 6 + 14 * i;
        WORD bits = 0;
        std::memcpy(&bits, entry + 6, sizeof bits);
        images.insert({entry[0] == 0 ? 256 : entry[0], bits});
        EXPECT_EQ(entry[0], entry[1]) << "a square image";
    }
    const std::multiset<std::pair<int, int>> expected = {{48, 4},  {32, 4},  {16, 4}, {48, 8},
                                                         {32, 8},  {24, 8},  {16, 8}, {48, 32},
                                                         {32, 32}, {24, 32}, {16, 32}};
    EXPECT_EQ(images, expected);
    FreeLibrary(image);
}

}  // namespace
}  // namespace e2e

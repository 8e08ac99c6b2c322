// Times the dialog's load (21 reads) and OK (21 writes) on MRU.INI files of 100, 10,000 and
// 100,000 records, with our engine and with the platform's own profile functions, and prints
// the ratios.
//
//   profile_bench.exe [records...]        (default: 100 10000 100000)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench_history.h"

namespace {

using tarvo::bench::kHistory;

std::wstring widen(const std::string& s) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A new process finds no cached copy of the file; the platform functions keep one per process
// and read the file again when its write time changed, so moving the write time on gives
// every timed load the cost it has in a freshly started program.
void touch(const std::wstring& file) {
    HANDLE h = CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME t;
    GetSystemTimeAsFileTime(&t);
    static ULONGLONG bump = 0;
    ULARGE_INTEGER u{{t.dwLowDateTime, t.dwHighDateTime}};
    u.QuadPart += (++bump) * 10'000'000ULL;
    t.dwLowDateTime = u.LowPart;
    t.dwHighDateTime = u.HighPart;
    SetFileTime(h, nullptr, nullptr, &t);
    CloseHandle(h);
}

// The dialog's load through the platform: key 0 with default "5", then the history keys with
// a 255-character buffer until the first empty one.
std::vector<std::wstring> platformLoad(const std::wstring& file, const std::wstring& section) {
    std::vector<std::wstring> history;
    wchar_t buffer[256];
    GetPrivateProfileStringW(section.c_str(), L"0", L"5", buffer, 255, file.c_str());
    if (std::wstring(buffer) == L"5") return history;
    for (int i = 1; i <= kHistory; ++i) {
        const std::wstring key = L" " + std::to_wstring(i);
        GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer, 255, file.c_str());
        if (buffer[0] == L'\0') break;
        history.emplace_back(buffer);
    }
    return history;
}

// The dialog's OK through the platform: 21 single writes.
void platformOk(const std::wstring& file, const std::wstring& section,
                std::vector<std::wstring>& history, const std::wstring& text) {
    WritePrivateProfileStringW(section.c_str(), L"0", L"0", file.c_str());
    WritePrivateProfileStringW(section.c_str(), L"1", text.c_str(), file.c_str());
    for (int i = 1; i <= kHistory - 1 && i <= static_cast<int>(history.size()); ++i) {
        const std::wstring key = L" " + std::to_wstring(i + 1);
        WritePrivateProfileStringW(section.c_str(), key.c_str(),
                                   history[static_cast<std::size_t>(i - 1)].c_str(), file.c_str());
    }
    history.insert(history.begin(), text);
    if (history.size() > static_cast<std::size_t>(kHistory)) history.resize(kHistory);
}

struct Times {
    double load = 0;
    double ok = 0;
    double warmLoad = 0;
};

struct Run {
    std::function<void()> load;
    std::function<void()> ok;
};

// Median times of a fresh load, the OK after it, and a load repeated in the same process.
Times measure(const std::wstring& file, const Run& run, int iterations) {
    std::vector<double> loads, oks, warm;
    for (int i = 0; i < iterations; ++i) {
        touch(file);
        double t0 = nowMs();
        run.load();
        double t1 = nowMs();
        run.ok();
        double t2 = nowMs();
        run.load();
        double t3 = nowMs();
        loads.push_back(t1 - t0);
        oks.push_back(t2 - t1);
        warm.push_back(t3 - t2);
    }
    return {median(loads), median(oks), median(warm)};
}

std::string tempFolder() {
    wchar_t base[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, base);
    std::wstring folder = std::wstring(base) + L"tarvo-profile-bench-" +
                          std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    std::string out(folder.size(), '\0');
    for (std::size_t i = 0; i < folder.size(); ++i) out[i] = static_cast<char>(folder[i]);
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(_wtoi(argv[i]));
    if (sizes.empty()) sizes = {100, 10'000, 100'000};

    const std::string folder = tempFolder();
    std::printf("%-8s %-9s %12s %12s %12s %12s\n", "records", "engine", "load ms", "OK ms",
                "load+OK ms", "warm load ms");
    for (const int records : sizes) {
        const int iterations = records >= 100'000 ? 5 : records >= 10'000 ? 15 : 51;
        const std::string bytes = tarvo::bench::historyFile(records);
        const std::string section = tarvo::bench::targetSection(records);

        const std::string ours = folder + "\\ours-MRU.INI";
        tarvo::bench::writeFile(ours, bytes);
        std::vector<std::string> ourHistory;
        long ourPress = 0;
        const Times engine = measure(
            widen(ours),
            {[&] { ourHistory = tarvo::bench::loadTarget(ours, section); },
             [&] {
                 tarvo::bench::pressOk(ours, section, ourHistory,
                                       "--press " + std::to_string(ourPress++));
             }},
            iterations);

        const std::wstring theirs = widen(folder + "\\platform-MRU.INI");
        tarvo::bench::writeFile(folder + "\\platform-MRU.INI", bytes);
        const std::wstring wideSection = widen(section);
        std::vector<std::wstring> theirHistory;
        long theirPress = 0;
        const Times platform = measure(
            theirs,
            {[&] { theirHistory = platformLoad(theirs, wideSection); },
             [&] {
                 platformOk(theirs, wideSection, theirHistory,
                            L"--press " + std::to_wstring(theirPress++));
             }},
            iterations);

        // Both files must hold the same record afterwards, or the comparison is not fair.
        const auto check = tarvo::bench::loadTarget(folder + "\\platform-MRU.INI", section);
        if (check.size() != ourHistory.size() || check.front() != "--press " + std::to_string(theirPress - 1)) {
            std::printf("the platform's file does not hold the expected record\n");
            return 1;
        }

        for (const auto& [name, t] : {std::pair{"ours", engine}, std::pair{"platform", platform}}) {
            std::printf("%-8d %-9s %12.3f %12.3f %12.3f %12.3f\n", records, name, t.load, t.ok,
                        t.load + t.ok, t.warmLoad);
        }
        std::printf("%-8d %-9s %11.1fx %11.1fx %11.1fx %11.1fx\n", records, "ratio",
                    platform.load / engine.load, platform.ok / engine.ok,
                    (platform.load + platform.ok) / (engine.load + engine.ok),
                    platform.warmLoad / engine.warmLoad);
        std::fflush(stdout);
        DeleteFileW(widen(ours).c_str());
        DeleteFileW(theirs.c_str());
    }
    DeleteFileW(widen(folder + "\\ours-MRU.INI.lock").c_str());
    RemoveDirectoryW(widen(folder).c_str());
    return 0;
}

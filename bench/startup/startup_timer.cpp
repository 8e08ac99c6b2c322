// Times a dialog program's start under Wine: from CreateProcess to the moment its window is
// visible, has a focused control and answers a message, over several runs; prints each run
// and the median in milliseconds, then closes the window (WM_CLOSE) before the next run.
//
//   startup_timer.exe RUNS PROGRAM [ARGUMENTS...]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK visibleTopLevel(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<Search*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == search->pid && IsWindowVisible(hwnd) && !GetWindow(hwnd, GW_OWNER)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Ready for input: visible, a control has the focus, and the thread is in its message loop.
bool acceptsInput(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) || !info.hwndFocus)
        return false;
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

double millisecondsSince(LARGE_INTEGER start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// One start; negative when the window never became ready.
double timeOneStart(const std::wstring& exe, const std::wstring& commandLine) {
    std::wstring line = commandLine;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi)) {
        std::fprintf(stderr, "cannot start the program (%lu)\n", GetLastError());
        return -1;
    }
    double elapsed = -1;
    HWND window = nullptr;
    while (millisecondsSince(start) < 30000) {
        Search search{pi.dwProcessId, nullptr};
        EnumWindows(visibleTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.found && acceptsInput(search.found)) {
            elapsed = millisecondsSince(start);
            window = search.found;
            break;
        }
        if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) break;
    }
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return elapsed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_timer RUNS PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    int runs = std::max(1, _wtoi(argv[1]));
    std::wstring exe = argv[2];
    std::wstring line = L"\"" + exe + L"\"";
    for (int i = 3; i < argc; ++i) line += std::wstring(L" ") + argv[i];

    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        double ms = timeOneStart(exe, line);
        if (ms < 0) {
            std::fprintf(stderr, "run %d: the window did not become ready\n", run + 1);
            return 1;
        }
        std::printf("run %d: %.1f ms\n", run + 1, ms);
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    size_t n = times.size();
    double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    std::printf("median: %.1f ms\n", median);
    return 0;
}

// Times two dialog programs' starts under Wine, alternating them: from CreateProcess to the
// moment the window is visible, has a focused control and answers a message. In each round
// the two programs take turns (A, B, A, B, ...) for STARTS starts each; the round's figure is
// the ratio of B's median to A's. A shared, noisy machine slows both programs of a round
// alike, so the ratios hold where single times do not. Prints every start, each round's
// medians and ratio, and the median of the rounds' ratios. Each window is closed (WM_CLOSE)
// before the next start.
//
//   startup_timer.exe ROUNDS STARTS PROGRAM_A [ARGUMENTS...] -- PROGRAM_B [ARGUMENTS...]
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

struct Program {
    std::wstring exe;
    std::wstring commandLine;
    std::wstring name;  // the file name, for the report
};

// One start; negative when the window never became ready.
double timeOneStart(const Program& program) {
    std::wstring line = program.commandLine;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(program.exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi)) {
        std::fprintf(stderr, "cannot start %ls (%lu)\n", program.exe.c_str(), GetLastError());
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

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

Program programFrom(wchar_t** first, wchar_t** last) {
    Program p;
    p.exe = *first;
    p.commandLine = L"\"" + p.exe + L"\"";
    for (wchar_t** arg = first + 1; arg != last; ++arg) p.commandLine += std::wstring(L" ") + *arg;
    const auto slash = p.exe.find_last_of(L"\\/");
    p.name = slash == std::wstring::npos ? p.exe : p.exe.substr(slash + 1);
    return p;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t** separator = std::find(argv + 3, argv + argc, std::wstring(L"--"));
    if (argc < 6 || separator == argv + argc || separator == argv + 3 ||
        separator + 1 == argv + argc) {
        std::fprintf(stderr,
                     "usage: startup_timer ROUNDS STARTS PROGRAM_A [ARGUMENTS...] -- "
                     "PROGRAM_B [ARGUMENTS...]\n");
        return 2;
    }
    const int rounds = std::max(1, _wtoi(argv[1]));
    const int starts = std::max(1, _wtoi(argv[2]));
    const Program a = programFrom(argv + 3, separator);
    const Program b = programFrom(separator + 1, argv + argc);

    std::vector<double> ratios, allA, allB;
    for (int round = 1; round <= rounds; ++round) {
        std::vector<double> timesA, timesB;
        for (int start = 1; start <= starts; ++start) {
            for (const Program* p : {&a, &b}) {
                const double ms = timeOneStart(*p);
                if (ms < 0) {
                    std::fprintf(stderr, "round %d, start %d: %ls did not become ready\n", round,
                                 start, p->name.c_str());
                    return 1;
                }
                std::printf("round %d, start %d: %ls %.1f ms\n", round, start, p->name.c_str(), ms);
                (p == &a ? timesA : timesB).push_back(ms);
            }
        }
        const double ma = median(timesA), mb = median(timesB);
        ratios.push_back(mb / ma);
        allA.insert(allA.end(), timesA.begin(), timesA.end());
        allB.insert(allB.end(), timesB.begin(), timesB.end());
        std::printf("round %d: %ls %.1f ms, %ls %.1f ms, ratio %.3f\n", round, a.name.c_str(), ma,
                    b.name.c_str(), mb, mb / ma);
        std::fflush(stdout);
    }
    std::printf("medians of all starts: %ls %.1f ms, %ls %.1f ms\n", a.name.c_str(), median(allA),
                b.name.c_str(), median(allB));
    std::printf("median ratio of %d rounds: %.3f\n", rounds, median(ratios));
    return 0;
}

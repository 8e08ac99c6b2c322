// Timing marks of the program's start (see startup_trace.h).
#ifdef TARVO_STARTUP_TRACE

#include "platform/win32/startup_trace.h"

#include <windows.h>

#include <cstdio>

namespace tarvo::win {
namespace {

struct Mark {
    const char* what;
    ULONGLONG at;  // 100 ns units, UTC
};

Mark gMarks[64];
int gCount = 0;
bool gWritten = false;

ULONGLONG now() {
    FILETIME t;
    GetSystemTimePreciseAsFileTime(&t);
    return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

ULONGLONG processCreated() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// Runs before every other static constructor of the program: the time until here is the
// loader's (mapping the program, loading and initialising its DLLs) and the C runtime's.
struct FirstCode {
    FirstCode() { startupMark("loader, DLLs and C runtime start-up"); }
} gFirstCode __attribute__((init_priority(101)));

}  // namespace

void startupMark(const char* what) {
    if (gWritten || gCount == static_cast<int>(sizeof gMarks / sizeof gMarks[0])) return;
    gMarks[gCount++] = Mark{what, now()};
}

void startupIdle() {
    if (gWritten) return;
    startupMark("first paint, waiting for input");
    gWritten = true;
    wchar_t path[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"TARVO_STARTUP_LOG", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    FILE* log = _wfopen(path, L"a");
    if (!log) return;
    const auto ms = [](ULONGLONG from, ULONGLONG to) {
        return static_cast<double>(static_cast<long long>(to - from)) / 1e4;
    };
    // Each start's marks under a line naming the program, so that the starts of two builds
    // can share one log.
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::fprintf(log, "# %ls\n", length > 0 && length < MAX_PATH ? self : L"?");
    const ULONGLONG origin = processCreated();
    ULONGLONG previous = origin;
    for (int i = 0; i < gCount; ++i) {
        std::fprintf(log, "%.2f %.2f %s\n", ms(origin, gMarks[i].at), ms(previous, gMarks[i].at),
                     gMarks[i].what);
        previous = gMarks[i].at;
    }
    std::fclose(log);
}

}  // namespace tarvo::win

#endif

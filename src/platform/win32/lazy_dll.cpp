// Loading system DLLs at the first call of one of their functions.
#include "platform/win32/lazy_dll.h"

// clang-format off
#include <windows.h>
#include <ole2.h>
// clang-format on

namespace tarvo::win {

void* systemFunction(const wchar_t* dll, const char* function) {
    // Only the system folder is searched, so a file of the same name beside the program or in
    // the current folder is never loaded instead. The reference taken here is never given
    // back: the saved addresses stay valid until the program ends.
    const HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(module, function));
}

namespace {
thread_local bool tOleStarted = false;
thread_local bool tOleTried = false;
}  // namespace

void ensureOle() {
    if (tOleTried) return;
    tOleTried = true;
    static const LazyFunction<decltype(&::OleInitialize)> oleInitialize{L"ole32.dll",
                                                                        "OleInitialize"};
    tOleStarted = oleInitialize && SUCCEEDED(oleInitialize(nullptr));
}

void releaseOle() {
    if (!tOleStarted) return;
    static const LazyFunction<decltype(&::OleUninitialize)> oleUninitialize{L"ole32.dll",
                                                                            "OleUninitialize"};
    if (oleUninitialize) oleUninitialize();
    tOleStarted = false;
    tOleTried = false;
}

void freeCoTaskMemory(void* memory) {
    if (!memory) return;
    static const LazyFunction<decltype(&::CoTaskMemFree)> coTaskMemFree{L"ole32.dll",
                                                                        "CoTaskMemFree"};
    if (coTaskMemFree) coTaskMemFree(memory);
}

}  // namespace tarvo::win

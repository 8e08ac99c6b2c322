// System functions that are loaded at their first call instead of at start.
//
// Every DLL in the program's import table is loaded and initialised before its first line
// runs, and some (shell32, ole32, comdlg32) bring a dozen more with them. The dialog's first
// paint needs none of them, so their functions are reached through this header instead: the
// first call loads the DLL from the system folder (never from the program's folder or the
// current one) and looks the function up; later calls use the saved address. The DLL stays
// loaded until the program ends.
//
// Adding a function: declare it at the place that calls it, with the SDK's own declaration
// as its type (decltype of the address is not a use, so no import is made), and test it
// before the call, taking the same path as when the call itself fails:
//
//     static const LazyFunction<decltype(&::SHChangeNotify)> shChangeNotify{
//         L"shell32.dll", "SHChangeNotify"};
//     if (shChangeNotify) shChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
//
// Then check that the DLL stays out of the import table (the start-up benchmark prints it):
//     x86_64-w64-mingw32-objdump -p Tarvo.exe | grep "DLL Name"
// Functions of kernel32, user32, gdi32 and comctl32, which the first paint needs anyway, are
// called directly.
#pragma once

#include <atomic>
#include <utility>

namespace tarvo::win {

// The address of `function` in the system DLL `dll` ("shell32.dll"), loading the DLL from the
// system folder if it is not loaded yet; null when either cannot be found.
void* systemFunction(const wchar_t* dll, const char* function);

template <typename Fn>
class LazyFunction {
public:
    constexpr LazyFunction(const wchar_t* dll, const char* name) : dll_(dll), name_(name) {}
    LazyFunction(const LazyFunction&) = delete;
    LazyFunction& operator=(const LazyFunction&) = delete;

    // The function, loaded at the first call; null when the system lacks it.
    Fn get() const {
        void* address = address_.load(std::memory_order_acquire);
        if (!address) {
            address = systemFunction(dll_, name_);
            address_.store(address, std::memory_order_release);
        }
        return reinterpret_cast<Fn>(address);
    }
    explicit operator bool() const { return get() != nullptr; }

    // Calls the function; test the object first where the system may lack it.
    template <typename... Args>
    decltype(auto) operator()(Args&&... args) const {
        return get()(std::forward<Args>(args)...);
    }

private:
    const wchar_t* dll_;
    const char* name_;
    mutable std::atomic<void*> address_{nullptr};
};

// OLE (with apartment-threaded COM) for the calling thread, set up at the first call on that
// thread: the shell's execute request, the open-file dialog and the folder picker expect it.
// A thread that already has COM in another model keeps it; the request then works as well as
// it can. Once per thread; releaseOle() undoes it.
void ensureOle();
// Ends OLE on the calling thread if ensureOle() set it up there.
void releaseOle();

// A CoTaskMemFree that loads ole32 only when there is memory to free.
void freeCoTaskMemory(void* memory);

}  // namespace tarvo::win

// Owners for Win32 handles and COM objects: each releases its resource exactly once, is
// movable and not copyable, so no handle outlives the operation that made it.
#pragma once

// clang-format off
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
// clang-format on

#include <utility>

#include "platform/win32/lazy_dll.h"

namespace tarvo::win {

// A handle with its release function; `Invalid` is the value meaning "none".
template <typename H, auto Release, H Invalid = H{}>
class Unique {
  public:
    Unique() = default;
    explicit Unique(H h) : h_(h) {}
    ~Unique() { reset(); }
    Unique(Unique&& o) noexcept : h_(std::exchange(o.h_, Invalid)) {}
    Unique& operator=(Unique&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, Invalid));
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;

    H get() const { return h_; }
    explicit operator bool() const { return h_ != Invalid; }
    H release() { return std::exchange(h_, Invalid); }
    void reset(H h = Invalid) {
        if (h_ != Invalid) Release(h_);
        h_ = h;
    }

  private:
    H h_ = Invalid;
};

inline void deleteFont(HFONT h) {
    DeleteObject(h);
}
inline void destroyMenu(HMENU h) {
    DestroyMenu(h);
}
inline void globalFree(HGLOBAL h) {
    GlobalFree(h);
}
inline void closeKey(HKEY h) {
    static const LazyFunction<decltype(&::RegCloseKey)> regCloseKey{L"advapi32.dll", "RegCloseKey"};
    if (regCloseKey) regCloseKey(h);
}
inline void closeHandle(HANDLE h) {
    CloseHandle(h);
}
inline void coTaskMemFree(void* p) {
    freeCoTaskMemory(p);
}
inline void destroyWindow(HWND h) {
    DestroyWindow(h);
}

using UniqueFont = Unique<HFONT, deleteFont>;
using UniqueMenu = Unique<HMENU, destroyMenu>;
using UniqueGlobal = Unique<HGLOBAL, globalFree>;
using UniqueKey = Unique<HKEY, closeKey>;
using UniqueHandle = Unique<HANDLE, closeHandle>;
using UniqueCoMem = Unique<void*, coTaskMemFree>;
using UniqueWindow = Unique<HWND, destroyWindow>;

// A received drop: DragFinish releases the shell's drop data. shell32 is loaded when the
// first drop comes.
inline void dragFinish(HDROP h) {
    static const LazyFunction<decltype(&::DragFinish)> finish{L"shell32.dll", "DragFinish"};
    if (finish) finish(h);
}
using UniqueDrop = Unique<HDROP, dragFinish>;

// A COM interface pointer that releases its reference.
template <typename T>
class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: releases what is held and hands out the slot.
    T** put() {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }

  private:
    T* p_ = nullptr;
};

// Memory locked from a global handle for the lifetime of the object.
template <typename T>
class GlobalLock {
  public:
    explicit GlobalLock(HGLOBAL h) : h_(h), p_(static_cast<T*>(::GlobalLock(h))) {}
    ~GlobalLock() {
        if (p_) ::GlobalUnlock(h_);
    }
    GlobalLock(const GlobalLock&) = delete;
    GlobalLock& operator=(const GlobalLock&) = delete;
    T* get() const { return p_; }

  private:
    HGLOBAL h_;
    T* p_;
};

}  // namespace tarvo::win

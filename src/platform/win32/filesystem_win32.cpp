// File operations on Windows through the W functions; paths are converted from UTF-8 at the call.
#include <shlobj.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/filesystem.h"
#include "platform/temporary_name.h"
#include "platform/win32/lazy_dll.h"
#include "platform/win32/startup_trace.h"

namespace tarvo::fs {
namespace {

std::atomic<WriteStepHook> gWriteStepHook{nullptr};

bool stepAllowed(WriteStep step) {
    const WriteStepHook hook = gWriteStepHook.load();
    return hook == nullptr || hook(step);
}

std::wstring widen(const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), n);
    return wide;
}

std::string narrow(const wchar_t* text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.pop_back();  // the terminating zero
    return out;
}

Result fromError(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return Result::NotFound;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return Result::Denied;
        default:
            return Result::Failed;
    }
}

// Owns one kernel handle.
class ScopedHandle {
  public:
    explicit ScopedHandle(HANDLE h) : h_(h) {}
    ~ScopedHandle() { close(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    bool close() {
        if (!valid()) return true;
        const BOOL ok = ::CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return ok != FALSE;
    }

  private:
    HANDLE h_;
};

// The final path of an existing file or folder (links followed, long names, one spelling),
// with the "\\?\" prefix the system gives it; empty when it cannot be opened.
std::wstring finalPathOf(const std::wstring& path) {
    // No access rights are needed to ask for the name; FILE_FLAG_BACKUP_SEMANTICS opens folders.
    ScopedHandle item(::CreateFileW(path.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!item.valid()) return {};
    constexpr DWORD kFlags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    const DWORD size = ::GetFinalPathNameByHandleW(item.get(), nullptr, 0, kFlags);
    if (size == 0) return {};
    std::wstring out(size, L'\0');
    const DWORD n = ::GetFinalPathNameByHandleW(item.get(), out.data(), size, kFlags);
    if (n == 0 || n >= size) return {};
    out.resize(n);
    return out;
}

// The file path names once every link is followed, so that a write replaces the linked file
// and keeps the link, and every writer of one file, however it was spelt, builds its temporary
// name beside that one file and takes one lock. While the file does not exist yet the name is
// resolved from its folder; a path that cannot be resolved is used in its full form.
std::wstring resolvedPath(const std::wstring& path) {
    std::wstring full = path;
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size != 0) {
        full.assign(size, L'\0');
        const DWORD n = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
        if (n == 0 || n >= size) {
            full = path;
        } else {
            full.resize(n);
        }
    }
    std::wstring resolved = finalPathOf(full);
    if (!resolved.empty()) return resolved;
    const std::size_t slash = full.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash + 1 == full.size()) return full;
    resolved = finalPathOf(full.substr(0, slash));
    if (resolved.empty()) return full;
    if (resolved.back() != L'\\') resolved += L'\\';
    return resolved + full.substr(slash + 1);
}

// A name beside path that no other writer uses: process id plus a per-process counter.
std::wstring temporaryName(const std::wstring& path) {
    static std::atomic<unsigned> counter{0};
    return path + widen(temporarySuffix(::GetCurrentProcessId(), ++counter));
}

// True when no process with this id runs any more; a process that cannot be asked (another
// user's) counts as running.
bool hasEnded(DWORD pid) {
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) return ::GetLastError() == ERROR_INVALID_PARAMETER;
    const bool ended = ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    ::CloseHandle(process);
    return ended;
}

// Removes the temporary files a writer of path left behind when it was ended in the middle
// of a write. Only names of our own pattern whose process has ended are touched, so a writer
// at work (ours or another's) never loses its file.
void removeLeftTemporaries(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"." : path.substr(0, slash);
    const std::wstring base = slash == std::wstring::npos ? path : path.substr(slash + 1);
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileExW((folder + L"\\" + base + L".tmp*").c_str(), FindExInfoBasic,
                                       &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return;
    const std::string narrowBase = narrow(base.c_str());
    const DWORD self = ::GetCurrentProcessId();
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const DWORD writer = writerOfTemporary(narrow(found.cFileName), narrowBase);
        if (writer == 0 || writer == self || !hasEnded(writer)) continue;
        ::DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

// Earlier versions locked a file beside the data, and left it there; writers now take a named
// mutex, so the file is nobody's lock any more and goes with the next write.
void removeOldLockFile(const std::wstring& target) {
    ::DeleteFileW((target + L".lock").c_str());
}

bool writeAll(HANDLE file, const char* data, std::size_t size) {
    while (size > 0) {
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(file, data, chunk, &written, nullptr)) return false;
        data += written;
        size -= written;
    }
    return true;
}

// RoamingAppData, spelt out so the core needs no GUID library.
constexpr KNOWNFOLDERID kRoamingAppData = {
    0x3EB685DB, 0x65F9, 0x4CF6, {0xA0, 0x3A, 0xE3, 0xEF, 0x65, 0x72, 0x9F, 0x3D}};

}  // namespace

Result readFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    ScopedHandle file(::CreateFileW(widen(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return fromError(::GetLastError());
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) {
        bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    }
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            bytes.clear();
            return Result::Failed;
        }
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    return Result::Ok;
}

// Windows has no permission bits to set: mode is for the systems that do.
Result replaceFile(const std::string& path, std::string_view bytes, FileMode /*mode*/) {
    const std::wstring target = resolvedPath(widen(path));
    // Windows refuses to move over a read-only file, but not every file system under it
    // does (Wine as root); the check keeps a file the user marked read-only as it is.
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        return Result::Denied;
    }
    const std::wstring temp = temporaryName(target);
    ScopedHandle file(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return fromError(::GetLastError());

    auto fail = [&](Result result) {
        file.close();
        ::DeleteFileW(temp.c_str());
        return result;
    };
    if (!stepAllowed(WriteStep::TempOpened)) return fail(Result::Failed);
    const std::size_t half = bytes.size() / 2;
    if (!writeAll(file.get(), bytes.data(), half)) return fail(fromError(::GetLastError()));
    if (!stepAllowed(WriteStep::TempHalfWritten)) return fail(Result::Failed);
    if (!writeAll(file.get(), bytes.data() + half, bytes.size() - half)) {
        return fail(fromError(::GetLastError()));
    }
    if (!::FlushFileBuffers(file.get())) return fail(Result::Failed);
    if (!stepAllowed(WriteStep::TempFlushed)) return fail(Result::Failed);
    if (!file.close()) return fail(Result::Failed);
    if (!stepAllowed(WriteStep::BeforeReplace)) return fail(Result::Failed);
    // MOVEFILE_WRITE_THROUGH returns only when the move is on disk. Windows refuses to replace
    // a file another process has open, and a running copy loading its history holds the file
    // for a few milliseconds without the lock: wait for it (up to about two seconds).
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(temp.c_str(), target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            break;
        }
        const DWORD error = ::GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || attempt == 200) {
            return fail(fromError(error));
        }
        ::Sleep(attempt < 10 ? 1 : 10);
    }
    // The new content is in place: a hook here can still end the process, but cannot undo it.
    (void)stepAllowed(WriteStep::AfterReplace);
    removeLeftTemporaries(target);
    removeOldLockFile(target);
    return Result::Ok;
}

Result removeFile(const std::string& path) {
    if (!::DeleteFileW(widen(path).c_str())) return fromError(::GetLastError());
    return Result::Ok;
}

std::vector<std::string> listFolder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((widen(folder) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = narrow(found.cFileName);
        if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

bool isMissingOrEmpty(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data)) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && data.nFileSizeHigh == 0 &&
           data.nFileSizeLow == 0;
}

bool isWritableFolder(const std::string& folder) {
    const std::wstring probe = temporaryName(widen(folder) + L"\\.tarvolin-probe");
    ScopedHandle file(::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    tarvo::win::startupMark("data folder checked (a test file made and deleted)");
    return file.valid();
}

bool ensureFolder(const std::string& folder) {
    const std::wstring wide = widen(folder);
    if (!::CreateDirectoryW(wide.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        return false;
    }
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ensureFolderPath(const std::string& folder) {
    // Past the drive ("C:\") or the server and share ("\\server\share\"), each level in turn.
    std::size_t start = 0;
    if (folder.rfind("\\\\", 0) == 0) {
        const std::size_t share = folder.find('\\', 2);
        start = share == std::string::npos ? folder.size() : folder.find('\\', share + 1);
    } else if (folder.size() > 2 && folder[1] == ':') {
        start = 2;
    }
    for (std::size_t slash = folder.find_first_of("\\/", start + 1);
         start != std::string::npos && slash != std::string::npos;
         slash = folder.find_first_of("\\/", slash + 1)) {
        ::CreateDirectoryW(widen(folder.substr(0, slash)).c_str(), nullptr);
    }
    return ensureFolder(folder);
}

std::string userDataFolder() {
    // shell32 is loaded only here: the program folder is usually writable, and then the
    // dialog never asks.
    static const tarvo::win::LazyFunction<decltype(&::SHGetKnownFolderPath)> knownFolder{
        L"shell32.dll", "SHGetKnownFolderPath"};
    PWSTR known = nullptr;
    std::string folder;
    if (knownFolder && SUCCEEDED(knownFolder(kRoamingAppData, KF_FLAG_DEFAULT, nullptr, &known))) {
        folder = narrow(known);
    }
    tarvo::win::freeCoTaskMemory(known);
    if (folder.empty()) {
        wchar_t buffer[MAX_PATH * 4];
        const DWORD n = ::GetEnvironmentVariableW(L"APPDATA", buffer, MAX_PATH * 4);
        if (n > 0 && n < MAX_PATH * 4) folder = narrow(buffer);
    }
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder;
}

// Writers of one file are serialised by a named mutex, so no lock file stays beside the data:
// the system releases the mutex of a writer that dies, and removes it with its last handle.
// The name comes from the file's resolved path with its letter case folded, as the file
// system compares names, so every spelling of one file meets at one mutex. It lives in the
// session's namespace: one in the global namespace could be created first by another user of
// the machine, who could then hold it and stop every write of ours.
struct FileLock::Impl {
    HANDLE mutex;
};

namespace {

std::wstring lockName(const std::string& guardedPath) {
    std::wstring path = resolvedPath(widen(guardedPath));
    // The same file named with and without the prefix for long paths.
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        path = L"\\" + path.substr(7);
    } else if (path.rfind(L"\\\\?\\", 0) == 0) {
        path = path.substr(4);
    }
    if (!path.empty()) {
        const int size = static_cast<int>(path.size());
        ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, path.data(), size, path.data(),
                        size, nullptr, nullptr, 0);
    }
    // Mutex names are short and may hold no backslash: the path goes in as a 64-bit hash. Two
    // files that happened to share one would only take turns, never lose a write.
    std::uint64_t hash = 0xCBF29CE484222325u;
    for (const wchar_t c : path) {
        hash ^= static_cast<std::uint16_t>(c);
        hash *= 0x100000001B3u;
    }
    std::wstring name = L"Local\\Tarvolin.write.";
    for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(hash >> shift) & 0xF];
    return name;
}

}  // namespace

FileLock::FileLock(const std::string& guardedPath) {
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, lockName(guardedPath).c_str());
    if (mutex == nullptr) return;
    // WAIT_ABANDONED: the last holder died. Its write either replaced the file whole or never
    // reached it, so the lock is ours to take.
    const DWORD wait = ::WaitForSingleObject(mutex, INFINITE);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        ::CloseHandle(mutex);
        return;
    }
    impl_ = std::make_unique<Impl>(Impl{mutex});
}

FileLock::~FileLock() {
    if (!impl_) return;
    ::ReleaseMutex(impl_->mutex);
    ::CloseHandle(impl_->mutex);
}

void setWriteStepHook(WriteStepHook hook) {
    gWriteStepHook.store(hook);
}

}  // namespace tarvo::fs

// File operations on Windows through the W functions; paths are converted from UTF-8 at the call.
#include <shlobj.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "platform/filesystem.h"
#include "platform/temporary_name.h"

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
    const std::wstring target = widen(path);
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
    PWSTR known = nullptr;
    std::string folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(kRoamingAppData, KF_FLAG_DEFAULT, nullptr, &known))) {
        folder = narrow(known);
    }
    ::CoTaskMemFree(known);
    if (folder.empty()) {
        wchar_t buffer[MAX_PATH * 4];
        const DWORD n = ::GetEnvironmentVariableW(L"APPDATA", buffer, MAX_PATH * 4);
        if (n > 0 && n < MAX_PATH * 4) folder = narrow(buffer);
    }
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder;
}

// The lock file stays beside the guarded file (hidden): removing it safely while another
// process waits on it would need delete-pending semantics that not every file system keeps.
struct FileLock::Impl {
    HANDLE file;
};

FileLock::FileLock(const std::string& guardedPath) {
    const HANDLE file =
        ::CreateFileW(widen(guardedPath + ".lock").c_str(), GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    OVERLAPPED whole{};
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole)) {
        ::CloseHandle(file);
        return;
    }
    impl_ = std::make_unique<Impl>(Impl{file});
}

FileLock::~FileLock() {
    if (!impl_) return;
    OVERLAPPED whole{};
    ::UnlockFileEx(impl_->file, 0, 1, 0, &whole);
    ::CloseHandle(impl_->file);
}

void setWriteStepHook(WriteStepHook hook) {
    gWriteStepHook.store(hook);
}

}  // namespace tarvo::fs

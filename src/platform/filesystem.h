// File operations the profile engine needs, behind one portable interface. Paths are UTF-8
// with Windows separators ("C:\dir\MRU.INI"); the POSIX implementation reads each backslash
// as a slash, so the core composes paths the same way on every platform.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo::fs {

enum class Result { Ok, NotFound, Denied, Failed };

// Reads the whole file. NotFound when it does not exist.
Result readFile(const std::string& path, std::string& bytes);

// The permissions replaceFile gives the new file where the system has them (ignored on
// Windows): those of the file it replaces (the user's umask for a new one), or runnable by
// its owner and readable by all (0755), which a desktop asks of the menu files it trusts.
enum class FileMode { Keep, Executable };

// Writes bytes to a temporary file in the same folder, flushes it to disk and puts it in
// place of path in one step. A path that is a symbolic link keeps its link: the file it leads
// to is replaced, with the temporary file beside it. On any failure the file is left exactly
// as it was and the temporary file is removed.
Result replaceFile(const std::string& path, std::string_view bytes,
                   FileMode mode = FileMode::Keep);

// Deletes the file. NotFound when it was not there.
Result removeFile(const std::string& path);

// The names of the entries in folder (no "." or ".."), in no particular order; empty when
// the folder cannot be read.
std::vector<std::string> listFolder(const std::string& folder);

// True when the file does not exist or holds no bytes.
bool isMissingOrEmpty(const std::string& path);

// True when a file can be created in folder (checked by creating and removing one).
bool isWritableFolder(const std::string& folder);

// Creates folder when missing (one level). True when it exists afterwards.
bool ensureFolder(const std::string& folder);

// Creates folder and every missing folder above it. True when it exists afterwards.
bool ensureFolderPath(const std::string& folder);

// The per-user application-data folder ("%APPDATA%" on Windows, "$XDG_DATA_HOME" or
// "~/.local/share" elsewhere), without a trailing separator; empty when unknown.
std::string userDataFolder();

// An exclusive lock across processes on the guarded file, held for the object's lifetime and
// dropped by the system when the holder dies; every path that leads to one file (links,
// letter case on Windows) takes the same lock. Nothing of it stays beside the file: Windows
// takes a named mutex, POSIX an flock on a file beside the guarded one (its resolved path +
// ".lock") that the holder removes. locked() is false when the lock could not be taken (on
// POSIX a read-only folder); callers then go on without it, since a write there fails anyway.
class FileLock {
public:
    explicit FileLock(const std::string& guardedPath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool locked() const { return impl_ != nullptr; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Points inside replaceFile at which a test can stop the writing process.
enum class WriteStep { TempOpened, TempHalfWritten, TempFlushed, BeforeReplace, AfterReplace };
// A hook called at each step (null by default). Tests use it to end the process or to fail
// the write at that point; returning false makes replaceFile fail there.
using WriteStepHook = bool (*)(WriteStep step);
void setWriteStepHook(WriteStepHook hook);

}  // namespace tarvo::fs

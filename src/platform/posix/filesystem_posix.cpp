// File operations on POSIX systems: paths written with backslashes are read with slashes.
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
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

std::string nativePath(std::string path) {
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file path names once its symbolic links are followed, so that a write replaces the
// linked file and keeps the link (a history kept in a synchronised folder through a link), and
// every writer of one file builds its temporary and lock names beside that one file. Only a
// link of the user's own (or root's) is followed: one that another user planted in a shared
// folder would otherwise steer our write to any file the user may change, so it is replaced
// like a plain file, as the system's own rules for links in shared folders have it. A path
// whose folder cannot be resolved is used as given.
std::string resolvedPath(const std::string& native) {
    std::string path = native;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
        if (info.st_uid != ::geteuid() && info.st_uid != 0) break;
        std::string link(4096, '\0');
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) break;
        link.resize(static_cast<std::size_t>(n));
        path = link.front() == '/' ? link : folderOf(path) + "/" + link;
    }
    const std::size_t slash = path.rfind('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty() || base == "." || base == "..") return path;
    char* real = ::realpath(folderOf(path).c_str(), nullptr);
    if (real == nullptr) return path;
    std::string folder = real;
    std::free(real);
    if (folder != "/") folder += '/';
    return folder + base;
}

Result fromErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return Result::NotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return Result::Denied;
        default:
            return Result::Failed;
    }
}

// A name beside path that no other writer uses: process id plus a per-process counter.
std::string temporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + temporarySuffix(static_cast<std::uint32_t>(::getpid()), ++counter);
}

// Removes the temporary files a writer of path left behind when it was ended in the middle
// of a write. Only names of our own pattern whose process no longer runs are touched, so a
// writer at work (ours or another's) never loses its file.
void removeLeftTemporaries(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    DIR* dir = ::opendir(folderOf(path).c_str());
    if (dir == nullptr) return;
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(dir)) {
        const auto writer = static_cast<pid_t>(writerOfTemporary(entry->d_name, base));
        if (writer <= 0 || writer == self) continue;
        if (::kill(writer, 0) == 0 || errno != ESRCH) continue;
        (void)::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

int openRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

Result readFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    const int fd = openRetrying(nativePath(path).c_str(), O_RDONLY);
    if (fd < 0) return fromErrno(errno);
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    }
    char buffer[65536];
    Result result = Result::Ok;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            result = Result::Failed;  // EISDIR among others: nothing a profile can be read from
            bytes.clear();
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return result;
}

Result replaceFile(const std::string& path, std::string_view bytes, FileMode mode) {
    const std::string target = resolvedPath(nativePath(path));
    // A rename would replace a read-only file in a writable folder; Windows refuses that, and
    // so do we, so a file the user marked read-only stays as it is on every platform.
    if (::access(target.c_str(), W_OK) != 0 && errno != ENOENT) return fromErrno(errno);
    const std::string temp = temporaryName(target);
    const int fd = openRetrying(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0) return fromErrno(errno);

    // The replacement keeps the permissions of the file it replaces, unless asked for a
    // runnable one; either way the file has them before it takes the name.
    struct stat old {};
    if (mode == FileMode::Executable) {
        (void)::fchmod(fd, 0755);
    } else if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        (void)::fchmod(fd, old.st_mode & 07777);
    }

    auto fail = [&](Result result, bool open) {
        if (open) ::close(fd);
        ::unlink(temp.c_str());
        return result;
    };
    if (!stepAllowed(WriteStep::TempOpened)) return fail(Result::Failed, true);
    const std::size_t half = bytes.size() / 2;
    if (!writeAll(fd, bytes.data(), half)) return fail(fromErrno(errno), true);
    if (!stepAllowed(WriteStep::TempHalfWritten)) return fail(Result::Failed, true);
    if (!writeAll(fd, bytes.data() + half, bytes.size() - half)) {
        return fail(fromErrno(errno), true);
    }
    if (::fsync(fd) != 0) return fail(Result::Failed, true);
    if (!stepAllowed(WriteStep::TempFlushed)) return fail(Result::Failed, true);
    if (::close(fd) != 0) return fail(Result::Failed, false);
    if (!stepAllowed(WriteStep::BeforeReplace)) return fail(Result::Failed, false);
    if (::rename(temp.c_str(), target.c_str()) != 0) return fail(fromErrno(errno), false);

    // The rename is durable once the folder's entry is on disk.
    const int dir = openRetrying(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    // The new content is in place: a hook here can still end the process, but cannot undo it.
    (void)stepAllowed(WriteStep::AfterReplace);
    removeLeftTemporaries(target);
    return Result::Ok;
}

Result removeFile(const std::string& path) {
    if (::unlink(nativePath(path).c_str()) != 0) return fromErrno(errno);
    return Result::Ok;
}

std::vector<std::string> listFolder(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(nativePath(folder).c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

bool isMissingOrEmpty(const std::string& path) {
    struct stat info {};
    if (::stat(nativePath(path).c_str(), &info) != 0) return errno == ENOENT || errno == ENOTDIR;
    return S_ISREG(info.st_mode) && info.st_size == 0;
}

bool isWritableFolder(const std::string& folder) {
    const std::string probe = temporaryName(nativePath(folder) + "/.tarvolin-probe");
    const int fd = openRetrying(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

bool ensureFolder(const std::string& folder) {
    const std::string native = nativePath(folder);
    if (::mkdir(native.c_str(), 0777) != 0 && errno != EEXIST) return false;
    struct stat info {};
    return ::stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ensureFolderPath(const std::string& folder) {
    const std::string native = nativePath(folder);
    for (std::size_t slash = native.find('/', 1); slash != std::string::npos;
         slash = native.find('/', slash + 1)) {
        const std::string above = native.substr(0, slash);
        if (::mkdir(above.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    return ensureFolder(native);
}

std::string userDataFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] == '\0') return {};
    std::string folder = home;
    if (folder.back() == '/') folder.pop_back();
    return folder + "/.local/share";
}

// The lock file is removed by its holder before unlocking, so none stays beside the data. A
// process that opened the file before the removal finds, once it holds the lock, that the name
// now leads elsewhere (or nowhere) and starts over, so exactly one process holds the lock of
// the current file. A writer that dies holding the lock leaves the file behind, unlocked: the
// system drops the lock with the process, and the next writer takes it and removes the file.
struct FileLock::Impl {
    std::string path;
    int fd;
};

FileLock::FileLock(const std::string& guardedPath) {
    const std::string lockPath = resolvedPath(nativePath(guardedPath)) + ".lock";
    for (;;) {
        const int fd = openRetrying(lockPath.c_str(), O_RDWR | O_CREAT, 0666);
        if (fd < 0) return;
        int rc;
        do {
            rc = ::flock(fd, LOCK_EX);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            ::close(fd);
            return;
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && ::stat(lockPath.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            impl_ = std::make_unique<Impl>(Impl{lockPath, fd});
            return;
        }
        ::close(fd);
    }
}

FileLock::~FileLock() {
    if (!impl_) return;
    ::unlink(impl_->path.c_str());
    // Unlocked explicitly: a child process forked meanwhile shares the descriptor, and the
    // lock would otherwise last until it closed its copy too.
    ::flock(impl_->fd, LOCK_UN);
    ::close(impl_->fd);
}

void setWriteStepHook(WriteStepHook hook) {
    gWriteStepHook.store(hook);
}

}  // namespace tarvo::fs

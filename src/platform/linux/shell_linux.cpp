// Starting files on the Linux desktop with posix_spawn, detached, arguments one by one.
#include "platform/linux/shell_linux.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace tarvo::linux_desktop {
namespace {

constexpr char kTitle[] = "Tarvolin";
// The name the keep-open script knows itself by ($0), shown by the shell in its messages.
constexpr char kScriptName[] = "tarvolin-run";

std::string baseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// The "#!" line's interpreter and its one optional argument, as the kernel reads them. Only
// a regular file is read: opening a named pipe or a device to look would wait for a writer
// or take what the device gives.
std::optional<std::vector<std::string>> interpreterOf(const std::string& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    char head[256] = {};
    std::size_t got = 0;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        while (got < sizeof head) {
            const ssize_t n = ::read(fd, head + got, sizeof head - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
    }
    ::close(fd);
    const std::string line(head, got);
    if (line.size() < 2 || line[0] != '#' || line[1] != '!') return std::nullopt;
    const auto end = line.find('\n');
    if (end == std::string::npos) return std::nullopt;  // longer than the kernel reads
    std::string rest = line.substr(2, end - 2);
    if (!rest.empty() && rest.back() == '\r') rest.pop_back();
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t i = 0;
    while (i < rest.size() && isBlank(rest[i])) ++i;
    std::size_t j = i;
    while (j < rest.size() && !isBlank(rest[j])) ++j;
    if (j == i) return std::nullopt;
    std::vector<std::string> interpreter{rest.substr(i, j - i)};
    while (j < rest.size() && isBlank(rest[j])) ++j;
    std::size_t k = rest.size();
    while (k > j && isBlank(rest[k - 1])) --k;
    if (k > j) interpreter.push_back(rest.substr(j, k - j));
    return interpreter;
}

// The program a file's "#!" line names when it is not there to run the file ("/usr/bin/
// python9", or the name after "/usr/bin/env" that the search path does not hold); empty when
// it is there, or when the file has no such line.
std::string missingInterpreter(const std::string& file) {
    const auto interpreter = interpreterOf(file);
    if (!interpreter) return {};
    const std::string& program = interpreter->front();
    if (program.front() == '/' && !isExecutableFile(program)) return program;
    if (baseName(program) == "env" && interpreter->size() == 2) {
        const std::string& name = interpreter->back();
        if (name.front() != '-' && name.find_first_of(" \t/") == std::string::npos &&
            findProgram(name).empty())
            return name;
    }
    return {};
}

std::string notRunnableQuestion(const std::string& file) {
    return "\"" + baseName(file) +
           "\" is not a program: it is not executable and has no \"#!\" line naming an "
           "interpreter, so it cannot be run with arguments.\n\nOpen it with its default "
           "application instead (without the arguments)?";
}

}  // namespace

std::string notStartable(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return path + " was not found.";
        return path + " cannot be reached: " + std::strerror(errno) + ".";
    }
    if (S_ISREG(info.st_mode)) return {};
    const char* what = S_ISDIR(info.st_mode)                            ? "a folder"
                       : S_ISFIFO(info.st_mode)                         ? "a named pipe"
                       : S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) ? "a device"
                       : S_ISSOCK(info.st_mode)                         ? "a socket"
                                                                        : "no ordinary file";
    return path + " is " + what + ", not a file that can be run. Nothing was started.";
}

// A folder that cannot be entered runs nothing: the file would otherwise run in whatever
// folder the terminal started in. Either way the terminal stays open with the user's shell.
const char kKeepOpenScript[] =
    "if cd -- \"$1\"; then\n"
    "  shift\n"
    "  \"$@\"\n"
    "  status=$?\n"
    "  printf '\\n[%s ended with exit status %d]\\n' \"$1\" \"$status\"\n"
    "else\n"
    "  printf '\\n%s\\n%s\\n' \"The folder $1 cannot be entered.\" \"Nothing was run.\"\n"
    "fi\n"
    "exec \"${SHELL:-/bin/sh}\" -i\n";

RunPlan planRun(const std::string& file, const std::vector<std::string>& arguments) {
    RunPlan plan;
    if (isExecutableFile(file)) {
        plan.command.push_back(file);
    } else if (auto interpreter = interpreterOf(file)) {
        plan.command = std::move(*interpreter);
        plan.command.push_back(file);
    } else {
        return plan;
    }
    plan.runnable = true;
    plan.command.insert(plan.command.end(), arguments.begin(), arguments.end());
    return plan;
}

std::vector<std::string> terminalCommand(const std::string& terminal, const std::string& folder,
                                         const std::vector<std::string>& command,
                                         const std::string& title) {
    // x-terminal-emulator is a link to the chosen terminal; its conventions are that
    // terminal's. Debian's ".wrapper" scripts translate xterm's options into a command text,
    // so the terminal behind a wrapper is run itself.
    std::string program = terminal;
    char resolved[PATH_MAX];
    if (::realpath(terminal.c_str(), resolved) != nullptr) {
        const std::string real = resolved;
        const std::string suffix = ".wrapper";
        if (real.size() > suffix.size() &&
            real.compare(real.size() - suffix.size(), suffix.size(), suffix) == 0 &&
            isExecutableFile(real.substr(0, real.size() - suffix.size())))
            program = real.substr(0, real.size() - suffix.size());
        else if (baseName(terminal) == "x-terminal-emulator")
            program = real;
    }
    const std::string name = baseName(program);
    std::vector<std::string> line{program};
    // Each terminal's own way of naming its window, so that it shows the file it runs rather
    // than the terminal's own name. The others keep their own title.
    if (name == "xterm" || name == "uxterm" || name == "lxterm" || name == "xfce4-terminal")
        line.insert(line.end(), {"-T", title});
    else if (name == "gnome-terminal")
        line.insert(line.end(), {"--title", title});
    else if (name == "konsole")
        line.insert(line.end(), {"-p", "tabtitle=" + title});
    // Each terminal's own way of saying "run this program with these arguments".
    if (name == "gnome-terminal")
        line.push_back("--");
    else if (name == "xfce4-terminal")
        line.push_back("-x");
    else if (name != "xdg-terminal-exec")
        line.push_back("-e");
    line.insert(line.end(), {"/bin/sh", "-c", kKeepOpenScript, kScriptName, folder});
    line.insert(line.end(), command.begin(), command.end());
    return line;
}

std::string findProgram(const std::string& name) {
    if (name.empty()) return {};
    if (name.find('/') != std::string::npos) return isExecutableFile(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    for (;;) {
        const auto colon = dirs.find(':', start);
        std::string dir = dirs.substr(start, colon == std::string::npos ? colon : colon - start);
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/" + name;
        if (isExecutableFile(candidate)) return candidate;
        if (colon == std::string::npos) return {};
        start = colon + 1;
    }
}

std::string findTerminal() {
    if (const char* chosen = std::getenv("TERMINAL"); chosen && *chosen) {
        const std::string found = findProgram(chosen);
        if (!found.empty()) return found;
    }
    for (const char* name : {"xdg-terminal-exec", "x-terminal-emulator", "konsole",
                             "gnome-terminal", "xfce4-terminal", "xterm"}) {
        const std::string found = findProgram(name);
        if (!found.empty()) return found;
    }
    return {};
}

std::string startDetached(const std::vector<std::string>& command, const std::string& folder) {
    if (command.empty()) return "nothing to start";
    const auto spawn = [&](const std::vector<std::string>& line) -> int {
        std::vector<char*> argv;
        for (const auto& word : line) argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawnattr_t attributes;
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
        // A session of its own: the program outlives Tarvolin and is no part of its
        // terminal's job control.
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
        pid_t pid = 0;
        const int error = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        return error;
    };
    int error = spawn(command);
    if (error == ENOEXEC) {
        std::vector<std::string> viaShell{"/bin/sh"};
        viaShell.insert(viaShell.end(), command.begin(), command.end());
        error = spawn(viaShell);
    }
    return error == 0 ? std::string() : std::strerror(error);
}

namespace {
ShellResult fail(const std::string& text) {
    return ShellResult::failed(0, text);
}
}  // namespace

std::string LinuxShell::startRefusal(const std::string& file) {
    return notStartable(file);
}

ShellResult LinuxShell::openWithDesktop(const ShellRequest& request) {
    std::string target = request.file;
    // The mail link is written "mailto: address"; the desktop's opener wants no blank.
    if (target.rfind("mailto:", 0) == 0) {
        const auto at = target.find_first_not_of(' ', 7);
        target = "mailto:" + (at == std::string::npos ? std::string() : target.substr(at));
    }
    const std::string opener = findProgram("xdg-open");
    if (opener.empty()) return fail("\"" + target + "\" cannot be opened: xdg-open was not found.");
    const std::string why = startDetached({opener, target}, request.directory.value_or(""));
    if (!why.empty()) return fail("\"" + target + "\" cannot be opened: " + why + ".");
    return ShellResult::started();
}

ShellResult LinuxShell::execute(const ShellRequest& request) {
    if (!request.arguments) {
        const ShellResult opened = openWithDesktop(request);
        if (!opened.ok())
            host_.messageBox(request.owner, opened.reason, kTitle, MsgButtons::Ok,
                             MsgIcon::Critical);
        return opened;
    }
    if (std::string why = notStartable(request.file); !why.empty()) return fail(why);
    const std::string folder = request.directory.value_or("");
    const RunPlan plan = planRun(request.file, *request.arguments);
    if (!plan.runnable) {
        if (!request.arguments->empty() &&
            host_.messageBox(request.owner, notRunnableQuestion(request.file), kTitle,
                             MsgButtons::YesNo, MsgIcon::Question) != MsgResult::Yes)
            return ShellResult::cancelled();
        ShellRequest open;
        open.owner = request.owner;
        open.file = request.file;
        open.directory = request.directory;
        return openWithDesktop(open);
    }
    if (const std::string missing = missingInterpreter(request.file); !missing.empty())
        return fail("\"" + baseName(request.file) +
                    "\" cannot be run: the interpreter its \"#!\" line names, " + missing +
                    ", was not found.");
    std::vector<std::string> command = plan.command;
    if (request.keepOpen) {
        const std::string terminal = findTerminal();
        if (terminal.empty())
            return fail("No terminal was found to run \"" + baseName(request.file) +
                        "\" in. Set $TERMINAL, or install xterm or another terminal.");
        command = terminalCommand(terminal, folder, command, baseName(request.file));
    }
    const std::string why = startDetached(command, folder);
    if (!why.empty())
        return fail("\"" + baseName(command.front()) + "\" could not be started: " + why + ".");
    return ShellResult::started();
}

}  // namespace tarvo::linux_desktop

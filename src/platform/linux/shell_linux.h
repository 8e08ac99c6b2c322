// Starting files on the Linux desktop: a program runs with its arguments one by one in its
// own folder, detached from Tarvolin; a script that is not executable runs through the
// interpreter its "#!" line names; anything else opens with the desktop's default
// application; a console that stays open is a terminal running a fixed script.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/shell.h"

namespace tarvo::linux_desktop {

// How file can be run with arguments.
struct RunPlan {
    bool runnable = false;
    std::vector<std::string> command;  // the program to start and its arguments, file included
};
// An executable regular file runs itself; a file whose first line is "#!interpreter [arg]"
// runs as "interpreter [arg] file" (the kernel's own reading of that line); anything else is
// not runnable.
RunPlan planRun(const std::string& file, const std::vector<std::string>& arguments);

// The script a terminal runs for a console that stays open. Its parameters: the folder, then
// the command; none of them is ever part of the script's text.
extern const char kKeepOpenScript[];
// The terminal's command line that runs command in folder through that script, in the way of
// the terminal that terminal really is (x-terminal-emulator and Debian's ".wrapper" scripts
// are followed to it), with title as its window's title where the terminal takes one (xterm
// and its uxterm and lxterm, gnome-terminal, konsole, xfce4-terminal).
std::vector<std::string> terminalCommand(const std::string& terminal, const std::string& folder,
                                         const std::vector<std::string>& command,
                                         const std::string& title);
// The first terminal found of: $TERMINAL, xdg-terminal-exec, x-terminal-emulator, konsole,
// gnome-terminal, xfce4-terminal, xterm. Empty when there is none.
std::string findTerminal();
// The program named (a bare name is looked up in $PATH); empty when there is no such
// executable.
std::string findProgram(const std::string& name);

// Starts command (command[0] looked up in $PATH when it holds no "/") in folder, in a session
// of its own with standard input from /dev/null, and does not wait for it. A program without
// a "#!" line that the system cannot execute runs through /bin/sh, as a shell would run it.
// Empty on success, else why it failed.
std::string startDetached(const std::vector<std::string>& command, const std::string& folder);

// Why path cannot be started at all, for the user: "<path> was not found.", or what it is
// when it is no regular file (a folder, a named pipe, a device); empty for a regular file.
std::string notStartable(const std::string& path);

class LinuxShell final : public Shell {
public:
    explicit LinuxShell(Host& host) : host_(host) {}
    // With arguments: runs the file as planRun says (in a terminal when keepOpen); a file
    // that cannot be run is offered to the desktop's default application instead (without
    // asking when there are no arguments to lose). Without: opens the file or address with
    // the desktop's default application. A launch that fails returns why, for the dialog to
    // tell; a link that cannot be opened is told here, since its callers pass results over.
    // Declining to open a file that cannot run is the user's answer: Cancelled.
    // A file whose "#!" line names an interpreter that is not there is not started, and the
    // interpreter is named; so is anything that is no regular file (notStartable).
    ShellResult execute(const ShellRequest& request) override;
    std::string startRefusal(const std::string& file) override;

private:
    ShellResult openWithDesktop(const ShellRequest& request);

    Host& host_;
};

}  // namespace tarvo::linux_desktop

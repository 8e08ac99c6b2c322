// Starting files on Linux: what runs how, the terminal that stays open, and real detached
// starts that record their arguments and working folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "doubles/fake_services.h"
#include "doubles/form1_rig.h"
#include "doubles/scoped_env.h"
#include "doubles/scoped_style.h"
#include "doubles/temp_folder.h"
#include "platform/linux/shell_linux.h"

namespace tarvo::test {
namespace {

using Words = std::vector<std::string>;
using namespace linux_desktop;

// A folder with a blank and a non-ASCII letter, and a recorder script in it that writes its
// working folder and each argument on a line of its own to the log named by $1's neighbour.
struct LaunchRig {
    LaunchRig() {
        std::filesystem::create_directory(folder());
        script("record.sh",
               "#!/bin/sh\n{ pwd; for a in \"$@\"; do printf '<%s>\\n' \"$a\"; done; } > " +
                   temp.file("log") + ".tmp && mv " + temp.file("log") + ".tmp " +
                   temp.file("log") + "\n",
               0755);
    }
    std::string folder() const { return temp.path() + "/My Földer"; }
    std::string script(const std::string& name, const std::string& text, mode_t mode) const {
        const std::string path = folder() + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        ::chmod(path.c_str(), mode);
        return path;
    }
    // The recorder's log once it is there (the start does not wait for the program).
    std::string log() const {
        for (int i = 0; i < 200 && !temp.exists("log"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return temp.read("log");
    }
    TempFolder temp;
};

TEST(LinuxLaunch, WhatRunsHow) {
    LaunchRig rig;
    const std::string exe = rig.folder() + "/record.sh";
    EXPECT_EQ(planRun(exe, {"a"}).command, (Words{exe, "a"}));

    const std::string python =
        rig.script("tool.py", "#!/usr/bin/env  python3 -u  \nprint(1)\n", 0644);
    const RunPlan viaLine = planRun(python, {"x y"});
    EXPECT_TRUE(viaLine.runnable);
    EXPECT_EQ(viaLine.command, (Words{"/usr/bin/env", "python3 -u", python, "x y"}));

    EXPECT_FALSE(planRun(rig.script("notes.txt", "hello\n", 0644), {}).runnable);
    EXPECT_FALSE(planRun(rig.script("bare", "#!\n", 0644), {}).runnable);
    EXPECT_FALSE(planRun(rig.folder(), {}).runnable);  // a folder is no program
    EXPECT_FALSE(planRun(rig.folder() + "/missing", {}).runnable);
}

TEST(LinuxLaunch, ArgumentsAndFolderArriveExactlyAndDetached) {
    LaunchRig rig;
    const std::string exe = rig.folder() + "/record.sh";
    EXPECT_EQ(startDetached({exe, "-v", "a b", "", "$HOME", "'q'", "ü"}, rig.folder()), "");
    EXPECT_EQ(rig.log(), rig.folder() + "\n<-v>\n<a b>\n<>\n<$HOME>\n<'q'>\n<ü>\n");
}

TEST(LinuxLaunch, AnExecutableWithoutAnInterpreterLineRunsAsAShellScript) {
    LaunchRig rig;
    const std::string plain = rig.script(
        "plain", "printf '%s\\n' \"$PWD\" \"$1\" > " + rig.temp.file("log") + "\n", 0755);
    EXPECT_EQ(startDetached({plain, "one arg"}, rig.folder()), "");
    EXPECT_EQ(rig.log(), rig.folder() + "\none arg\n");
}

TEST(LinuxLaunch, AFailedStartSaysWhy) {
    LaunchRig rig;
    EXPECT_NE(startDetached({rig.folder() + "/missing"}, rig.folder()), "");
    EXPECT_NE(startDetached({rig.folder() + "/record.sh"}, rig.folder() + "/gone"), "");
}

TEST(LinuxLaunch, TheTerminalGetsTheFixedScriptAndEveryWordSeparately) {
    const Words command{"/x/run me.sh", "-v", "a b", "$(id)"};
    const Words tail{"/bin/sh",      "-c", kKeepOpenScript, "tarvolin-run", "/x/",
                     "/x/run me.sh", "-v", "a b",           "$(id)"};
    const auto with = [&](Words head) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
    // The window is titled with the file's name where the terminal takes a title.
    const auto run = [&](const std::string& terminal) {
        return terminalCommand(terminal, "/x/", command, "run me.sh");
    };
    EXPECT_EQ(run("/usr/bin/xterm"), with({"/usr/bin/xterm", "-T", "run me.sh", "-e"}));
    EXPECT_EQ(run("uxterm"), with({"uxterm", "-T", "run me.sh", "-e"}));
    EXPECT_EQ(run("gnome-terminal"), with({"gnome-terminal", "--title", "run me.sh", "--"}));
    EXPECT_EQ(run("xfce4-terminal"), with({"xfce4-terminal", "-T", "run me.sh", "-x"}));
    EXPECT_EQ(run("xdg-terminal-exec"), with({"xdg-terminal-exec"}));
    EXPECT_EQ(run("konsole"), with({"konsole", "-p", "tabtitle=run me.sh", "-e"}));
    EXPECT_EQ(run("/opt/mine"), with({"/opt/mine", "-e"}));  // a terminal of its own ways
}

TEST(LinuxLaunch, TheKeepOpenScriptRunsTheCommandInItsFolderThenTheShell) {
    // The script run as the terminal would run it, with a "shell" that records its start.
    LaunchRig rig;
    const std::string shell =
        rig.script("shell.sh",
                   "#!/bin/sh\necho \"shell $*\" > " + rig.temp.file("out.tmp") + " && mv " +
                       rig.temp.file("out.tmp") + " " + rig.temp.file("out") + "\n",
                   0755);
    const ScopedEnv shellVar("SHELL", shell);
    const std::string exe = rig.folder() + "/record.sh";
    Words line = terminalCommand("xterm", rig.folder(), {exe, "a b", "c"}, "record.sh");
    line.erase(line.begin(), line.begin() + 4);  // the terminal, its title and its -e
    EXPECT_EQ(startDetached(line, "/"), "");
    EXPECT_EQ(rig.log(), rig.folder() + "\n<a b>\n<c>\n");
    for (int i = 0; i < 200 && !rig.temp.exists("out"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(rig.temp.read("out"), "shell -i\n");
}

// A folder that cannot be entered: the file is not run in another folder; the terminal says
// why and stays open with the shell.
TEST(LinuxLaunch, TheKeepOpenScriptRunsNothingWhenItsFolderCannotBeEntered) {
    LaunchRig rig;
    const std::string script = rig.script("keep-open", kKeepOpenScript, 0644);
    const std::string shell = rig.script("shell.sh", "#!/bin/sh\necho shell -i\n", 0755);
    const std::string gone = rig.folder() + "/gone";
    const std::string out = rig.temp.file("out");
    const std::string line = "cd / && SHELL='" + shell + "' /bin/sh '" + script + "' '" + gone +
                             "' '" + rig.folder() + "/record.sh' a > '" + out + "' 2>/dev/null";
    EXPECT_EQ(std::system(line.c_str()), 0);
    EXPECT_FALSE(rig.temp.exists("log"));  // the recorder never ran
    EXPECT_EQ(rig.temp.read("out"),
              "\nThe folder " + gone + " cannot be entered.\nNothing was run.\nshell -i\n");
}

TEST(LinuxLaunch, TheChosenTerminalIsRunInItsOwnWay) {
    // x-terminal-emulator leading to a wrapper: the terminal behind it is run with its own
    // option, so no wrapper turns the words into one command text.
    TempFolder bin;
    std::ofstream(bin.file("gnome-terminal")) << "#!/bin/sh\n";
    std::ofstream(bin.file("gnome-terminal.wrapper")) << "#!/bin/sh\n";
    std::ofstream(bin.file("konsole")) << "#!/bin/sh\n";
    for (const char* name : {"gnome-terminal", "gnome-terminal.wrapper", "konsole"})
        ::chmod(bin.file(name).c_str(), 0755);
    std::filesystem::create_symlink(bin.file("gnome-terminal.wrapper"),
                                    bin.file("x-terminal-emulator"));
    std::filesystem::create_symlink(bin.file("konsole"), bin.file("x-terminal-emulator-2"));
    const std::string real = std::filesystem::canonical(bin.path()).string();
    const Words wrapped = terminalCommand(bin.file("x-terminal-emulator"), "/x", {"/x/a"}, "a");
    EXPECT_EQ(Words(wrapped.begin(), wrapped.begin() + 4),
              (Words{real + "/gnome-terminal", "--title", "a", "--"}));
    // A link by any other name is run as it is named.
    const Words linked = terminalCommand(bin.file("x-terminal-emulator-2"), "/x", {"/x/a"}, "a");
    EXPECT_EQ(Words(linked.begin(), linked.begin() + 2),
              (Words{bin.file("x-terminal-emulator-2"), "-e"}));
}

TEST(LinuxLaunch, TheFirstTerminalFoundIsUsedAndTERMINALComesFirst) {
    TempFolder bin;
    for (const char* name : {"xterm", "konsole", "mine"}) {
        std::ofstream(bin.file(name)) << "#!/bin/sh\n";
        ::chmod(bin.file(name).c_str(), 0755);
    }
    const ScopedEnv path("PATH", bin.path());
    {
        const ScopedEnv none("TERMINAL", "");
        EXPECT_EQ(findTerminal(), bin.file("konsole"));
    }
    const ScopedEnv chosen("TERMINAL", "mine");
    EXPECT_EQ(findTerminal(), bin.file("mine"));
}

// A file that cannot run: with arguments the user is asked before it is opened without them;
// without arguments it is simply opened, as Windows opens a document.
TEST(LinuxLaunch, ANonProgramIsOfferedToTheDesktopsDefaultApplication) {
    LaunchRig rig;
    const std::string opener =
        rig.script("xdg-open",
                   "#!/bin/sh\nprintf '%s\\n' \"$1\" > " + rig.temp.file("log.tmp") + " && mv " +
                       rig.temp.file("log.tmp") + " " + rig.temp.file("log") + "\n",
                   0755);
    const ScopedEnv path("PATH", rig.folder() + ":/usr/bin:/bin");
    const std::string notes = rig.script("notes.txt", "hello\n", 0644);
    FakeHost host;
    LinuxShell shell(host);
    ShellRequest request;
    request.file = notes;
    request.directory = rig.folder();
    request.arguments = Words{"-x"};

    host.answers.push_back(MsgResult::No);
    EXPECT_TRUE(shell.execute(request).wasCancelled());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find("cannot be run with arguments"), std::string::npos);
    EXPECT_EQ(host.messages[0].buttons, MsgButtons::YesNo);

    host.answers.push_back(MsgResult::Yes);
    EXPECT_TRUE(shell.execute(request).ok());
    EXPECT_EQ(rig.log(), notes + "\n");

    std::filesystem::remove(rig.temp.file("log"));
    request.arguments = Words{};
    EXPECT_TRUE(shell.execute(request).ok());
    EXPECT_EQ(host.messages.size(), 2u);  // not asked
    EXPECT_EQ(rig.log(), notes + "\n");
}

// Looking at a named pipe for its "#!" line would wait for a writer that never comes: only a
// regular file is read, and anything else is refused with what it is, without a question.
TEST(LinuxLaunch, OnlyARegularFileIsReadOrStarted) {
    LaunchRig rig;
    const std::string fifo = rig.folder() + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    // Runs look at the pipe; a reader that waits for a writer fails the test and is let go.
    const auto bounded = [&](auto look) {
        auto done = std::async(std::launch::async, look);
        if (done.wait_for(std::chrono::seconds(2)) != std::future_status::ready) {
            ADD_FAILURE() << "the pipe was opened for reading";
            while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
                ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
        }
        return done.get();
    };
    EXPECT_FALSE(bounded([&] { return planRun(fifo, {"-x"}); }).runnable);

    const auto is = [](const std::string& path, const std::string& what) {
        return path + " is " + what + ", not a file that can be run. Nothing was started.";
    };
    EXPECT_EQ(notStartable(fifo), is(fifo, "a named pipe"));
    EXPECT_EQ(notStartable(rig.folder()), is(rig.folder(), "a folder"));
    EXPECT_EQ(notStartable("/dev/null"), is("/dev/null", "a device"));
    EXPECT_EQ(notStartable(rig.folder() + "/gone.sh"), rig.folder() + "/gone.sh was not found.");
    EXPECT_EQ(notStartable(rig.folder() + "/record.sh/x"),
              rig.folder() + "/record.sh/x was not found.");
    EXPECT_EQ(notStartable(rig.folder() + "/record.sh"), "");

    FakeHost host;
    LinuxShell shell(host);
    ShellRequest request;
    request.file = fifo;
    request.directory = rig.folder();
    request.arguments = Words{"-x"};
    const ShellResult result = bounded([&] { return shell.execute(request); });
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.reason, notStartable(fifo));
    EXPECT_TRUE(host.messages.empty());  // not offered to another application
    EXPECT_EQ(shell.startRefusal(fifo), notStartable(fifo));
}

// A missing interpreter is named, whether the kernel would read the line (an executable
// script) or the program does (a script without the execute bit), in a terminal too.
TEST(LinuxLaunch, AMissingInterpreterIsNamed) {
    LaunchRig rig;
    FakeHost host;
    LinuxShell shell(host);
    ShellRequest request;
    request.directory = rig.folder();
    request.arguments = Words{"a"};
    for (const mode_t mode : {0755, 0644}) {
        for (const bool keepOpen : {false, true}) {
            request.file = rig.script("tool.py", "#!/usr/bin/python9 -u\nprint(1)\n", mode);
            request.keepOpen = keepOpen;
            const ShellResult result = shell.execute(request);
            EXPECT_FALSE(result.ok());
            EXPECT_EQ(result.reason,
                      "\"tool.py\" cannot be run: the interpreter its \"#!\" line names, "
                      "/usr/bin/python9, was not found.")
                << mode;
        }
    }
    request.keepOpen = false;
    request.file = rig.script("env.py", "#!/usr/bin/env python9\n", 0755);
    EXPECT_NE(shell.execute(request).reason.find(", python9, was not found."), std::string::npos);
    EXPECT_TRUE(host.messages.empty());
}

// OK on a file that is gone: the message says so, nothing is recorded and nothing started,
// with and without a text.
TEST(LinuxLaunch, AMissingFileIsToldAndNothingIsRecorded) {
    Form1Rig rig;
    const ScopedLinuxStyle style(rig.temp.path());
    LinuxShell shell(rig.host);
    Form1 dialog{{rig.form, rig.Label1, rig.cmbArg, rig.Check1, rig.CMD_OK, rig.CMD_Cancel,
                  rig.CMD_Browse, rig.CMD_About, rig.CMD_WIDTH},
                 {rig.host, shell, rig.files, rig.folders}};
    const std::string gone = rig.temp.file("gone.sh");
    dialog.setTargetPath(gone);
    dialog.LoadTarget();
    for (const char* text : {"-v", ""}) {
        rig.cmbArg.setText(text);
        dialog.CMD_OK_Click();
    }
    ASSERT_EQ(rig.host.messages.size(), 2u);
    for (const auto& message : rig.host.messages) {
        EXPECT_EQ(message.text, gone + " was not found.");
        EXPECT_EQ(message.icon, MsgIcon::Critical);
    }
    EXPECT_EQ(rig.host.ended, 2);
    EXPECT_FALSE(rig.temp.exists("state/tarvolin/MRU.INI"));
}

TEST(LinuxLaunch, LinksOpenWithTheDesktopAndTheMailLinkLosesItsBlank) {
    LaunchRig rig;
    rig.script("xdg-open",
               "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + rig.temp.file("log.tmp") + " && mv " +
                   rig.temp.file("log.tmp") + " " + rig.temp.file("log") + "\n",
               0755);
    const ScopedEnv path("PATH", rig.folder() + ":/usr/bin:/bin");
    FakeHost host;
    LinuxShell shell(host);
    ShellRequest request;
    request.file = "mailto: someone@example.com";
    EXPECT_TRUE(shell.execute(request).ok());
    EXPECT_EQ(rig.log(), "mailto:someone@example.com\n");
}

}  // namespace
}  // namespace tarvo::test

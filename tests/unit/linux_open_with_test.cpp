// "Open With" on a Linux desktop, asked of the desktop's own tools in a private home: the
// program is offered for the listed types, and the default program that GIO, xdg-mime and KDE
// name for each type is the same before the program adds its entries, after, and after it
// takes them out; the user's mimeapps.list comes back byte for byte.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "doubles/scoped_env.h"
#include "doubles/temp_folder.h"
#include "platform/filesystem.h"
#include "settings/linux_menus.h"

namespace tarvo::menus {
namespace {

using test::ScopedEnv;
using test::TempFolder;

std::string run(const std::string& command) {
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return {};
    std::string output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    ::pclose(pipe);
    return output;
}

bool have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// A line of a tool's answer that begins with prefix, without it and the line end.
std::string lineAfter(const std::string& text, const std::string& prefix) {
    const std::size_t at = text.find(prefix);
    if (at == std::string::npos) return {};
    const std::size_t begin = at + prefix.size();
    return text.substr(begin, text.find('\n', begin) - begin);
}

// What each tool names as the program for each type; KDE's first offer, when asked.
struct Answers {
    std::map<std::string, std::string> gio, xdg, kde;
    std::map<std::string, std::string> gioRegistered;  // everything GIO offers
};

Answers ask(const std::vector<std::string>& types, bool kde) {
    Answers answers;
    if (kde) run("kbuildsycoca5 --noincremental");
    for (const auto& type : types) {
        const std::string gio = run("gio mime '" + type + "'");
        answers.gio[type] = lineAfter(gio, "Default application for “" + type + "”: ");
        if (answers.gio[type].empty())
            answers.gio[type] = lineAfter(gio, "Default application for '" + type + "': ");
        answers.gioRegistered[type] = gio;
        std::string xdg = run("xdg-mime query default '" + type + "'");
        while (!xdg.empty() && xdg.back() == '\n') xdg.pop_back();
        answers.xdg[type] = xdg;
        if (kde)
            answers.kde[type] =
                lineAfter(run("ktraderclient5 --mimetype '" + type + "' --servicetype Application"),
                          "DesktopEntryPath : ");
    }
    return answers;
}

// A private desktop: a home, a system folder with one editor for text/plain (through the
// cache update-desktop-database writes), and the real MIME database. The system's other
// programs for these types are hidden by the home, so every tool's choice is determined.
struct Desktop {
    TempFolder dir;
    std::vector<std::unique_ptr<ScopedEnv>> env;

    Desktop() {
        const auto set = [&](const char* name, const std::string& value) {
            env.push_back(std::make_unique<ScopedEnv>(name, value));
        };
        set("HOME", dir.file("home"));
        set("XDG_DATA_HOME", dir.file("home/.local/share"));
        set("XDG_CONFIG_HOME", dir.file("home/.config"));
        set("XDG_STATE_HOME", dir.file("home/.local/state"));
        set("XDG_CACHE_HOME", dir.file("home/.cache"));
        set("XDG_DATA_DIRS", dir.file("sys") + ":/usr/share");
        set("XDG_CONFIG_DIRS", dir.file("etc") + ":/etc/xdg");
        for (const char* name :
             {"XDG_CURRENT_DESKTOP", "KDE_FULL_SESSION", "KDE_SESSION_VERSION", "DESKTOP_SESSION",
              "GNOME_DESKTOP_SESSION_ID", "DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_MENU_PREFIX"})
            set(name, "");
        for (const char* folder :
             {"home/.local/share/applications", "home/.config", "sys/applications", "etc"})
            fs::ensureFolderPath(dir.file(folder));
        dir.write("sys/applications/fakeedit.desktop",
                  "[Desktop Entry]\nType=Application\nName=Fake Edit\nExec=/bin/true %f\n"
                  "MimeType=text/plain;\n");
        dir.write("sys/applications/mimeinfo.cache",
                  "[MIME Cache]\ntext/plain=fakeedit.desktop;\n");
        // The system's own editors for text would make KDE's choice between equals arbitrary:
        // the home's entries of the same names, which claim no type, stand in for them.
        for (const char* masked : {"vim.desktop", "gvim.desktop", "nvim.desktop"})
            dir.write(std::string("home/.local/share/applications/") + masked,
                      "[Desktop Entry]\nType=Application\nName=Masked\nExec=/bin/true\n"
                      "NoDisplay=true\n");
    }
    MenuUpdate regenerate(const std::vector<std::string>& entries) const {
        // A program that exists: a desktop entry whose program is missing is offered nowhere.
        return regenerateMenus(entries, menuFolders(), "/bin/true");
    }
};

// .txt is text/plain (the editor's), .log text/x-log (a kind of text/plain: the editor's by
// inheritance, and nothing for xdg-mime), .iso a type no program opens.
const std::vector<std::string> kTypes{"text/plain", "text/x-log", "application/x-cd-image"};

void expectSameDefaults(const Answers& was, const Answers& now, bool kde, const char* when) {
    EXPECT_EQ(now.gio, was.gio) << when;
    EXPECT_EQ(now.xdg, was.xdg) << when;
    if (kde) {
        EXPECT_EQ(now.kde, was.kde) << when;
    }
}

TEST(OpenWith, TheDesktopsToolsNameTheSameDefaultBeforeAndAfter) {
    if (!have("gio") || !have("xdg-mime")) GTEST_SKIP() << "gio or xdg-mime is not installed";
    const bool kde = have("ktraderclient5") && have("kbuildsycoca5");
    const std::vector<std::string> users{
        "",  // no mimeapps.list at all
        "# my choices\n[Default Applications]\ntext/plain=fakeedit.desktop;\n\n"
        "[Added Associations]\ntext/x-log=fakeedit.desktop;\n",
    };
    for (const auto& mine : users) {
        Desktop desktop;
        if (!mine.empty()) desktop.dir.write("home/.config/mimeapps.list", mine);
        const Answers was = ask(kTypes, kde);
        ASSERT_EQ(was.gio.at("text/plain"), "fakeedit.desktop");  // the desktop is as planned
        if (kde) {
            ASSERT_NE(was.kde.at("text/plain").find("fakeedit.desktop"), std::string::npos);
        }

        ASSERT_TRUE(desktop.regenerate({"txt", "log", "iso"}).ok);
        // Something else on the desktop rebuilds the user's cache, as package tools do.
        if (have("update-desktop-database"))
            run("update-desktop-database '" + desktop.dir.file("home/.local/share/applications") +
                "'");
        const Answers added = ask(kTypes, kde);
        expectSameDefaults(was, added, kde, "after adding");
        for (const char* type : {"text/plain", "text/x-log"})
            EXPECT_NE(added.gioRegistered.at(type).find("\ttarvolin.desktop\n"), std::string::npos)
                << type << " is not offered:\n"
                << added.gioRegistered.at(type);

        ASSERT_TRUE(desktop.regenerate({"log"}).ok);
        expectSameDefaults(was, ask(kTypes, kde), kde, "after removing one");

        ASSERT_TRUE(removeAllMenus(menuFolders()).ok);
        const Answers removed = ask(kTypes, kde);
        expectSameDefaults(was, removed, kde, "after removing all");
        for (const auto& type : kTypes)
            EXPECT_EQ(removed.gioRegistered.at(type).find("tarvolin.desktop"), std::string::npos)
                << type;
        EXPECT_EQ(desktop.dir.read("home/.config/mimeapps.list"), mine);
        EXPECT_EQ(desktop.dir.exists("home/.config/mimeapps.list"), !mine.empty());
    }
}

}  // namespace
}  // namespace tarvo::menus

// Tests of the entries for GNOME Files, Caja and PCManFM-Qt and of the program's own icon: the
// exact texts, the GNOME Files extension and script run as their hosts run them, and the
// regeneration that makes, keeps and removes only the program's files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
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

// A home with only the folders of these formats (the others stay empty and are not written).
struct Home {
    TempFolder dir;
    MenuFolders folders;

    explicit Home(bool nautilusPython = true) {
        folders.dolphin = dir.file("data/kio/servicemenus");
        folders.nemo = dir.file("data/nemo/actions");
        folders.applications = dir.file("data/applications");
        folders.thunar = dir.file("config/Thunar");
        folders.nautilusExtensions = dir.file("data/nautilus-python/extensions");
        folders.nautilusScripts = dir.file("data/nautilus/scripts");
        folders.nautilusPython = nautilusPython;
        folders.fileManagerActions = dir.file("data/file-manager/actions");
        folders.icons = dir.file("data/icons/hicolor");
        folders.systemIcons = {dir.file("usr/icons/hicolor")};
    }
    bool exists(const std::string& relative) const { return dir.exists(relative); }
    std::string read(const std::string& relative) const { return dir.read(relative); }
    MenuUpdate regenerate(const std::vector<std::string>& entries,
                          const std::string& program = "tarvolin") const {
        return regenerateMenus(entries, folders, program);
    }
};

ino_t inodeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// The output of a shell command (stderr included) and its exit code.
struct Outcome {
    std::string output;
    int code;
};
Outcome run(const std::string& command) {
    Outcome result{{}, -1};
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) result.output += buffer;
    const int status = ::pclose(pipe);
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST(FileManagerActions, OneActionPerExtensionForThatExtensionOnly) {
    EXPECT_EQ(fileManagerAction("tarvolin", "Log"),
              std::string(kMadeByLine) +
                  "\n"
                  "[Desktop Entry]\n"
                  "Type=Action\n"
                  "Name=Tarvolin\n"
                  "Tooltip=Run .Log files with arguments\n"
                  "Icon=tarvolin\n"
                  "Profiles=open;\n"
                  "\n"
                  "[X-Action-Profile open]\n"
                  "Name=Tarvolin\n"
                  "Exec=tarvolin %f\n"
                  "MimeTypes=all/allfiles;\n"
                  "Basenames=*.Log;\n"
                  "Matchcase=false\n"
                  "SelectionCount==1\n"
                  "Schemes=file;\n");
    // A program outside the search path: quoted as a shell word, % and \ kept by the file's
    // own escapes.
    const std::string odd = fileManagerAction("/opt/it's 100%/tarvolin", "a\\b");
    EXPECT_NE(odd.find("Exec='/opt/it'\\\\''s 100%%/tarvolin' %f\n"), std::string::npos) << odd;
    EXPECT_NE(odd.find("Basenames=*.a\\\\b;\n"), std::string::npos) << odd;
}

TEST(FileManagerActions, MadeKeptAndRemovedWithTheList) {
    Home home;
    const MenuUpdate made = home.regenerate({"log", "LOG", "c++"});
    ASSERT_TRUE(made.ok);
    // What the note after an addition names (no MIME type knows these here).
    EXPECT_EQ(made.offeredBy.at("c++"), (std::vector<std::string>{"Nemo", "Thunar", "GNOME Files",
                                                                  "Caja", "PCManFM-Qt"}));
    const std::string log = "data/file-manager/actions/tarvolin-log.desktop";
    EXPECT_TRUE(home.exists(log));
    EXPECT_TRUE(home.exists("data/file-manager/actions/tarvolin-c++.desktop"));
    home.dir.write("data/file-manager/actions/tarvolin-mine.desktop", "[Desktop Entry]\n");
    home.dir.write("data/file-manager/actions/other.desktop", "[Desktop Entry]\n");

    const ino_t before = inodeOf(home.dir.file(log));
    ASSERT_TRUE(home.regenerate({"log"}).ok);
    EXPECT_EQ(inodeOf(home.dir.file(log)), before);  // unchanged, not rewritten
    EXPECT_FALSE(home.exists("data/file-manager/actions/tarvolin-c++.desktop"));

    ASSERT_TRUE(removeAllMenus(home.folders).ok);
    EXPECT_FALSE(home.exists(log));
    EXPECT_EQ(home.read("data/file-manager/actions/tarvolin-mine.desktop"), "[Desktop Entry]\n");
    EXPECT_TRUE(home.exists("data/file-manager/actions/other.desktop"));
}

TEST(Nautilus, TheExtensionWhereItsLoaderIsElseTheScriptNeverBoth) {
    const std::string extension = "data/nautilus-python/extensions/tarvolin.py";
    const std::string script = "data/nautilus/scripts/Tarvolin";
    Home home(true);
    ASSERT_TRUE(home.regenerate({"log"}).ok);
    EXPECT_TRUE(home.exists(extension));
    EXPECT_FALSE(home.exists(script));

    home.folders.nautilusPython = false;  // python3-nautilus removed
    ASSERT_TRUE(home.regenerate({"log"}).ok);
    EXPECT_FALSE(home.exists(extension));
    ASSERT_TRUE(home.exists(script));
    struct stat info {};
    ASSERT_EQ(::stat(home.dir.file(script).c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IXUSR, 0u);  // GNOME Files runs only executable scripts

    ASSERT_TRUE(removeAllMenus(home.folders).ok);
    EXPECT_FALSE(home.exists(script));
}

TEST(Nautilus, AUsersScriptOrExtensionUnderOurNameStays) {
    Home home(false);
    fs::ensureFolderPath(home.folders.nautilusScripts);
    fs::ensureFolderPath(home.folders.nautilusExtensions);
    // A script that names the program on its second line is still the user's.
    const std::string users = std::string("#!/bin/bash\n") + kMadeByLine + "\necho mine\n";
    home.dir.write("data/nautilus/scripts/Tarvolin", users);
    home.dir.write("data/nautilus-python/extensions/tarvolin.py", "# mine\n");
    const MenuUpdate update = home.regenerate({"log"});
    EXPECT_FALSE(update.ok);
    EXPECT_EQ(update.failedPaths,
              std::vector<std::string>{home.dir.file("data/nautilus/scripts/Tarvolin")});
    removeAllMenus(home.folders);
    EXPECT_EQ(home.read("data/nautilus/scripts/Tarvolin"), users);
    EXPECT_EQ(home.read("data/nautilus-python/extensions/tarvolin.py"), "# mine\n");
}

// The script as GNOME Files starts it: in the folder shown, with the chosen files' names.
TEST(Nautilus, TheScriptOpensTheFirstChosenFileByItsFullPathAndAsks) {
    TempFolder dir;
    const std::string probe = dir.file("my probe's 100%");
    dir.write("my probe's 100%", "#!/bin/sh\nfor a in \"$@\"; do printf '<%s>' \"$a\"; done\n");
    ::chmod(probe.c_str(), 0755);
    dir.write("script", nautilusScript(probe));
    const std::string script = "sh '" + dir.file("script") + "'";

    EXPECT_EQ(run("cd '" + dir.path() + "' && " + script + " '-x y.log' b.txt").output,
              "<--if-listed><" + dir.path() + "/-x y.log>");
    EXPECT_EQ(run("cd / && " + script + " /srv/a.txt").output, "<--if-listed></srv/a.txt>");
    const Outcome none = run(script);
    EXPECT_EQ(none.output, "");
    EXPECT_EQ(none.code, 0);
}

// The extension under python3 with stand-ins for GNOME Files' Python modules: which files it
// offers the entry for, what it starts, and that it follows the file's changes while loaded.
TEST(Nautilus, TheExtensionOffersTheEntryForListedFilesAndFollowsTheList) {
    if (run("python3 -c 'import ast'").code != 0) GTEST_SKIP() << "python3 is not installed";
    TempFolder dir;
    fs::ensureFolderPath(dir.file("gi/repository"));
    dir.write("gi/__init__.py", "");
    dir.write("gi/repository/__init__.py",
              "class GObject:\n"
              "    class GObject: pass\n"
              "class Nautilus:\n"
              "    class MenuProvider: pass\n"
              "    class MenuItem:\n"
              "        def __init__(self, **kw): self.kw = kw\n"
              "        def connect(self, signal, f, *a): self.run = lambda: f(self, *a)\n");
    dir.write("tarvolin.py", nautilusExtension("/opt/Tär vo/tarvolin", {"LOG", "c++"}));
    dir.write("drive.py",
              "import os, subprocess, sys, time\n"
              "import tarvolin as t\n"
              "started = []\n"
              "subprocess.Popen = lambda argv, **kw: started.append(argv)\n"
              "class Location:\n"
              "    def __init__(self, p): self.p = p\n"
              "    def get_path(self): return self.p\n"
              "class File:\n"
              "    def __init__(self, p, d=False): self.p, self.d = p, d\n"
              "    def is_directory(self): return self.d\n"
              "    def get_location(self): return Location(self.p)\n"
              "m = t.TarvolinMenu()\n"
              "def offered(*files):\n"
              "    items = m.get_file_items(list(files))\n"
              "    return ','.join(i.kw['label'] for i in items) or '-'\n"
              "print(offered(File('/d/a.log')), offered(File('/d/A.Log')), "
              "offered(File('/d/x.c++')), offered(File('/d/catalog')), offered(File('/d/.log')), "
              "offered(File('/d/b.txt')), offered(File('/d/a.log'), File('/d/b.log')), "
              "offered(File('/d/dir.log', True)))\n"
              "item = m.get_file_items([File('/d/ä b.log')])[0]\n"
              "item.run()\n"
              "print(started)\n"
              // Nautilus 42 and before pass the window first.
              "print(len(m.get_file_items(None, [File('/d/a.log')])))\n"
              "src = open(t.__file__, 'rb').read().replace(b\"b'log', \", b\"b'txt', \")\n"
              "open(t.__file__ + '.new', 'wb').write(src)\n"
              "os.replace(t.__file__ + '.new', t.__file__)\n"
              "print(offered(File('/d/a.log')), offered(File('/d/b.txt')))\n"
              "os.remove(t.__file__)\n"
              "print(offered(File('/d/b.txt')))\n");
    const Outcome result = run("cd '" + dir.path() + "' && PYTHONDONTWRITEBYTECODE=1 python3 drive.py");
    EXPECT_EQ(result.output,
              "Tarvolin Tarvolin Tarvolin - - - - -\n"
              "[[b'/opt/T\\xc3\\xa4r vo/tarvolin', b'/d/\\xc3\\xa4 b.log']]\n"
              "1\n"
              "- Tarvolin\n"
              "-\n");
    EXPECT_EQ(result.code, 0);
}

TEST(ProgramIcon, InstalledWithTheEntriesOnlyWhereTheSystemHasNone) {
    Home home;
    ASSERT_FALSE(programIconImages().empty());
    const std::string icon48 = "data/icons/hicolor/48x48/apps/tarvolin.png";
    ASSERT_TRUE(home.regenerate({}).ok);
    EXPECT_FALSE(home.exists(icon48));

    ASSERT_TRUE(home.regenerate({"log"}).ok);
    for (const IconImage& image : programIconImages()) {
        const std::string size = std::to_string(image.size);
        const std::string bytes =
            home.read("data/icons/hicolor/" + size + "x" + size + "/apps/tarvolin.png");
        EXPECT_TRUE(markedAsOurs(bytes)) << size;
        EXPECT_EQ(bytes, markedPng(image.png));
    }
    // The package installs its own: ours goes, the system's shows.
    fs::ensureFolderPath(home.dir.file("usr/icons/hicolor/48x48/apps"));
    home.dir.write("usr/icons/hicolor/48x48/apps/tarvolin.png", std::string(programIconImages()[0].png));
    ASSERT_TRUE(home.regenerate({"log"}).ok);
    EXPECT_FALSE(home.exists(icon48));
    EXPECT_FALSE(home.exists("data/icons/hicolor/16x16/apps/tarvolin.png"));
}

TEST(ProgramIcon, AnIconThatIsNotOursStaysAndTheMarkNeedsAPicture) {
    Home home;
    fs::ensureFolderPath(home.dir.file("data/icons/hicolor/48x48/apps"));
    const std::string users(programIconImages()[0].png);  // the same picture, unmarked
    home.dir.write("data/icons/hicolor/48x48/apps/tarvolin.png", users);
    const MenuUpdate update = home.regenerate({"log"});
    EXPECT_EQ(update.failedPaths,
              std::vector<std::string>{home.dir.file("data/icons/hicolor/48x48/apps/tarvolin.png")});
    removeAllMenus(home.folders);
    EXPECT_EQ(home.read("data/icons/hicolor/48x48/apps/tarvolin.png"), users);
    EXPECT_FALSE(home.exists("data/icons/hicolor/64x64/apps/tarvolin.png"));

    EXPECT_FALSE(markedAsOurs(std::string(kMadeByLine)));
    EXPECT_EQ(markedPng("not a picture"), "not a picture");
}

TEST(FileManagerFolders, FollowTheBaseDirectoryVariables) {
    ScopedEnv home("HOME", "/home/u");
    ScopedEnv data("XDG_DATA_HOME", "/d/");
    ScopedEnv dirs("XDG_DATA_DIRS", "/a:/b/:relative");
    const MenuFolders folders = menuFolders();
    EXPECT_EQ(folders.nautilusExtensions, "/d/nautilus-python/extensions");
    EXPECT_EQ(folders.nautilusScripts, "/d/nautilus/scripts");
    EXPECT_EQ(folders.fileManagerActions, "/d/file-manager/actions");
    EXPECT_EQ(folders.icons, "/d/icons/hicolor");
    EXPECT_EQ(folders.systemIcons, (std::vector<std::string>{"/a/icons/hicolor", "/b/icons/hicolor"}));
}

}  // namespace
}  // namespace tarvo::menus

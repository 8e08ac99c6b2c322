// make_menus [--nautilus-scripts] PROGRAM [EXT...]: writes the file managers' menus for the
// extensions given, as the settings window does for its list, with PROGRAM as the program they
// start; --nautilus-scripts gives GNOME Files the script it gets where python3-nautilus is not
// installed. The file managers' end-to-end test uses it to set up a private home without
// driving the settings window.
#include <cstdio>
#include <string>
#include <vector>

#include "settings/linux_menus.h"

int main(int argc, char** argv) {
    auto folders = tarvo::menus::menuFolders();
    int first = 1;
    if (argc > 1 && std::string(argv[1]) == "--nautilus-scripts") {
        folders.nautilusPython = false;
        first = 2;
    }
    if (argc <= first) {
        std::fputs("usage: make_menus [--nautilus-scripts] PROGRAM [EXT...]\n", stderr);
        return 2;
    }
    const std::vector<std::string> list(argv + first + 1, argv + argc);
    const auto update = tarvo::menus::regenerateMenus(list, folders, argv[first]);
    for (const auto& path : update.failedPaths) std::fprintf(stderr, "not written: %s\n", path.c_str());
    return update.ok ? 0 : 1;
}

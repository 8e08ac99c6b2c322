// make_menus PROGRAM [EXT...]: writes the file managers' menus for the extensions given, as the
// settings window does for its list, with PROGRAM as the program they start. The file managers'
// end-to-end test uses it to set up a private home without driving the settings window.
#include <cstdio>
#include <string>
#include <vector>

#include "settings/linux_menus.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: make_menus PROGRAM [EXT...]\n", stderr);
        return 2;
    }
    const std::vector<std::string> list(argv + 2, argv + argc);
    const auto update = tarvo::menus::regenerateMenus(list, tarvo::menus::menuFolders(), argv[1]);
    for (const auto& path : update.failedPaths) std::fprintf(stderr, "not written: %s\n", path.c_str());
    return update.ok ? 0 : 1;
}

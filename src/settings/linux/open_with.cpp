// The program's desktop entry for "Open With".
#include "settings/linux/open_with.h"

#include <algorithm>

#include "settings/linux/entry_text.h"

namespace tarvo::menus {

std::string desktopEntry(const std::string& program, bool generated) {
    std::string text;
    if (generated) text += std::string(kMadeByLine) + "\n";
    text += "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += std::string("Name=") + kEntryName + "\n";
    text += "GenericName=Argument Launcher\n";
    text += std::string("Comment=") + kEntryComment + "\n";
    text += std::string("Icon=") + kEntryIcon + "\n";
    text += "Exec=" + execProgram(program) + " %f\n";
    if (plainProgram(program)) text += "TryExec=" + program + "\n";
    text += "Terminal=false\n";
    text += "Categories=Utility;\n";
    text += "Keywords=arguments;command line;run;launch;\n";
    return text;
}

void updateOpenWithEntry(const MenuPlan& plan, MenuUpdate& update) {
    const bool anyType =
        std::any_of(plan.extensions.begin(), plan.extensions.end(),
                    [](const ListedExtension& listed) { return !listed.types.empty(); });
    const std::string& folder = plan.folders.applications;
    if (anyType) {
        putFile(update, folder, kDesktopEntryName, desktopEntry(plan.program, true),
                fs::FileMode::Keep);
    } else if (madeByUs(folder + "/" + kDesktopEntryName)) {
        dropFile(update, folder + "/" + kDesktopEntryName);
    }
}

}  // namespace tarvo::menus

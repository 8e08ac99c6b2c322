// The program's desktop entry for "Open With".
#include "settings/linux/open_with.h"

#include <algorithm>

#include "settings/linux/entry_text.h"

namespace tarvo::menus {

std::string desktopEntry(const std::string& program, const std::vector<std::string>& mimeTypes) {
    std::string text;
    if (!mimeTypes.empty()) text += std::string(kMadeByLine) + "\n";
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
    if (!mimeTypes.empty()) text += "MimeType=" + joinTypes(mimeTypes) + "\n";
    return text;
}

void updateOpenWithEntry(const MenuPlan& plan, MenuUpdate& update) {
    std::vector<std::string> types;
    for (const auto& listed : plan.extensions)
        for (const auto& type : listed.types)
            if (std::find(types.begin(), types.end(), type) == types.end()) types.push_back(type);
    const std::string& folder = plan.folders.applications;
    if (!types.empty()) {
        putFile(update, folder, kDesktopEntryName, desktopEntry(plan.program, types),
                fs::FileMode::Keep);
    } else if (madeByUs(folder + "/" + kDesktopEntryName)) {
        dropFile(update, folder + "/" + kDesktopEntryName);
    }
}

}  // namespace tarvo::menus

// The program's desktop entry for "Open With".
#include "settings/linux/open_with.h"

#include <algorithm>

#include "settings/linux/entry_text.h"
#include "settings/linux/mime_apps.h"

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

namespace {

// The desktop's cache of the types desktop entries list, in the user's folder: an older
// entry of the program listed types, and a cache made from it would keep naming the program
// (GIO takes the first program there for a type without a default). The program's name goes
// from every line; the rest of the cache stays as it is, and the next rebuild agrees.
void dropFromDesktopCache(const std::string& folder, MenuUpdate& update) {
    const std::string path = folder + "/mimeinfo.cache";
    std::string text;
    if (fs::readFile(path, text) != fs::Result::Ok ||
        text.find(kDesktopEntryName) == std::string::npos)
        return;
    MimeAppsList cache(text);
    for (const auto& [type, items] : cache.entries("MIME Cache")) {
        auto kept = items;
        std::erase(kept, std::string(kDesktopEntryName));
        if (kept != items) cache.setItems("MIME Cache", type, kept);
    }
    if (cache.text() != text && fs::replaceFile(path, cache.text()) != fs::Result::Ok) {
        update.ok = false;
        update.failedPaths.push_back(path);
    }
}

}  // namespace

void updateOpenWithEntry(const MenuPlan& plan, MenuUpdate& update) {
    dropFromDesktopCache(plan.folders.applications, update);
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

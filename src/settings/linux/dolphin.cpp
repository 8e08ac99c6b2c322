// Dolphin's service menus.
#include "settings/linux/dolphin.h"

#include "settings/linux/entry_text.h"

namespace tarvo::menus {
namespace {

constexpr char kPrefix[] = "tarvolin-";
constexpr char kSuffix[] = ".desktop";

}  // namespace

std::string dolphinServiceMenu(const std::string& program, std::string_view ext,
                               const std::vector<std::string>& mimeTypes) {
    // Dolphin reads both "Service" and "Application" as the type of a service menu; the
    // latter is the one the desktop entry standard knows, so the file validates as one.
    const std::string exec = execProgram(program) + " " + kIfListedSwitch + " %f";
    std::string text = std::string(kMadeByLine) + "\n";
    text += "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += std::string("Name=") + kEntryName + "\n";
    text += "Comment=" + entryValue(extensionComment(ext)) + "\n";
    text += "Exec=" + exec + "\n";
    if (plainProgram(program)) text += "TryExec=" + program + "\n";
    text += "MimeType=" + joinTypes(mimeTypes) + "\n";
    text += "Actions=tarvolin;\n";
    text += "X-KDE-Priority=TopLevel\n";
    text += "X-KDE-Protocols=file\n";
    text += "X-KDE-MaxNumberOfUrls=1\n";
    text += "\n";
    text += "[Desktop Action tarvolin]\n";
    text += std::string("Name=") + kEntryName + "\n";
    text += std::string("Icon=") + kEntryIcon + "\n";
    text += "Exec=" + exec + "\n";
    return text;
}

void updateDolphinMenus(const MenuPlan& plan, MenuUpdate& update) {
    const std::string& folder = plan.folders.dolphin;
    std::set<std::string> wanted;
    for (const auto& listed : plan.extensions) {
        if (listed.types.empty()) continue;  // Dolphin chooses menus by type only
        const std::string name = kPrefix + listed.stem + kSuffix;
        wanted.insert(name);
        // Dolphin offers a service menu only when the file may be run.
        if (putFile(update, folder, name,
                    dolphinServiceMenu(plan.program, listed.ext, listed.types),
                    fs::FileMode::Executable))
            update.offeredBy[listed.ext].push_back("Dolphin");
    }
    dropOthers(update, folder, kPrefix, kSuffix, wanted);
}

}  // namespace tarvo::menus

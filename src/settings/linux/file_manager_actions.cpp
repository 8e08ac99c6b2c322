// FileManager-Actions files for Caja and PCManFM-Qt.
#include "settings/linux/file_manager_actions.h"

#include "settings/linux/entry_text.h"

namespace tarvo::menus {
namespace {

constexpr char kPrefix[] = "tarvolin-";
constexpr char kSuffix[] = ".desktop";

}  // namespace

std::string fileManagerAction(const std::string& program, std::string_view ext) {
    std::string text = std::string(kMadeByLine) + "\n";
    text += "[Desktop Entry]\n";
    text += "Type=Action\n";
    text += std::string("Name=") + kEntryName + "\n";
    text += "Tooltip=" + entryValue(extensionComment(ext)) + "\n";
    text += std::string("Icon=") + kEntryIcon + "\n";
    text += "Profiles=open;\n";
    text += "\n";
    text += "[X-Action-Profile open]\n";
    text += std::string("Name=") + kEntryName + "\n";
    // Both readers split the command as a shell would, after putting in the quoted path.
    text += "Exec=" + entryValue(shellProgram(program)) + " %f\n";
    text += "MimeTypes=all/allfiles;\n";
    // The file name's pattern in any letter case, as the other menus match.
    text += "Basenames=*." + entryValue(ext) + ";\n";
    text += "Matchcase=false\n";
    text += "SelectionCount==1\n";
    text += "Schemes=file;\n";
    return text;
}

void updateFileManagerActions(const MenuPlan& plan, MenuUpdate& update) {
    const std::string& folder = plan.folders.fileManagerActions;
    if (folder.empty()) return;
    std::set<std::string> wanted;
    for (const auto& listed : plan.extensions) {
        const std::string name = kPrefix + listed.stem + kSuffix;
        wanted.insert(name);
        if (putFile(update, folder, name, fileManagerAction(plan.program, listed.ext),
                    fs::FileMode::Keep)) {
            update.offeredBy[listed.ext].push_back("Caja");
            update.offeredBy[listed.ext].push_back("PCManFM-Qt");
        }
    }
    dropOthers(update, folder, kPrefix, kSuffix, wanted);
}

}  // namespace tarvo::menus

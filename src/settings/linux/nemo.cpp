// Nemo's actions.
#include "settings/linux/nemo.h"

#include "settings/linux/entry_text.h"

namespace tarvo::menus {
namespace {

constexpr char kPrefix[] = "tarvolin-";
constexpr char kSuffix[] = ".nemo_action";

}  // namespace

std::string nemoAction(const std::string& program, std::string_view ext) {
    std::string text = std::string(kMadeByLine) + "\n";
    text += "[Nemo Action]\n";
    text += std::string("Name=") + kEntryName + "\n";
    text += "Comment=" + entryValue(extensionComment(ext)) + "\n";
    text += "Exec=" + entryValue(shellProgram(program)) + " %F\n";
    text += std::string("Icon-Name=") + kEntryIcon + "\n";
    text += "Selection=s\n";
    // With the dot, so that "log" is not found at the end of "catalog"; Nemo compares in
    // lower case.
    text += "Extensions=." + entryValue(ext) + ";\n";
    if (plainProgram(program)) text += "Dependencies=" + program + ";\n";
    return text;
}

void updateNemoActions(const MenuPlan& plan, MenuUpdate& update) {
    const std::string& folder = plan.folders.nemo;
    std::set<std::string> wanted;
    for (const auto& listed : plan.extensions) {
        const std::string name = kPrefix + listed.stem + kSuffix;
        wanted.insert(name);
        if (putFile(update, folder, name, nemoAction(plan.program, listed.ext), fs::FileMode::Keep))
            update.offeredBy[listed.ext].push_back("Nemo");
    }
    dropOthers(update, folder, kPrefix, kSuffix, wanted);
}

}  // namespace tarvo::menus

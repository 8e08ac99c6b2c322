// The one regeneration that brings every file manager's menu in line with the association
// list: the list is read once into a plan, and each format of desktop entry is handed it.
#include "settings/linux_menus.h"

#include <set>

#include "settings/associations.h"

namespace tarvo::menus {
namespace {

// Every format of desktop entry; a new format is a unit in settings/linux/ and a line here.
constexpr MenuFormat kFormats[] = {
    updateDolphinMenus,
    updateNemoActions,
    updateOpenWithEntry,
    updateAddedAssociations,
    updateThunarActions,
    updateNautilus,
    updateFileManagerActions,
    updateProgramIcon,
};

MimeGlobs readMimeDatabase(const MenuFolders& folders) {
    MimeGlobs globs;
    for (const auto& path : folders.mimeGlobs) {
        bool found = false;
        const std::string text = readText(path, found);
        if (found) globs.addFile(text);
    }
    return globs;
}

}  // namespace

MenuUpdate regenerateMenus(const std::vector<std::string>& entries, const MenuFolders& folders,
                           const std::string& program) {
    MenuUpdate update;
    if (folders.dolphin.empty() || folders.thunar.empty()) {
        update.ok = false;  // no home folder: nowhere to put a menu
        return update;
    }
    const MimeGlobs globs = readMimeDatabase(folders);

    // One set of menus per extension; two entries that differ in letter case only would
    // give the same menus, so the first one stands for both.
    MenuPlan plan{folders, program, {}};
    std::set<std::string> stems;
    for (const auto& ext : entries) {
        if (!usableExtension(ext)) {
            update.unusable.push_back(ext);
            continue;
        }
        std::string stem = fileStem(ext);
        if (!stems.insert(stem).second) continue;
        auto types = globs.typesOf(ext);
        if (types.empty()) update.withoutType.push_back(ext);
        plan.extensions.push_back({ext, std::move(stem), std::move(types)});
    }
    for (const MenuFormat format : kFormats) format(plan, update);
    return update;
}

MenuUpdate removeAllMenus(const MenuFolders& folders) {
    return regenerateMenus({}, folders, {});
}

MenuUpdate regenerateMenusFromSettings(const std::string& settingsFile,
                                       const std::string& program) {
    return regenerateMenus(readAssociationList(settingsFile), menuFolders(), program);
}

}  // namespace tarvo::menus

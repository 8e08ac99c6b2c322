// The associations of a Linux desktop, carried out on the file managers' menus.
#include "settings/linux_associations.h"

#include <algorithm>
#include <utility>

#include "settings/associations.h"

namespace tarvo::menus {

std::string withoutTypeMessage(const std::string& ext) {
    return "Nemo and Thunar now offer Tarvolin for ." + ext +
           " files.\n\nDolphin and \"Open With\" choose programs by file type, and no file "
           "type of this system is known by the extension ." +
           ext + ", so they do not offer Tarvolin for these files.";
}

std::string notListedQuestion(const std::string& path) {
    return "\"" + path.substr(path.rfind('/') + 1) +
           "\" has none of the extensions in Tarvolin's list; Dolphin offers Tarvolin for "
           "files of related types as well, and GNOME Files' Scripts menu for every file."
           "\n\nOpen it in Tarvolin anyway?";
}

LinuxAssociations::LinuxAssociations(std::string settingsFile, std::string program,
                                     MenuFolders folders, Notice notice)
    : settingsFile_(std::move(settingsFile)),
      program_(std::move(program)),
      folders_(std::move(folders)),
      notice_(std::move(notice)) {}

std::vector<std::string> LinuxAssociations::current() {
    auto file = readAssociationList(settingsFile_);
    if (made_ && file == fileAtLastChange_) return listAtLastChange_;
    return file;
}

MenuUpdate LinuxAssociations::apply(std::vector<std::string> list) {
    fileAtLastChange_ = readAssociationList(settingsFile_);
    made_ = true;
    listAtLastChange_ = std::move(list);
    return regenerateMenus(listAtLastChange_, folders_, program_);
}

void LinuxAssociations::reportFailures(const MenuUpdate& update) {
    if (update.failedPaths.empty() || !notice_) return;
    std::string text = kMenusNotChangedMessage;
    for (const auto& path : update.failedPaths) text += path + "\n";
    notice_(text, true);
}

bool LinuxAssociations::addExtension(const std::string& ext) {
    if (!usableExtension(ext)) return false;
    auto list = current();
    list.push_back(ext);
    const MenuUpdate update = apply(std::move(list));
    reportFailures(update);
    if (notice_ && std::find(update.withoutType.begin(), update.withoutType.end(), ext) !=
                       update.withoutType.end())
        notice_(withoutTypeMessage(ext), false);
    return true;
}

bool LinuxAssociations::removeExtension(const std::string& ext) {
    auto list = current();
    const auto it = std::find(list.begin(), list.end(), ext);
    if (it == list.end()) return false;
    list.erase(it);
    reportFailures(apply(std::move(list)));
    return true;
}

MenuUpdate LinuxAssociations::refresh() {
    made_ = false;
    return regenerateMenus(readAssociationList(settingsFile_), folders_, program_);
}

MenuUpdate LinuxAssociations::removeAll() {
    return apply({});
}

}  // namespace tarvo::menus

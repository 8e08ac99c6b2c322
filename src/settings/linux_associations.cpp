// The associations of a Linux desktop, carried out on the file managers' menus.
#include "settings/linux_associations.h"

#include <algorithm>
#include <utility>

#include "platform/filesystem.h"
#include "settings/associations.h"

namespace tarvo::menus {

std::string withoutTypeMessage(const std::string& ext, const std::vector<std::string>& offeredBy) {
    std::string text;
    for (std::size_t i = 0; i < offeredBy.size(); ++i) {
        if (i > 0) text += i + 1 == offeredBy.size() ? " and " : ", ";
        text += offeredBy[i];
    }
    if (!text.empty())
        text += std::string(offeredBy.size() == 1 ? " now offers" : " now offer") +
                " Tarvolin for ." + ext + " files.\n\n";
    return text +
           "Dolphin and \"Open With\" choose programs by file type, and no file type of this "
           "system is known by the extension ." +
           ext + ", so they do not offer Tarvolin for these files.";
}

std::string LinuxAssociations::unregisterReport(const MenuUpdate& update) const {
    std::string text;
    for (const auto& path : update.failedPaths) {
        text += path == folders_.entriesOff
                    ? "tarvolin: could not note in " + path +
                          " that the entries are off; opening the settings window makes them "
                          "again\n"
                    : "tarvolin: could not remove Tarvolin's entries from " + path + "\n";
    }
    if (!update.ok && update.failedPaths.empty())
        text += "tarvolin: no home folder (HOME is not set): no entries were looked for\n";
    return text;
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

bool LinuxAssociations::turnOn(MenuUpdate& update) {
    if (folders_.entriesOff.empty()) return true;
    const fs::Result removed = fs::removeFile(folders_.entriesOff);
    if (removed == fs::Result::Ok || removed == fs::Result::NotFound) return true;
    update.ok = false;
    update.failedPaths.push_back(folders_.entriesOff);
    return false;
}

bool LinuxAssociations::entriesOff() const {
    std::string text;
    return !folders_.entriesOff.empty() &&
           fs::readFile(folders_.entriesOff, text) == fs::Result::Ok;
}

bool LinuxAssociations::addExtension(const std::string& ext) {
    if (!usableExtension(ext)) return false;
    auto list = current();
    list.push_back(ext);
    MenuUpdate update = apply(std::move(list));
    turnOn(update);
    reportFailures(update);
    // The entry of an extension that a listed one differing in letter case stands for.
    const std::string stem = fileStem(ext);
    const auto same = [&](const std::string& other) { return fileStem(other) == stem; };
    const auto without = std::find_if(update.withoutType.begin(), update.withoutType.end(), same);
    if (notice_ && without != update.withoutType.end()) {
        const auto offered = update.offeredBy.find(*without);
        notice_(
            withoutTypeMessage(ext, offered != update.offeredBy.end() ? offered->second
                                                                      : std::vector<std::string>{}),
            false);
    }
    return true;
}

bool LinuxAssociations::removeExtension(const std::string& ext) {
    auto list = current();
    const auto it = std::find(list.begin(), list.end(), ext);
    if (it == list.end()) return false;
    list.erase(it);
    MenuUpdate update = apply(std::move(list));
    turnOn(update);
    reportFailures(update);
    return true;
}

MenuUpdate LinuxAssociations::refresh() {
    made_ = false;
    if (entriesOff()) return {};
    return regenerateMenus(readAssociationList(settingsFile_), folders_, program_);
}

MenuUpdate LinuxAssociations::restore() {
    MenuUpdate update;
    if (turnOn(update)) update = refresh();
    reportFailures(update);
    return update;
}

MenuUpdate LinuxAssociations::removeAll() {
    MenuUpdate update = apply({});
    if (folders_.entriesOff.empty()) return update;
    const std::string folder = folders_.entriesOff.substr(0, folders_.entriesOff.rfind('/'));
    if (!fs::ensureFolderPath(folder) ||
        fs::replaceFile(folders_.entriesOff,
                        "Tarvolin's file manager entries were removed by \"tarvolin "
                        "--unregister-all\"; Tarvolin makes them again when its list of "
                        "extensions changes, or when asked to in its settings window.\n") !=
            fs::Result::Ok) {
        update.ok = false;
        update.failedPaths.push_back(folders_.entriesOff);
    }
    return update;
}

}  // namespace tarvo::menus

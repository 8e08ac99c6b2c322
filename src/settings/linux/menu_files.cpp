// The careful writing and removal of the program's own desktop-entry files.
#include "settings/linux/menu_files.h"

#include "settings/linux/entry_text.h"

namespace tarvo::menus {

bool startsWithMadeByLine(std::string_view bytes) {
    return bytes.starts_with(kMadeByLine);
}

std::string readText(const std::string& path, bool& found) {
    std::string bytes;
    found = fs::readFile(path, bytes) == fs::Result::Ok;
    return bytes;
}

bool madeByUs(const std::string& path) {
    bool found = false;
    const std::string text = readText(path, found);
    return found && text.starts_with(kMadeByLine);
}

bool putFile(MenuUpdate& update, const std::string& folder, const std::string& name,
             const std::string& text, fs::FileMode mode, OwnMark ours) {
    const std::string path = folder + "/" + name;
    bool found = false;
    const std::string old = readText(path, found);
    if (found && !ours(old)) {
        update.ok = false;
        update.failedPaths.push_back(path);
        return false;
    }
    if (found && old == text) return true;
    if (!fs::ensureFolderPath(folder) || fs::replaceFile(path, text, mode) != fs::Result::Ok) {
        update.ok = false;
        update.failedPaths.push_back(path);
        return false;
    }
    return true;
}

void dropFile(MenuUpdate& update, const std::string& path) {
    const fs::Result result = fs::removeFile(path);
    if (result != fs::Result::Ok && result != fs::Result::NotFound) {
        update.ok = false;
        update.failedPaths.push_back(path);
    }
}

void dropIfOurs(MenuUpdate& update, const std::string& path, OwnMark ours) {
    bool found = false;
    const std::string old = readText(path, found);
    if (found && ours(old)) dropFile(update, path);
}

void dropOthers(MenuUpdate& update, const std::string& folder, std::string_view prefix,
                std::string_view suffix, const std::set<std::string>& wanted) {
    for (const auto& name : fs::listFolder(folder)) {
        if (!name.starts_with(prefix) || !name.ends_with(suffix) || wanted.count(name) != 0)
            continue;
        const std::string path = folder + "/" + name;
        if (madeByUs(path)) dropFile(update, path);
    }
}

}  // namespace tarvo::menus

// Where the program keeps MRU.INI and Settings.ini.
#include "storage/data_location.h"

#include "common/system_style.h"
#include "platform/filesystem.h"
#include "platform/user_folders.h"
#include "storage/mru_layout.h"

namespace tarvo {
namespace {

constexpr char kLinuxFolderName[] = "tarvolin";

// Linux: the history is state ($XDG_STATE_HOME), the association list is configuration
// ($XDG_CONFIG_HOME), each in a folder of the program's own.
std::string linuxFolderFor(const std::string& fileName) {
    const std::string base =
        fileName == mru::kSettingsFileName ? fs::userConfigFolder() : fs::userStateFolder();
    if (base.empty()) return {};
    return base + "/" + kLinuxFolderName;
}

// Creates folder and every missing folder above it; a fresh account has no ~/.local/state.
void ensureFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1))
        fs::ensureFolder(folder.substr(0, slash));
    fs::ensureFolder(folder);
}

}  // namespace

std::string dataFolder(const std::string& programFolder) {
    if (systemStyle() == SystemStyle::Linux) {
        const std::string folder = linuxFolderFor(mru::kHistoryFileName);
        if (folder.empty()) return programFolder;
        ensureFolders(folder);
        return folder;
    }
    if (fs::isWritableFolder(programFolder)) return programFolder;
    const std::string base = fs::userDataFolder();
    if (base.empty()) return programFolder;
    // On Linux the base folder (~/.local/share) may not exist yet on a fresh account.
    fs::ensureFolder(base);
    const std::string folder = base + "\\Tarvolin";
    return fs::ensureFolder(folder) ? folder : programFolder;
}

std::string dataFile(const std::string& programFolder, const std::string& fileName) {
    if (systemStyle() == SystemStyle::Linux) {
        const std::string folder = linuxFolderFor(fileName);
        if (folder.empty()) return programFolder + "/" + fileName;
        ensureFolders(folder);
        return folder + "/" + fileName;
    }
    return dataFolder(programFolder) + "\\" + fileName;
}

std::vector<std::string> dataFilePlaces(const std::string& programFolder,
                                        const std::string& fileName) {
    if (systemStyle() == SystemStyle::Linux) {
        const std::string folder = linuxFolderFor(fileName);
        if (folder.empty()) return {programFolder + "/" + fileName};
        return {folder + "/" + fileName};
    }
    std::vector<std::string> places{programFolder + "\\" + fileName};
    const std::string base = fs::userDataFolder();
    if (!base.empty()) places.push_back(base + "\\Tarvolin\\" + fileName);
    return places;
}

}  // namespace tarvo

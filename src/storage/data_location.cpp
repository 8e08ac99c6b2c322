// Where the program keeps MRU.INI and Settings.ini.
#include "storage/data_location.h"

#include "platform/filesystem.h"

namespace tarvo {

std::string dataFolder(const std::string& programFolder) {
    if (fs::isWritableFolder(programFolder)) return programFolder;
    const std::string base = fs::userDataFolder();
    if (base.empty()) return programFolder;
    // On Linux the base folder (~/.local/share) may not exist yet on a fresh account.
    fs::ensureFolder(base);
    const std::string folder = base + "\\Tarvolin";
    return fs::ensureFolder(folder) ? folder : programFolder;
}

std::string dataFile(const std::string& programFolder, const std::string& fileName) {
    return dataFolder(programFolder) + "\\" + fileName;
}

std::vector<std::string> dataFilePlaces(const std::string& programFolder,
                                        const std::string& fileName) {
    std::vector<std::string> places{programFolder + "\\" + fileName};
    const std::string base = fs::userDataFolder();
    if (!base.empty()) places.push_back(base + "\\Tarvolin\\" + fileName);
    return places;
}

}  // namespace tarvo

// The folders the desktop entries live in, from the XDG base-directory variables.
#include "settings/linux/folders.h"

#include <algorithm>
#include <cstdlib>

#include "platform/filesystem.h"

namespace tarvo::menus {
namespace {

std::string envFolder(const char* name) {
    const char* value = std::getenv(name);
    // The base-directory rules ignore a relative path.
    if (value == nullptr || value[0] != '/') return {};
    std::string folder = value;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::vector<std::string> envFolderList(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    const std::string list = value != nullptr && value[0] != '\0' ? value : fallback;
    std::vector<std::string> folders;
    std::size_t begin = 0;
    while (begin <= list.size()) {
        std::size_t end = list.find(':', begin);
        if (end == std::string::npos) end = list.size();
        std::string folder = list.substr(begin, end - begin);
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        if (!folder.empty() && folder[0] == '/' &&
            std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
        begin = end + 1;
    }
    return folders;
}

// GNOME Files loads its extension libraries from <libdir>/nautilus/extensions-4 (Nautilus 43
// and later); the one that runs Python extensions is libnautilus-python.so.
bool nautilusPythonInstalled() {
    std::vector<std::string> libs{"/usr/lib", "/usr/lib64", "/usr/local/lib"};
    for (const auto& name : fs::listFolder("/usr/lib"))
        if (name.find("-linux-") != std::string::npos) libs.push_back("/usr/lib/" + name);
    return std::any_of(libs.begin(), libs.end(), [](const std::string& lib) {
        const auto names = fs::listFolder(lib + "/nautilus/extensions-4");
        return std::find(names.begin(), names.end(), "libnautilus-python.so") != names.end();
    });
}

}  // namespace

MenuFolders menuFolders() {
    MenuFolders folders;
    std::string home = envFolder("HOME");
    std::string dataHome = envFolder("XDG_DATA_HOME");
    std::string configHome = envFolder("XDG_CONFIG_HOME");
    if (dataHome.empty() && !home.empty()) dataHome = home + "/.local/share";
    if (configHome.empty() && !home.empty()) configHome = home + "/.config";
    if (!dataHome.empty()) {
        folders.dolphin = dataHome + "/kio/servicemenus";
        folders.nemo = dataHome + "/nemo/actions";
        folders.applications = dataHome + "/applications";
        folders.mimeGlobs.push_back(dataHome + "/mime/globs2");
        folders.nautilusExtensions = dataHome + "/nautilus-python/extensions";
        folders.nautilusScripts = dataHome + "/nautilus/scripts";
        folders.fileManagerActions = dataHome + "/file-manager/actions";
        folders.icons = dataHome + "/icons/hicolor";
    }
    std::string stateHome = envFolder("XDG_STATE_HOME");
    if (stateHome.empty() && !home.empty()) stateHome = home + "/.local/state";
    if (!dataHome.empty()) folders.applicationDirs.push_back(dataHome + "/applications");
    if (!configHome.empty()) {
        folders.thunar = configHome + "/Thunar";
        folders.mimeApps = configHome + "/mimeapps.list";
        folders.configDirs.push_back(configHome);
    }
    if (!stateHome.empty()) {
        folders.addedRecord = stateHome + "/tarvolin/added-associations.list";
        folders.entriesOff = stateHome + "/tarvolin/entries-off";
        folders.thunarMade = stateHome + "/tarvolin/thunar-made";
    }
    for (const auto& dir : envFolderList("XDG_DATA_DIRS", "/usr/local/share:/usr/share")) {
        folders.mimeGlobs.push_back(dir + "/mime/globs2");
        folders.systemIcons.push_back(dir + "/icons/hicolor");
        folders.applicationDirs.push_back(dir + "/applications");
    }
    folders.nautilusPython = nautilusPythonInstalled();
    for (const auto& dir : envFolderList("XDG_CONFIG_DIRS", "/etc/xdg")) {
        folders.systemThunar.push_back(dir + "/Thunar");
        folders.configDirs.push_back(dir);
    }
    const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
    std::string rest = desktops != nullptr ? desktops : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        std::string name = rest.substr(0, colon);
        rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
        for (char& c : name)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (!name.empty()) folders.desktops.push_back(name);
    }
    return folders;
}

}  // namespace tarvo::menus

// The XDG base directories for state and configuration.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/user_folders.h"

namespace tarvo::fs {
namespace {

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] == '\0') return {};
    std::string folder = home;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

// The XDG folders: a relative value counts as unset and is ignored.
std::string xdgFolder(const char* variable, const char* underHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        std::string folder = value;
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        return folder;
    }
    const std::string home = homeFolder();
    if (home.empty()) return {};
    return (home == "/" ? std::string() : home) + underHome;
}

}  // namespace

std::string userStateFolder() {
    return xdgFolder("XDG_STATE_HOME", "/.local/state");
}
std::string userConfigFolder() {
    return xdgFolder("XDG_CONFIG_HOME", "/.config");
}

}  // namespace tarvo::fs

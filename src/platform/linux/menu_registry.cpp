// The association code's registry calls turned into the file managers' menu entries.
#include "platform/linux/menu_registry.h"

#include <string_view>

namespace tarvo::linux_desktop {
namespace {

constexpr std::string_view kTypePrefix = "ext:";
constexpr std::string_view kCommandSuffix = "\\shell\\Tarvolin\\command";
constexpr std::string_view kVerbSuffix = "\\shell\\Tarvolin";

// The extension of an "ext:" type key that ends in suffix. Read from both ends, so an
// extension holding a backslash still comes back whole.
std::optional<std::string> extensionOf(const std::string& key, std::string_view suffix) {
    if (key.size() < kTypePrefix.size() + suffix.size()) return std::nullopt;
    if (key.compare(0, kTypePrefix.size(), kTypePrefix) != 0) return std::nullopt;
    if (key.compare(key.size() - suffix.size(), suffix.size(), suffix) != 0) return std::nullopt;
    return key.substr(kTypePrefix.size(), key.size() - kTypePrefix.size() - suffix.size());
}

}  // namespace

std::optional<std::string> MenuRegistry::extensionOfCommandKey(const std::string& key) {
    return extensionOf(key, kCommandSuffix);
}

std::optional<std::string> MenuRegistry::readDefault(RegistryRoot, const std::string& key) {
    if (key.size() < 2 || key[0] != '.') return std::nullopt;
    return std::string(kTypePrefix) + key.substr(1);
}

bool MenuRegistry::writeDefault(RegistryRoot root, const std::string& key, const std::string&) {
    if (root != RegistryRoot::ClassesRoot) return false;
    const auto ext = extensionOfCommandKey(key);
    return ext && menus_.addExtension(*ext);
}

bool MenuRegistry::deleteKey(RegistryRoot root, const std::string& key) {
    if (root != RegistryRoot::ClassesRoot) return false;
    if (const auto ext = extensionOfCommandKey(key)) return menus_.removeExtension(*ext);
    return extensionOf(key, kVerbSuffix).has_value();
}

}  // namespace tarvo::linux_desktop

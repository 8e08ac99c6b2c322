// A registry that remembers changes, and the one notice to the file manager after them.
#include "settings/registry_changes.h"

#include "platform/file_types.h"
#include "settings/associations.h"

namespace tarvo {

std::optional<std::string> RegistryChanges::readDefault(RegistryRoot root, const std::string& key) {
    return registry_.readDefault(root, key);
}

bool RegistryChanges::writeDefault(RegistryRoot root, const std::string& key,
                                   const std::string& value) {
    const bool done = registry_.writeDefault(root, key, value);
    changed_ = changed_ || done;
    return done;
}

bool RegistryChanges::deleteKey(RegistryRoot root, const std::string& key) {
    const bool done = registry_.deleteKey(root, key);
    changed_ = changed_ || done;
    return done;
}

std::optional<std::string> RegistryChanges::readUserValue(const std::string& key,
                                                          const std::string& valueName) {
    return registry_.readUserValue(key, valueName);
}

void RegistryChanges::announce(FileTypes* types) {
    if (changed_ && types != nullptr) types->associationsChanged();
    changed_ = false;
}

void RemoveAllAssociationsAndAnnounce(Registry& registry, FileTypes* types,
                                      const std::string& programFolder) {
    RegistryChanges changes(registry);
    RemoveAllAssociations(changes, programFolder);
    changes.announce(types);
}

}  // namespace tarvo

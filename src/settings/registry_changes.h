// Telling the file manager once per operation that verbs came or went: the operation runs on
// a registry that remembers whether anything in it changed.
#pragma once

#include <optional>
#include <string>

#include "platform/registry.h"

namespace tarvo {

class FileTypes;

class RegistryChanges final : public Registry {
public:
    explicit RegistryChanges(Registry& registry) : registry_(registry) {}

    std::optional<std::string> readDefault(RegistryRoot root, const std::string& key) override;
    bool writeDefault(RegistryRoot root, const std::string& key, const std::string& value) override;
    bool deleteKey(RegistryRoot root, const std::string& key) override;
    std::optional<std::string> readUserValue(const std::string& key,
                                             const std::string& valueName) override;

    // Ends one operation: when a write or deletion succeeded since the last call, tells the
    // file manager (through types, when there is one). An operation that changed nothing (a
    // refused add, verbs that were already gone) tells nobody.
    void announce(FileTypes* types);

private:
    Registry& registry_;
    bool changed_ = false;
};

// "/cleareg" (RemoveAllAssociations) as one operation: the file manager is told once.
void RemoveAllAssociationsAndAnnounce(Registry& registry, FileTypes* types,
                                      const std::string& programFolder);

}  // namespace tarvo

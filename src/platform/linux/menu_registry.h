// The registry as the association code sees it, answered on Linux by the file managers'
// menus. Every extension has a file type of its own ("ext:" + the extension); writing the
// verb's command for a type adds the menu entries for its extension, deleting the command
// key removes them. Nothing else is stored.
#pragma once

#include "platform/menu_associations.h"
#include "platform/registry.h"

namespace tarvo::linux_desktop {

class MenuRegistry final : public Registry {
public:
    explicit MenuRegistry(MenuAssociations& menus) : menus_(menus) {}

    // ".ext" gives "ext:ext"; every other key has no value.
    std::optional<std::string> readDefault(RegistryRoot root, const std::string& key) override;
    // Only the verb's command key of an "ext:" type is written, and only through the classes
    // root (the user's branch is the Windows fallback and has no meaning here).
    bool writeDefault(RegistryRoot root, const std::string& key, const std::string& value) override;
    // The command key removes the menu entries; the verb key above it is then gone as well.
    bool deleteKey(RegistryRoot root, const std::string& key) override;

    // The extension named by a verb command key, or nullopt for any other key.
    static std::optional<std::string> extensionOfCommandKey(const std::string& key);

private:
    MenuAssociations& menus_;
};

}  // namespace tarvo::linux_desktop

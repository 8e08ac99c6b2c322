// The Linux desktop's side of an association: the entries in the file managers' menus that
// carry the verb for one extension. The settings window reaches them through the registry
// interface (platform/linux/menu_registry.h), so its association code is the same on both
// systems.
#pragma once

#include <string>

namespace tarvo {

class MenuAssociations {
public:
    virtual ~MenuAssociations() = default;
    // Puts the verb into the menus for files ending in "." + ext (ext as the user typed it,
    // without its dot). False when that cannot be done; the user is then told.
    virtual bool addExtension(const std::string& ext) = 0;
    // Takes the verb out of the menus for ext. False when there was nothing to take out or it
    // could not be done; callers pass that over.
    virtual bool removeExtension(const std::string& ext) = 0;
};

// Accepts every extension and changes nothing: the list is kept, and no menu shows it yet.
class ListOnlyMenuAssociations final : public MenuAssociations {
public:
    bool addExtension(const std::string&) override { return true; }
    bool removeExtension(const std::string&) override { return true; }
};

}  // namespace tarvo

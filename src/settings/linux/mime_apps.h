// The XDG association files (mimeapps.list and the caches beside desktop files): a careful
// editor for the user's own mimeapps.list, the default program GIO names for a type, and the
// "Added Associations" that offer the program under "Open With" without making it the
// program a double-click starts.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/linux/menu_files.h"

namespace tarvo::menus {

inline constexpr char kAddedGroup[] = "Added Associations";
inline constexpr char kDefaultGroup[] = "Default Applications";
inline constexpr char kRemovedGroup[] = "Removed Associations";

// A mimeapps.list (or any file of its key-file shape) that is changed one key at a time and
// keeps every other byte: comments, blank lines, other groups, unknown lines, line ends.
class MimeAppsList {
public:
    explicit MimeAppsList(std::string text = {}) : text_(std::move(text)) {}
    const std::string& text() const { return text_; }

    // The desktop ids listed for key in group (the last such line, as key files read), in
    // order, without empty items.
    std::vector<std::string> items(std::string_view group, std::string_view key) const;
    // Every key of group with its items, in file order (a later line for a key replaces it).
    std::vector<std::pair<std::string, std::vector<std::string>>> entries(
        std::string_view group) const;
    // Makes key's line in group list items ("a;b;"); no items takes the line out. A new line
    // goes at the end of the group, a new group at the end of the file.
    void setItems(std::string_view group, std::string_view key,
                  const std::vector<std::string>& items);
    bool hasGroup(std::string_view group) const;
    // Takes out a group that holds nothing but blank lines (its header and the blank line
    // before it); a group with a comment or written in two places is left.
    void removeGroupIfEmpty(std::string_view group);

private:
    std::string text_;
};

// Where GIO looks when it chooses a program for a type, most important first.
struct AssociationSources {
    std::vector<std::string> configDirs;       // $XDG_CONFIG_HOME, $XDG_CONFIG_DIRS
    std::vector<std::string> applicationDirs;  // $XDG_DATA_HOME/applications, $XDG_DATA_DIRS/...
    std::vector<std::string> mimeDirs;         // the MIME database's folders (subclasses)
    std::vector<std::string> desktops;         // $XDG_CURRENT_DESKTOP, in lower case
};

// The files GIO reads, as read once; a test or a change in hand can stand in for any of them.
class AssociationFiles {
public:
    using Reader = std::function<std::optional<std::string>(const std::string& path)>;
    AssociationFiles(AssociationSources sources, Reader read);

    // The desktop id GIO starts for a file of type (g_app_info_get_default_for_type): per type,
    // then per parent type, the defaults of every folder and then the associations of every
    // folder, the first one that is installed. Empty when there is none. ignore is never
    // chosen (the program's own entry, when the choice without it is asked for).
    std::string defaultFor(const std::string& type, std::string_view ignore = {}) const;
    // Another text for one of the files (the user's mimeapps.list as it would be written).
    void replace(const std::string& path, std::string text);

private:
    struct Tweaks {
        std::map<std::string, std::vector<std::string>> defaults, additions, removals;
    };
    std::vector<std::string> typeAndParents(const std::string& type) const;
    Tweaks tweaksOf(std::size_t dir) const;
    bool installed(const std::string& id, std::string_view ignore) const;
    const std::string* file(const std::string& path) const;

    AssociationSources sources_;
    Reader read_;
    mutable std::map<std::string, std::optional<std::string>> files_;
    mutable std::map<std::size_t, Tweaks> tweaks_;  // per folder (by its place), once read
    std::multimap<std::string, std::string> parents_;
};

// Offers the program's desktop entry for every type of the plan in the user's mimeapps.list,
// "Added Associations", behind the program GIO starts for the type today (which is added in
// front of it when GIO would otherwise pick the program), so that the default stays as it
// was; a type no program opens today gets nothing, since the program would become its
// default. What was added is recorded, and only what is recorded and still there is taken out
// again; the user's own lines and items are never changed.
void updateAddedAssociations(const MenuPlan& plan, MenuUpdate& update);

}  // namespace tarvo::menus

// The associations of a Linux desktop: the settings window's additions and removals, and the
// clean-up of "--unregister-all", carried out on the file managers' menus, which are always
// made anew from the whole list (settings/linux_menus.h).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/menu_associations.h"
#include "settings/linux_menus.h"

namespace tarvo::menus {

// Shown when an extension cannot name files in the menus (the counterpart of the Windows
// message about a file type the system does not know).
inline constexpr char kUnusableExtensionMessage[] =
    "This cannot be used as a file extension. Type it without its dot, for example txt, "
    "without blanks at either end and without / \\ ; * ? [ or ].";
// Before the folder of the files that could not be changed.
inline constexpr char kMenusNotChangedMessage[] =
    "Some of the file managers' menus could not be changed:\n\n";

// Asked when Dolphin's menu or GNOME Files' script starts the program on the file at path and
// its extension is not in the list: Dolphin offers the menu for every file of a type derived
// from a listed one, GNOME Files offers its scripts for every file.
std::string notListedQuestion(const std::string& path);

// What the user is told, and whether it is a warning.
using Notice = std::function<void(const std::string& text, bool warning)>;

// The text that tells what an extension without a MIME type gets.
std::string withoutTypeMessage(const std::string& ext);

class LinuxAssociations final : public MenuAssociations {
public:
    LinuxAssociations(std::string settingsFile, std::string program, MenuFolders folders,
                      Notice notice);

    // The menus for the list with ext added. False (and nothing changed) when ext cannot
    // name files in the menus; menus that could not be written are named to the user.
    bool addExtension(const std::string& ext) override;
    // The menus for the list with one ext taken out. False when ext was not listed.
    bool removeExtension(const std::string& ext) override;
    // The menus for the list as the file holds it.
    MenuUpdate refresh();
    // Every menu of the program removed; the list file is not touched.
    MenuUpdate removeAll();

private:
    // The list as the menus should stand before this change. Callers change the list file
    // after the menus (an addition is written, a removal rewritten, "--unregister-all" keeps
    // it): while the file is as it was at the last change, the list this object made then is
    // the one to go on from; once the file has changed, the file is.
    std::vector<std::string> current();
    MenuUpdate apply(std::vector<std::string> list);
    void reportFailures(const MenuUpdate& update);

    std::string settingsFile_;
    std::string program_;
    MenuFolders folders_;
    Notice notice_;
    bool made_ = false;
    std::vector<std::string> fileAtLastChange_;
    std::vector<std::string> listAtLastChange_;
};

}  // namespace tarvo::menus

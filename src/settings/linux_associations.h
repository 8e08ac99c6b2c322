// The associations of a Linux desktop: the settings window's additions and removals, and the
// clean-up of "--unregister-all", carried out on the file managers' menus, which are always
// made anew from the whole list (settings/linux_menus.h).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/menu_associations.h"
#include "settings/linux_menus.h"

namespace tarvo::menus {

// Before the folder of the files that could not be changed.
inline constexpr char kMenusNotChangedMessage[] =
    "Some of the file managers' menus could not be changed:\n\n";

// Asked when Dolphin's menu or GNOME Files' script starts the program on the file at path and
// its extension is not in the list: Dolphin offers the menu for every file of a type derived
// from a listed one, GNOME Files offers its scripts for every file.
std::string notListedQuestion(const std::string& path);

// Asked when the settings window opens while the entries are off: "--unregister-all" took
// them out, and they stay out until the list changes or the user says so here.
inline constexpr char kEntriesOffQuestion[] =
    "Tarvolin's entries were taken out of the file managers' menus (tarvolin "
    "--unregister-all), and Tarvolin leaves them out until the list changes.\n\n"
    "Put them back for the extensions in the list now?";

// What the user is told, and whether it is a warning.
using Notice = std::function<void(const std::string& text, bool warning)>;

// The text that tells what an extension without a MIME type gets: offeredBy names the file
// managers whose entry for it is in place (only those are said to offer it).
std::string withoutTypeMessage(const std::string& ext, const std::vector<std::string>& offeredBy);

class LinuxAssociations final : public MenuAssociations {
public:
    LinuxAssociations(std::string settingsFile, std::string program, MenuFolders folders,
                      Notice notice);

    // The menus for the list with ext added. False (and nothing changed) when ext cannot
    // name files in the menus; menus that could not be written are named to the user.
    bool addExtension(const std::string& ext) override;
    // The menus for the list with one ext taken out. False when ext was not listed.
    bool removeExtension(const std::string& ext) override;
    // The menus for the list as the file holds it, unless the entries are off (then nothing
    // is done). The settings window asks for this as it opens, so the menus follow a new
    // version of the program or a list edited by hand.
    MenuUpdate refresh();
    // Every menu of the program removed, and the entries off from then on: nothing makes
    // them again until the list changes or restore() is asked for. The list file is not
    // touched. A state that cannot be kept counts as a failure (its file is named).
    MenuUpdate removeAll();
    // Whether "--unregister-all" took the entries out and nothing has put them back.
    bool entriesOff() const;
    // The entries on again, made for the list as the file holds it; failures are named.
    MenuUpdate restore();
    // What "--unregister-all" says on standard error after removeAll: a line for each entry
    // it could not remove and for a state it could not keep; empty when all went well.
    std::string unregisterReport(const MenuUpdate& update) const;

private:
    // The list as the menus should stand before this change. Callers change the list file
    // after the menus (an addition is written, a removal rewritten, "--unregister-all" keeps
    // it): while the file is as it was at the last change, the list this object made then is
    // the one to go on from; once the file has changed, the file is.
    std::vector<std::string> current();
    MenuUpdate apply(std::vector<std::string> list);
    void reportFailures(const MenuUpdate& update);
    // The entries on: a change of the list makes them for the whole list.
    bool turnOn(MenuUpdate& update);

    std::string settingsFile_;
    std::string program_;
    MenuFolders folders_;
    Notice notice_;
    bool made_ = false;
    std::vector<std::string> fileAtLastChange_;
    std::vector<std::string> listAtLastChange_;
};

}  // namespace tarvo::menus

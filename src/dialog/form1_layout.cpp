// The argument dialog's layout table and the expand/collapse arithmetic.
#include "dialog/form1_layout.h"

#include <cmath>

#include "common/system_style.h"

namespace tarvo {

const FormSpec& form1Layout() {
    const auto make = [](SystemStyle style) {
        FontSpec base{"Tahoma", 8.25, 400, false, false, 177};
        FontSpec label = base;
        label.points = 9.75;
        FormSpec f;
        f.name = "Form1";
        f.caption = "Tarvolin";
        f.clientWidth = 4995;
        f.clientHeight = 1350;
        f.font = base;
        f.keyPreview = true;
        f.acceptsDrops = true;
        f.hasIcon = false;
        auto add = [&](ControlSpec c) { f.controls.push_back(std::move(c)); };
        add({.name = "cmbArg", .kind = ControlKind::ComboBox, .caption = "", .left = 120,
             .top = 420, .width = 4815, .height = 315, .tabIndex = 0, .font = base,
             .acceptsDrops = true});
        add({.name = "Check1", .kind = ControlKind::CheckBox, .caption = "&CMD", .left = 180,
             .top = 900, .width = 915, .height = 255, .tabIndex = 1, .font = base,
             .acceptsDrops = true});
        add({.name = "CMD_OK", .kind = ControlKind::Button, .caption = "&OK", .left = 1050,
             .top = 870, .width = 1065, .height = 345, .tabIndex = 2, .font = base,
             .defaultButton = true, .acceptsDrops = true,
             // Running as administrator is a Windows verb; on Linux OK only runs the file.
             .toolTip = style == SystemStyle::Linux
                            ? "Run (Enter)"
                            : "Run (Ctrl+Shift+Enter: run as administrator)"});
        add({.name = "CMD_Cancel", .kind = ControlKind::Button, .caption = "Cancel",
             .left = 2250, .top = 870, .width = 1065, .height = 345, .tabIndex = 3,
             .font = base, .acceptsDrops = true});
        // The Browse button takes drops too, with the same effect as its neighbours, so a file
        // let go on any part of the dialog lands in the argument text.
        add({.name = "CMD_Browse", .kind = ControlKind::Button, .caption = "&Browse...",
             .left = 3450, .top = 870, .width = 1065, .height = 345, .tabIndex = 4,
             .font = base, .acceptsDrops = true});
        add({.name = "CMD_About", .kind = ControlKind::Button, .caption = "?", .left = 4590,
             .top = 870, .width = 345, .height = 345, .tabIndex = 5, .font = base,
             .acceptsDrops = true});
        // The label names the target file, whatever characters and length its name has.
        add({.name = "Label1", .kind = ControlKind::Label, .caption = "FileName:", .left = 120,
             .top = 120, .width = 4695, .height = 255, .tabIndex = 6, .font = label,
             .acceptsDrops = true, .showsData = true});
        add({.name = "CMD_WIDTH", .kind = ControlKind::Button, .caption = ">", .left = 4800,
             .top = -60, .width = 255, .height = 255, .tabIndex = 7, .font = base,
             .acceptsDrops = true, .toolTip = "Expand"});
        return f;
    };
    // Built once for each style; tests switch between them.
    static const FormSpec onWindows = make(SystemStyle::Windows);
    static const FormSpec onLinux = make(SystemStyle::Linux);
    return systemStyle() == SystemStyle::Linux ? onLinux : onWindows;
}

const std::vector<MenuItem>& browseMenu() {
    static const std::vector<MenuItem> items = {
        {"browse_addfiles", "Add Files... "},
        {"browse_addfolders", "Add Folders..."},
        {"sep", "-"},
        {"browse_clear_addfiles", "Clear && Add Files..."},
        {"browse_clear_addfolders", "Clear && Add Folders..."},
    };
    return items;
}

WidthLayout expandedWindow(double screenWidthTwips) {
    const double s = std::round(screenWidthTwips);
    return {static_cast<int>(std::lround(static_cast<float>(s - s * 0.1))),
            static_cast<int>(std::lround(s * 0.05))};
}

WidthLayout collapsedWindow(double screenWidthTwips) {
    return {kCollapsedWidth, static_cast<int>(std::lround(screenWidthTwips * 0.5 - 2543))};
}

}  // namespace tarvo

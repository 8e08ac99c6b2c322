// The settings window's layout table.
#include "settings/settings_layout.h"

namespace tarvo {

const FormSpec& settingsLayout() {
    static const FormSpec layout = [] {
        // The window's own font is the Western one; every control names the Hebrew charset.
        const FontSpec windowFont{"Tahoma", 8.25, 400, false, false, 0};
        const FontSpec base{"Tahoma", 8.25, 400, false, false, 177};
        FontSpec link = base;
        link.underline = true;

        FormSpec f;
        f.name = "frmSettings";
        f.caption = "Tarvolin";
        f.clientWidth = 4815;
        f.clientHeight = 4575;
        f.font = windowFont;
        f.keyPreview = false;
        f.acceptsDrops = false;
        f.hasIcon = true;
        auto add = [&](ControlSpec c) { f.controls.push_back(std::move(c)); };

        add({.name = "CMD_OK",
             .kind = ControlKind::Button,
             .caption = "&OK",
             .left = 3600,
             .top = 4080,
             .width = 1095,
             .height = 375,
             .tabIndex = 0,
             .font = base,
             .defaultButton = true});
        add({.name = "CMD_RUN",
             .kind = ControlKind::Button,
             .caption = "Run a File &Now...",
             .left = 1200,
             .top = 170,
             .width = 2295,
             .height = 375,
             .tabIndex = 1,
             .font = base,
             .visible = false});
        // List1, CMD_ADD and CMD_REMOVE lie inside Frame2's rectangle but belong to the
        // window and stand in front of the frame, so they move on their own.
        add({.name = "List1",
             .kind = ControlKind::ListBox,
             .caption = "",
             .left = 240,
             .top = 1920,
             .width = 2535,
             .height = 1425,
             .tabIndex = 2,
             .font = base});
        add({.name = "CMD_ADD",
             .kind = ControlKind::Button,
             .caption = "&Add",
             .left = 3000,
             .top = 2160,
             .width = 1455,
             .height = 375,
             .tabIndex = 3,
             .font = base});
        add({.name = "CMD_REMOVE",
             .kind = ControlKind::Button,
             .caption = "&Remove",
             .left = 3000,
             .top = 2640,
             .width = 1455,
             .height = 375,
             .tabIndex = 4,
             .font = base,
             .enabled = false});
        add({.name = "CMD_File",
             .kind = ControlKind::Button,
             .caption = "Clear File History",
             .left = 120,
             .top = 3660,
             .width = 2415,
             .height = 375,
             .tabIndex = 5,
             .font = base,
             .enabled = false});
        add({.name = "CMD_ClearAll",
             .kind = ControlKind::Button,
             .caption = "Clear All History",
             .left = 120,
             .top = 4080,
             .width = 2415,
             .height = 375,
             .tabIndex = 6,
             .font = base});
        add({.name = "Frame1",
             .kind = ControlKind::Frame,
             .caption = " About: ",
             .left = 120,
             .top = 120,
             .width = 4575,
             .height = 1455,
             .tabIndex = 7,
             .font = base});
        // The About frame's children, placed within the frame.
        add({.name = "Label1",
             .kind = ControlKind::Label,
             .caption = "Pendrask",
             .left = 120,
             .top = 360,
             .width = 1425,
             .height = 195,
             .tabIndex = 8,
             .font = base,
             .parent = "Frame1"});
        add({.name = "Label2",
             .kind = ControlKind::Label,
             .caption = "Tarvolin version " TARVO_VERSION " (9X)",
             .left = 120,
             .top = 600,
             .width = 2610,
             .height = 195,
             .tabIndex = 9,
             .font = base,
             .parent = "Frame1"});
        add({.name = "Label4",
             .kind = ControlKind::Label,
             .caption = "Website:",
             .left = 120,
             .top = 1080,
             .width = 645,
             .height = 195,
             .tabIndex = 10,
             .font = base,
             .parent = "Frame1"});
        add({.name = "Label3",
             .kind = ControlKind::Label,
             .caption = "Email:",
             .left = 120,
             .top = 840,
             .width = 420,
             .height = 195,
             .tabIndex = 11,
             .font = base,
             .parent = "Frame1"});
        add({.name = "lbl_MAIL",
             .kind = ControlKind::LinkLabel,
             .caption = kMakerMail,
             .left = 840,
             .top = 840,
             .width = 2535,
             .height = 195,
             .tabIndex = 12,
             .font = link,
             .parent = "Frame1"});
        add({.name = "lbl_WWW",
             .kind = ControlKind::LinkLabel,
             .caption = kMakerWeb,
             .left = 840,
             .top = 1080,
             .width = 3375,
             .height = 195,
             .tabIndex = 13,
             .font = link,
             .parent = "Frame1"});
        add({.name = "Frame2",
             .kind = ControlKind::Frame,
             .caption = " File Association: ",
             .left = 120,
             .top = 1680,
             .width = 4575,
             .height = 1815,
             .tabIndex = 14,
             .font = base});
        // No picture of its own: the window gives it its icon when it loads.
        add({.name = "Image1",
             .kind = ControlKind::Image,
             .caption = "",
             .left = 3600,
             .top = 240,
             .width = 840,
             .height = 840,
             .tabIndex = -1,
             .font = base,
             .parent = "Frame1"});
        return f;
    }();
    return layout;
}

}  // namespace tarvo

// A window described as plain data: the front end's form builder turns such a table into
// real controls (twips to pixels by the window's DPI) and routes their events to the form's
// handlers by control name.
#pragma once

#include <string>
#include <vector>

namespace tarvo {

enum class ControlKind { Label, LinkLabel, ComboBox, CheckBox, Button, ListBox, Frame, Image };

struct FontSpec {
    std::string face = "Tahoma";
    double points = 8.25;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    int charset = 0;
};

struct ControlSpec {
    std::string name{};  // the name the handlers use: "cmbArg", "CMD_OK", ...
    ControlKind kind = ControlKind::Label;
    std::string caption{};  // as stored: "&" marks the access key, "&&" a literal ampersand
    int left = 0, top = 0, width = 0, height = 0;  // twips, in the client area or parent frame
    int tabIndex = -1;                             // -1: not a tab stop of its own
    FontSpec font{};
    std::string parent{};  // the containing frame's name; empty for the window itself
    bool defaultButton = false;
    bool enabled = true;
    bool visible = true;
    bool acceptsDrops = false;
    std::string toolTip{};
    // A label that shows data (a file name) rather than a caption: "&" is shown as itself and
    // marks no access key, the text stays on one line and is cut with an ellipsis where it
    // does not fit, the label keeps its size, and its whole text is its tool tip.
    bool showsData = false;
};

struct FormSpec {
    std::string name;
    std::string caption;
    int clientWidth, clientHeight;  // twips
    FontSpec font;
    bool keyPreview = false;
    bool acceptsDrops = false;
    bool hasIcon = false;
    std::vector<ControlSpec> controls;  // in tab order, then the ones without a tab stop

    const ControlSpec* find(const std::string& controlName) const {
        for (const auto& c : controls)
            if (c.name == controlName) return &c;
        return nullptr;
    }
};

}  // namespace tarvo

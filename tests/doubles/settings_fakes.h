// The settings window on in-memory controls built from its layout table, with a recording
// host, shell and registry, a scripted argument dialog, and its data in a temporary folder.
#pragma once

#include <functional>
#include <string>

#include "doubles/fake_controls.h"
#include "doubles/fake_dialog_link.h"
#include "doubles/fake_file_types.h"
#include "doubles/fake_registry.h"
#include "doubles/fake_services.h"
#include "doubles/temp_folder.h"
#include "settings/frm_settings.h"
#include "settings/settings_layout.h"

namespace tarvo::test {

class FakeIconImage : public FakeControl, public IconImage {
public:
    using FakeControl::FakeControl;
    void showWindowIcon() override { showsIcon = true; }
    bool showsIcon = false;
};

// The window's controls in their design positions and start states.
struct SettingsFakeControls {
    template <class T>
    static void place(T& control, const char* name) {
        const ControlSpec* c = settingsLayout().find(name);
        control.setLeft(c->left);
        control.setTop(c->top);
        control.setWidth(c->width);
        control.setHeight(c->height);
        control.setCaption(c->caption);
        control.setEnabled(c->enabled);
        control.setVisible(c->visible);
    }
    SettingsFakeControls() {
        place(CMD_OK, "CMD_OK");
        place(CMD_RUN, "CMD_RUN");
        place(List1, "List1");
        place(CMD_ADD, "CMD_ADD");
        place(CMD_REMOVE, "CMD_REMOVE");
        place(CMD_File, "CMD_File");
        place(CMD_ClearAll, "CMD_ClearAll");
        place(Frame1, "Frame1");
        place(Frame2, "Frame2");
        place(lbl_MAIL, "lbl_MAIL");
        place(lbl_WWW, "lbl_WWW");
        place(Image1, "Image1");
    }
    SettingsControls wire() {
        return {form,         CMD_OK, CMD_RUN, List1,    CMD_ADD, CMD_REMOVE, CMD_File,
                CMD_ClearAll, Frame1, Frame2,  lbl_MAIL, lbl_WWW, Image1};
    }
    // Outer height of the design window: client area, caption bar and bottom frame.
    FakeWindow form{0, 0, 4815 + 90, 4575 + 345, "Tarvolin"};
    FakeControl CMD_OK, CMD_RUN, CMD_ADD, CMD_REMOVE, CMD_File, CMD_ClearAll, Frame1, Frame2,
        lbl_MAIL, lbl_WWW;
    FakeListBox List1;
    FakeIconImage Image1;
};

struct SettingsRig {
    SettingsRig() { host.folder = temp.path(); }

    // Adds an extension key naming a file type, as the system keeps them.
    void knowType(const std::string& ext, const std::string& type) {
        registry.setClass("." + ext, type);
    }
    // Writes the verb's command value through the classes root, as an earlier add did.
    void registerVerb(const std::string& type) {
        registry.setClass(commandKey(type), verbCommand(temp.path()));
    }
    std::string settings() const { return temp.read("Settings.ini"); }
    void setSettings(const std::string& bytes) const { temp.write("Settings.ini", bytes); }
    std::string mru() const { return temp.read("MRU.INI"); }
    void setMru(const std::string& bytes) const { temp.write("MRU.INI", bytes); }

    // Loads the window as it is opened: without a target (CheckEx "6") or from the dialog.
    frmSettings& open(const std::string& checkEx) {
        dialog.checkEx = checkEx;
        window.Form_Load();
        return window;
    }
    std::vector<std::string> listed() const { return ui.List1.items_; }
    void select(int index) {
        ui.List1.setListIndex(index);
        window.List1_Click();
    }

    TempFolder temp;
    FakeHost host;
    FakeShell shell;
    FakeRegistry registry;
    FakeDialogLink dialog;
    FakeFileTypes types;
    SettingsFakeControls ui;
    frmSettings window{ui.wire(), {host, shell, registry, dialog, &types}};
};

}  // namespace tarvo::test

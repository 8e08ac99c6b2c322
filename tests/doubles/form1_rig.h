// A Form1 on in-memory controls and recording services, with its data in a temporary folder.
#pragma once

#include "dialog/form1.h"
#include "dialog/form1_layout.h"
#include "doubles/fake_controls.h"
#include "doubles/fake_file_types.h"
#include "doubles/fake_services.h"
#include "doubles/temp_folder.h"

namespace tarvo::test {

struct Form1Rig {
    static FakeControl fromLayout(const char* name) {
        const ControlSpec* c = form1Layout().find(name);
        return FakeControl(c->left, c->top, c->width, c->height, c->caption);
    }
    template <class T>
    static void place(T& control, const char* name) {
        const ControlSpec* c = form1Layout().find(name);
        control.setLeft(c->left);
        control.setTop(c->top);
        control.setWidth(c->width);
        control.setHeight(c->height);
        control.setCaption(c->caption);
    }

    Form1Rig() {
        host.folder = temp.path();
        form.setWidth(kCollapsedWidth);
        place(cmbArg, "cmbArg");
        place(Check1, "Check1");
    }

    TempFolder temp;
    FakeHost host;
    FakeShell shell;
    FakeFilePicker files;
    FakeFolderPicker folders;
    FakeFileTypes types;
    FakeWindow form{0, 0, kCollapsedWidth, 1725, "Tarvolin"};
    FakeControl Label1 = fromLayout("Label1");
    FakeComboBox cmbArg;
    FakeCheckBox Check1;
    FakeControl CMD_OK = fromLayout("CMD_OK");
    FakeControl CMD_Cancel = fromLayout("CMD_Cancel");
    FakeControl CMD_Browse = fromLayout("CMD_Browse");
    FakeControl CMD_About = fromLayout("CMD_About");
    FakeControl CMD_WIDTH = fromLayout("CMD_WIDTH");
    Form1 dialog{{form, Label1, cmbArg, Check1, CMD_OK, CMD_Cancel, CMD_Browse, CMD_About,
                  CMD_WIDTH},
                 {host, shell, files, folders, &types}};

    std::string mru() const { return temp.read("MRU.INI"); }
    void setMru(const std::string& bytes) const { temp.write("MRU.INI", bytes); }
    void load(const std::string& target) {
        dialog.setTargetPath(target);
        dialog.LoadTarget();
    }
};

}  // namespace tarvo::test

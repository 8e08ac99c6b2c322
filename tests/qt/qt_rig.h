// The real Qt windows of tarvolin (offscreen) on recording services, in the Linux style with
// their data in a temporary folder.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "doubles/fake_services.h"
#include "doubles/scoped_style.h"
#include "doubles/temp_folder.h"
#include "frontend/qt/qt_program.h"
#include "platform/linux/menu_registry.h"

namespace tarvo::test {

// The recording host, with the window requests reaching the real program.
class ForwardingHost : public FakeHost {
public:
    void unloadDialog() override {
        FakeHost::unloadDialog();
        if (program) program->unloadDialog();
    }
    void showSettings() override {
        FakeHost::showSettings();
        if (program) program->showSettings();
    }
    void unloadSettings() override {
        FakeHost::unloadSettings();
        if (program) program->unloadSettings();
    }
    qt::QtProgram* program = nullptr;
};

struct QtRig {
    explicit QtRig(double dpi = 96) : program({host, shell, files, folders, registry}, dpi) {
        host.folder = temp.path();
        host.program = &program;
        program.onFinished = [this] { ++finished; };
    }
    ~QtRig() { host.program = nullptr; }

    // A target file in the temporary folder.
    std::string target(const std::string& name = "run.sh") const {
        temp.write(name, "#!/bin/sh\n");
        return temp.file(name);
    }
    std::string mru() const { return temp.read("state/tarvolin/MRU.INI"); }
    void setMru(const std::string& bytes) const {
        std::filesystem::create_directories(temp.path() + "/state/tarvolin");
        temp.write("state/tarvolin/MRU.INI", bytes);
    }

    qt::QtForm& dialog() { return program.dialog().native(); }
    QWidget* widget(const std::string& name) { return dialog().find(name)->widget(); }
    QComboBox* combo() { return static_cast<QComboBox*>(widget("cmbArg")); }
    QLineEdit* edit() { return combo()->lineEdit(); }

    TempFolder temp;
    ScopedLinuxStyle style{temp.path()};
    ForwardingHost host;
    FakeShell shell;
    FakeFilePicker files;
    FakeFolderPicker folders;
    ListOnlyMenuAssociations menus;
    linux_desktop::MenuRegistry registry{menus};
    qt::QtProgram program;
    int finished = 0;
};

}  // namespace tarvo::test

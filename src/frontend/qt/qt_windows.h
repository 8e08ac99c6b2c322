// The two windows of the Qt front end: the argument dialog and the settings window, each a
// form built from its layout table with the core's event procedures behind it.
#pragma once

#include <memory>

#include "dialog/form1.h"
#include "frontend/qt/qt_form.h"
#include "settings/frm_settings.h"

namespace tarvo::qt {

class Form1Window {
public:
    // Builds the dialog hidden and constructs Form1 on its controls.
    explicit Form1Window(Form1Services services, BuildOptions options = {});
    Form1Window(const Form1Window&) = delete;
    Form1Window& operator=(const Form1Window&) = delete;

    QtForm& native() { return *form_; }
    Form1& form1() { return form1_; }

private:
    static Form1Controls controlsOf(QtForm& form);
    void onClick(const std::string& control);
    void nameControls();

    std::unique_ptr<QtForm> form_;
    Form1 form1_;
};

class SettingsWindow {
public:
    // The settings window's design frame: 45 twips at the sides and bottom, 300 above.
    static BuildOptions designOptions(double dpi = 0);

    // Builds the window hidden; nothing is read yet.
    explicit SettingsWindow(SettingsServices services, BuildOptions options = designOptions());
    ~SettingsWindow();
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    // Form_Load, then the window is shown.
    void load();
    // Hides the window, then Form_Unload (which shows the dialog or ends the program).
    void unload();

    QtForm& native() { return *form_; }
    frmSettings& form() { return *settings_; }

private:
    class Image;
    std::unique_ptr<QtForm> form_;
    std::unique_ptr<Image> image_;
    std::unique_ptr<frmSettings> settings_;
};

}  // namespace tarvo::qt

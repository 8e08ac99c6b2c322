// The settings window on Win32: the window built from its layout table, frmSettings on its
// controls, and frmSettings' event procedures wired to the window's events.
#pragma once

#include <memory>
#include <string>

#include "frontend/win32/native_form.h"
#include "settings/frm_settings.h"

namespace tarvo::win {

// A frame's caption as a name: without the blanks around it and its closing colon
// (" File Association: " names "File Association").
std::string nameFromCaption(const std::string& caption);

class SettingsWindow {
public:
    // The settings window's design frame: 45 twips at the sides and bottom, 300 above.
    static BuildOptions designOptions();

    // Builds the window hidden with its start states; nothing is read yet.
    explicit SettingsWindow(SettingsServices services, BuildOptions options = designOptions());
    ~SettingsWindow();
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    // Form_Load, then the window is shown modeless, owned by no other window.
    void load();
    // Hides the window, then Form_Unload (which shows the dialog or ends the program). The
    // owner destroys the object afterwards, outside the window's own handlers.
    void unload();

    NativeForm& native() { return form_; }
    frmSettings& form() { return *settings_; }
    HWND hwnd() const { return form_.hwnd(); }

private:
    class Image;
    void nameControls();
    NativeForm form_;
    std::unique_ptr<Image> image_;
    std::unique_ptr<frmSettings> settings_;
};

}  // namespace tarvo::win

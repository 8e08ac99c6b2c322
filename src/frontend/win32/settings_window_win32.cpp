// Wires frmSettings' event procedures to the settings window's real window.
#include "frontend/win32/settings_window_win32.h"

#include <oleacc.h>

#include "settings/settings_layout.h"

namespace tarvo::win {

// Image1 as frmSettings sees it: the real static control, which shows the program's icon
// when the window loads.
class SettingsWindow::Image final : public IconImage {
public:
    Image(NativeForm& form, WinControl& control) : form_(form), c_(control) {}
    void showWindowIcon() override { form_.setImage(c_.name(), NativeForm::programIcon()); }

    int left() const override { return c_.left(); }
    void setLeft(int twips) override { c_.setLeft(twips); }
    int top() const override { return c_.top(); }
    void setTop(int twips) override { c_.setTop(twips); }
    int width() const override { return c_.width(); }
    void setWidth(int twips) override { c_.setWidth(twips); }
    int height() const override { return c_.height(); }
    void setHeight(int twips) override { c_.setHeight(twips); }
    std::string caption() const override { return c_.caption(); }
    void setCaption(const std::string& text) override { c_.setCaption(text); }
    bool enabled() const override { return c_.enabled(); }
    void setEnabled(bool on) override { c_.setEnabled(on); }
    bool visible() const override { return c_.visible(); }
    void setVisible(bool on) override { c_.setVisible(on); }

private:
    NativeForm& form_;
    WinControl& c_;
};

std::string nameFromCaption(const std::string& caption) {
    const auto first = caption.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    auto last = caption.find_last_not_of(" :");
    if (last == std::string::npos || last < first) last = caption.size() - 1;
    return caption.substr(first, last - first + 1);
}

BuildOptions SettingsWindow::designOptions() {
    BuildOptions options;
    options.frameSide = 45;
    options.frameTop = 300;
    return options;
}

SettingsWindow::SettingsWindow(SettingsServices services, BuildOptions options)
    : form_(settingsLayout(), options),
      image_(std::make_unique<Image>(form_, *form_.find("Image1"))) {
    NativeForm& f = form_;
    settings_ = std::make_unique<frmSettings>(
        SettingsControls{f.window(), f.control("CMD_OK"), f.control("CMD_RUN"), f.listBox("List1"),
                         f.control("CMD_ADD"), f.control("CMD_REMOVE"), f.control("CMD_File"),
                         f.control("CMD_ClearAll"), f.control("Frame1"), f.control("Frame2"),
                         f.control("lbl_MAIL"), f.control("lbl_WWW"), *image_},
        services);
    // A list box reports a changed selection as its click.
    f.events.click = [this](const std::string& control) { settings_->click(control); };
    // The close box unloads the window the same way as OK.
    f.events.close = [&host = services.host] { host.unloadSettings(); };
    nameControls();
}

// The list has no label before it (its frame lies behind every control): it is named by its
// frame's caption. The addresses are read as links, with what they do as their description;
// the picture is the program's icon.
void SettingsWindow::nameControls() {
    NativeForm& f = form_;
    f.annotate("List1", {.name = nameFromCaption(f.control("Frame2").caption()),
                         .description = {},
                         .role = 0});
    f.annotate("lbl_MAIL", {.name = {}, .description = "Write an email", .role = ROLE_SYSTEM_LINK});
    f.annotate("lbl_WWW", {.name = {}, .description = "Open the website", .role = ROLE_SYSTEM_LINK});
    f.annotate("Image1", {.name = "Tarvolin", .description = {}, .role = 0});
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::load() {
    settings_->Form_Load();
    form_.show();
}

void SettingsWindow::unload() {
    form_.hide();
    settings_->Form_Unload();
}

}  // namespace tarvo::win

// Wires the forms' event procedures to the Qt windows.
#include "frontend/qt/qt_windows.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>

#include "frontend/qt/qt_accessible.h"

#include "dialog/form1_layout.h"
#include "settings/settings_layout.h"

namespace tarvo::qt {

Form1Controls Form1Window::controlsOf(QtForm& form) {
    return Form1Controls{form.window(),
                         form.control("Label1"),
                         form.comboBox("cmbArg"),
                         form.checkBox("Check1"),
                         form.control("CMD_OK"),
                         form.control("CMD_Cancel"),
                         form.control("CMD_Browse"),
                         form.control("CMD_About"),
                         form.control("CMD_WIDTH")};
}

Form1Window::Form1Window(Form1Services services, BuildOptions options)
    : form_(std::make_unique<QtForm>(form1Layout(), options)),
      form1_(controlsOf(*form_), services) {
    FormEvents& e = form_->events;
    e.click = [this](const std::string& control) { onClick(control); };
    // Every drop target of the dialog shares one routine, which adds the first path.
    e.drop = [this](const std::string&, const std::vector<std::string>& files) {
        form1_.OLEDragDrop({files.front()});
    };
    e.close = [services] { services.host.unloadDialog(); };
    e.keyPreview = [this](int key) { return form1_.Form_KeyPress(key); };
    e.keyPress["cmbArg"] = [this](int key) { return form1_.cmbArg_KeyPress(key); };
    nameControls();
}

// Names a screen reader speaks in words where the captions are signs or absent; every other
// control is read by its caption.
void Form1Window::nameControls() {
    QtForm& f = *form_;
    auto* box = static_cast<QComboBox*>(f.find("cmbArg")->widget());
    setAccessibleKind(box, AccessibleKind::ArgumentBox);
    const auto nameBox = [box](const QString& name) {
        box->setAccessibleName(name);
        box->lineEdit()->setAccessibleName(name);
        box->view()->setAccessibleName(name);
    };
    nameBox(QStringLiteral("Arguments"));
    // The file's name comes with the label that shows it.
    f.find("Label1")->captionChanged = [this, nameBox](const std::string&) {
        nameBox(QStringLiteral("Arguments for ") + toQt(form1_.FILEName));
    };

    QWidget* width = f.find("CMD_WIDTH")->widget();
    setAccessibleKind(width, AccessibleKind::DisclosureButton);
    const auto nameWidth = [width](const std::string& caption) {
        const bool expanded = caption == "<";
        width->setAccessibleName(expanded ? QStringLiteral("Fewer options")
                                          : QStringLiteral("More options"));
        // Said in place of the tool tip ("Expand"), which would contradict the expanded state.
        width->setAccessibleDescription(expanded ? QStringLiteral("Narrow the window again")
                                                 : QStringLiteral("Widen the window"));
        setExpanded(width, expanded);
    };
    nameWidth(f.find("CMD_WIDTH")->caption());
    f.find("CMD_WIDTH")->captionChanged = nameWidth;

    f.find("CMD_About")->widget()->setAccessibleName(QStringLiteral("Settings"));
    f.find("Check1")->widget()->setAccessibleDescription(
        QStringLiteral("Run the file in a terminal that stays open"));
    f.find("CMD_Browse")->widget()->setAccessibleDescription(
        QStringLiteral("Add files or folders to the arguments"));
    f.find("Label1")->widget()->setAccessibleDescription(QStringLiteral("The file to run"));
}

void Form1Window::onClick(const std::string& control) {
    if (control == "CMD_OK")
        form1_.CMD_OK_Click();
    else if (control == "CMD_Cancel")
        form1_.CMD_Cancel_Click();
    else if (control == "CMD_About")
        form1_.CMD_About_Click();
    else if (control == "CMD_WIDTH")
        form1_.CMD_WIDTH_Click();
    else if (control == "CMD_Browse")
        form1_.CMD_Browse_Click();
    // Check1 toggles by itself; Form1 has no click procedure for it.
}

// Image1 as frmSettings sees it: a label that shows the program's icon when the window loads.
class SettingsWindow::Image final : public IconImage {
public:
    explicit Image(QtControl& control) : c_(control) {}
    void showWindowIcon() override {
        auto* label = static_cast<QLabel*>(c_.widget());
        const QIcon icon = QApplication::windowIcon();
        const int side = std::min(label->width(), label->height());
        label->setPixmap(icon.pixmap(side));
    }
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
    QtControl& c_;
};

BuildOptions SettingsWindow::designOptions(double dpi) {
    BuildOptions options;
    options.dpi = dpi;
    options.frameSide = 45;
    options.frameTop = 300;
    return options;
}

SettingsWindow::SettingsWindow(SettingsServices services, BuildOptions options)
    : form_(std::make_unique<QtForm>(settingsLayout(), options)),
      image_(std::make_unique<Image>(*form_->find("Image1"))) {
    QtForm& f = *form_;
    settings_ = std::make_unique<frmSettings>(
        SettingsControls{f.window(), f.control("CMD_OK"), f.control("CMD_RUN"), f.listBox("List1"),
                         f.control("CMD_ADD"), f.control("CMD_REMOVE"), f.control("CMD_File"),
                         f.control("CMD_ClearAll"), f.control("Frame1"), f.control("Frame2"),
                         f.control("lbl_MAIL"), f.control("lbl_WWW"), *image_},
        services);
    f.events.click = [this](const std::string& control) { settings_->click(control); };
    // The close box unloads the window the same way as OK.
    f.events.close = [&host = services.host] { host.unloadSettings(); };

    // The list is named by its frame's caption; each link by its address, labelled by the
    // caption before it; the picture is the program's icon.
    auto* frame = static_cast<QGroupBox*>(f.find("Frame2")->widget());
    f.find("List1")->widget()->setAccessibleName(nameFromCaption(frame->title()));
    static_cast<QLabel*>(f.find("Label3")->widget())->setBuddy(f.find("lbl_MAIL")->widget());
    static_cast<QLabel*>(f.find("Label4")->widget())->setBuddy(f.find("lbl_WWW")->widget());
    f.find("lbl_MAIL")->widget()->setAccessibleDescription(QStringLiteral("Write an email"));
    f.find("lbl_WWW")->widget()->setAccessibleDescription(QStringLiteral("Open the website"));
    f.find("Image1")->widget()->setAccessibleName(QStringLiteral("Tarvolin"));
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::load() {
    settings_->Form_Load();
    form_->showForm();
}

void SettingsWindow::unload() {
    form_->hide();
    settings_->Form_Unload();
}

}  // namespace tarvo::qt

// The running tarvolin: windows, hand-over and start-up.
#include "frontend/qt/qt_program.h"

#include "settings/associations.h"

namespace tarvo::qt {

QtProgram::QtProgram(ProgramServices services, double dpi) : s_(services), dpi_(dpi) {
    BuildOptions options;
    options.dpi = dpi_;
    dialog_ = std::make_unique<Form1Window>(
        Form1Services{s_.host, s_.shell, s_.filePicker, s_.folderPicker}, options);
    link_ = std::make_unique<Form1Link>(dialog_->form1());
}

QtProgram::~QtProgram() = default;

StartMode QtProgram::start(const std::string& commandLine) {
    const StartMode mode = Form_Initialize(dialog_->form1(), s_.host, commandLine, [this] {
        RemoveAllAssociations(s_.registry, s_.host.programFolder());
    });
    if (mode == StartMode::Dialog) dialog_->native().showForm();
    return mode;
}

// The dialog stays in memory until the program ends: an unload may come from inside one of
// its own handlers, so it is only hidden here.
void QtProgram::unloadDialog() {
    dialogLoaded_ = false;
    dialog_->native().hide();
    if (!settings_) finish();
}

void QtProgram::showSettings() {
    retired_.reset();
    if (!settings_) {
        settings_ = std::make_unique<SettingsWindow>(
            SettingsServices{s_.host, s_.shell, s_.registry, *link_},
            SettingsWindow::designOptions(dpi_));
        settings_->load();
    }
}

// Runs the window's unload, which shows the dialog again or ends the program. The call comes
// from inside the window's own handlers, so the object is only retired here and freed on the
// next show or at the end.
void QtProgram::unloadSettings() {
    if (!settings_) return;
    retired_ = std::move(settings_);
    retired_->unload();
    if (!dialogLoaded_) finish();
}

void QtProgram::finish() {
    if (finished_) return;
    finished_ = true;
    if (onFinished) onFinished();
}

std::string startText(int argc, char** argv, const std::string& folder) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) text += ' ';
        text += argv[i];
    }
    // The switch is known by the text as typed; a file name is always a file name, even one
    // that the working folder makes into "/cleareg" ("cleareg" in "/"). Start-up takes a text
    // in double quotes as the path inside them, never as the switch.
    if (text == "--unregister-all") return "/cleareg";
    if (text.empty() || text == "/cleareg" || text.front() == '/') return text;
    std::string base = folder;
    if (base.empty() || base.back() != '/') base += '/';
    const std::string path = base + text;
    return path == "/cleareg" ? "\"" + path + "\"" : path;
}

}  // namespace tarvo::qt

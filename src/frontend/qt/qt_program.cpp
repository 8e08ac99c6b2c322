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

}  // namespace tarvo::qt

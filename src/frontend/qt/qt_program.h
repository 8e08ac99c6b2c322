// The running tarvolin: its two windows, the hand-over between them, and start-up.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/startup.h"
#include "frontend/qt/qt_windows.h"
#include "platform/registry.h"

namespace tarvo::qt {

struct ProgramServices {
    Host& host;
    Shell& shell;
    FilePicker& filePicker;
    FolderPicker& folderPicker;
    Registry& registry;
};

class QtProgram {
public:
    // dpi 0: the screen's.
    explicit QtProgram(ProgramServices services, double dpi = 0);
    ~QtProgram();

    // Hands the command line to start-up (the same text Tarvo.exe gets: the target path, or
    // "/cleareg", or nothing) and shows the window the mode asks for.
    StartMode start(const std::string& commandLine);

    // The window requests of the host.
    void unloadDialog();
    void showSettings();
    void unloadSettings();

    Form1Window& dialog() { return *dialog_; }
    // The settings window while it is loaded; null otherwise.
    SettingsWindow* settings() { return settings_.get(); }
    // Called once when no window is left loaded.
    std::function<void()> onFinished;
    bool finished() const { return finished_; }

private:
    void finish();

    ProgramServices s_;
    double dpi_;
    std::unique_ptr<Form1Window> dialog_;
    std::unique_ptr<Form1Link> link_;
    std::unique_ptr<SettingsWindow> settings_;
    std::unique_ptr<SettingsWindow> retired_;
    bool dialogLoaded_ = true;
    bool finished_ = false;
};

// The text start-up takes, from the program's own arguments: every argument after the
// program's name joined by one blank, so a path the desktop hands over unquoted arrives
// whole; "--unregister-all" is the Linux name of "/cleareg"; a relative path is made
// absolute from folder, the working folder (and quoted when that makes it the switch's text).
std::string startText(int argc, char** argv, const std::string& folder);

}  // namespace tarvo::qt

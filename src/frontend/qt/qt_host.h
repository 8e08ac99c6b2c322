// The Qt host: program paths, ending the program, the hand-over between the windows, message
// and input boxes; and Qt's file and folder dialogs as the forms' pickers.
#pragma once

#include <functional>

class QWidget;

#include "platform/host.h"
#include "platform/pickers.h"

namespace tarvo::qt {

class QtHost : public Host {
public:
    // What the running program does for the window requests and for the end.
    struct Actions {
        std::function<void()> unloadDialog;
        std::function<void()> showSettings;
        std::function<void()> unloadSettings;
        std::function<void()> end;
    };
    QtHost() = default;
    explicit QtHost(Actions actions) : actions_(std::move(actions)) {}
    void setActions(Actions actions) { actions_ = std::move(actions); }

    std::string programFolder() const override;
    std::string exeName() const override;
    void endProgram() override;
    void unloadDialog() override;
    void showSettings() override;
    void unloadSettings() override;
    MsgResult messageBox(const Window* owner, const std::string& text, const std::string& title,
                         MsgButtons buttons, MsgIcon icon) override;
    std::string inputBox(const Window* owner, const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    // A box with OK and the program's title, shown once control is back in the event loop:
    // the teller may hold a data file's lock, and no box waits for a person while one is held.
    void noticeLater(const std::string& text, MsgIcon icon);

private:
    Actions actions_;
};

class QtFilePicker final : public FilePicker {
public:
    // A start folder the desktop cannot show (a Windows shell name, an empty text) opens the
    // home folder.
    std::optional<PickedFile> showOpen(const OpenFileRequest& request) override;
};

class QtFolderPicker final : public FolderPicker {
public:
    std::string browseForFolder(const std::string& prompt, unsigned options) override;
};

// The window's Qt widget, or null.
QWidget* widgetOf(const Window* window);

}  // namespace tarvo::qt

// What the forms need of the running program on Win32: its folder and name, ending it, the
// message and input boxes, and the moves between the two windows, which the program object
// supplies.
#pragma once

#include <functional>

#include "platform/host.h"

namespace tarvo::win {

class WinHost final : public Host {
  public:
    struct Windows {
        std::function<void()> unloadDialog;
        std::function<void()> showSettings;
        std::function<void()> unloadSettings;
    };
    explicit WinHost(Windows windows) : windows_(std::move(windows)) {}

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

  private:
    Windows windows_;
};

// The running executable's full path (no length limit).
std::string modulePath();

}  // namespace tarvo::win

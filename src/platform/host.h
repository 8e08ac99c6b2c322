// What the forms need of the running program: its folder and name, ending it, moving between
// the two windows, and the standard message and input boxes.
#pragma once

#include <string>

namespace tarvo {

class Window;

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Critical, Question, Exclamation };
enum class MsgResult { Ok, Yes, No };

class Host {
public:
    virtual ~Host() = default;
    // The folder of the running executable, without a trailing backslash.
    virtual std::string programFolder() const = 0;
    // The running executable's file name without its extension.
    virtual std::string exeName() const = 0;
    // Ends the program at once: no unload handling runs. Test doubles record the call and
    // return, so callers return right after it.
    virtual void endProgram() = 0;
    // Unloads the argument dialog; the program ends when no other window is loaded.
    virtual void unloadDialog() = 0;
    // Creates the settings window when it is not loaded and shows it modeless.
    virtual void showSettings() = 0;
    // Unloads the settings window (its unload handler runs).
    virtual void unloadSettings() = 0;
    virtual MsgResult messageBox(const Window* owner, const std::string& text,
                                 const std::string& title, MsgButtons buttons, MsgIcon icon) = 0;
    // A small modal box with a prompt, an edit field, OK and Cancel; empty on Cancel.
    virtual std::string inputBox(const Window* owner, const std::string& prompt,
                                 const std::string& title, const std::string& defaultText) = 0;
};

}  // namespace tarvo

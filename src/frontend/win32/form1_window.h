// The argument dialog on Win32: the window built from its layout table, Form1 on its controls,
// and Form1's event procedures wired to the window's events.
#pragma once

#include "dialog/form1.h"
#include "frontend/win32/native_form.h"

namespace tarvo::win {

// The words a screen reader speaks for the controls whose captions are signs or missing.
inline constexpr char kArgumentsName[] = "Arguments";  // "Arguments for <file>" once loaded
inline constexpr char kSettingsName[] = "Settings";
inline constexpr char kMoreOptionsName[] = "More options";
inline constexpr char kFewerOptionsName[] = "Fewer options";

class Form1Window {
  public:
    // Builds the dialog hidden and constructs Form1 on its controls.
    explicit Form1Window(Form1Services services, BuildOptions options = {});
    Form1Window(const Form1Window&) = delete;
    Form1Window& operator=(const Form1Window&) = delete;

    NativeForm& native() { return form_; }
    Form1& form1() { return form1_; }
    HWND hwnd() const { return form_.hwnd(); }

  private:
    static Form1Controls controlsOf(NativeForm& form);
    void onClick(const std::string& control);
    void nameControls();

    NativeForm form_;
    Form1 form1_;
};

}  // namespace tarvo::win

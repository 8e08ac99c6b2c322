// The argument dialog on Win32: the window built from its layout table, Form1 on its controls,
// and Form1's event procedures wired to the window's events.
#pragma once

#include "dialog/form1.h"
#include "frontend/win32/native_form.h"

namespace tarvo::win {

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

    NativeForm form_;
    Form1 form1_;
};

}  // namespace tarvo::win

// Wires Form1's event procedures to the argument dialog's real window.
#include "frontend/win32/form1_window.h"

#include "dialog/form1_layout.h"
#include "frontend/win32/forget_key.h"

namespace tarvo::win {

Form1Controls Form1Window::controlsOf(NativeForm& form) {
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
    : form_(form1Layout(), options), form1_(controlsOf(form_), services) {
    FormEvents& e = form_.events;
    e.click = [this](const std::string& control) { onClick(control); };
    // Every drop target of the dialog shares one routine, which adds the first path.
    e.drop = [this](const std::string&, const std::vector<std::string>& files) {
        form1_.OLEDragDrop({files.front()});
    };
    e.close = [services] { services.host.unloadDialog(); };
    e.keyPreview = [this](int key) { return form1_.Form_KeyPress(key); };
    e.keyPress["cmbArg"] = [this](int key) { return form1_.cmbArg_KeyPress(key); };
    if (auto* box = dynamic_cast<WinComboBox*>(form_.find("cmbArg")); box && box->edit())
        watchForgetKey(box->edit(), [this](int index) { form1_.cmbArg_ForgetItem(index); });
}

void Form1Window::onClick(const std::string& control) {
    if (control == "CMD_OK") {
        // Ctrl+Shift held while OK is pressed, by Enter or by a click, runs the file elevated.
        // The key state is the one that went with the click or the key through the queue.
        const bool elevate = GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) < 0;
        form1_.CMD_OK_Click(elevate ? RunAs::Administrator : RunAs::User);
    } else if (control == "CMD_Cancel") {
        form1_.CMD_Cancel_Click();
    } else if (control == "CMD_About") {
        form1_.CMD_About_Click();
    } else if (control == "CMD_WIDTH") {
        form1_.CMD_WIDTH_Click();
    } else if (control == "CMD_Browse") {
        form1_.CMD_Browse_Click();
    }
    // Check1 toggles by itself; Form1 has no click procedure for it.
}

}  // namespace tarvo::win

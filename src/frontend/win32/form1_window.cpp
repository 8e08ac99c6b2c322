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
    nameControls();
}

// Names a screen reader speaks in words where a caption is a sign or missing; every other
// control is read by its caption. The label naming the file stands just before the argument
// box in z-order, so the system's own rule names the box after the file where annotations
// cannot reach it; the annotation says what the box is for.
void Form1Window::nameControls() {
    NativeForm& f = form_;
    f.placeLabelBefore("Label1", "cmbArg");
    const auto nameBox = [&f](const std::string& name) {
        f.annotate("cmbArg", {.name = name, .description = {}, .role = 0});
    };
    nameBox(kArgumentsName);
    if (WinControl* label = f.find("Label1")) {
        label->captionChanged = [this, nameBox](const std::string&) {
            nameBox(std::string(kArgumentsName) + " for " + form1_.FILEName);
        };
    }
    if (WinControl* width = f.find("CMD_WIDTH")) {
        const auto nameWidth = [&f](const std::string& caption) {
            f.annotate("CMD_WIDTH",
                       {.name = caption == "<" ? kFewerOptionsName : kMoreOptionsName,
                        .description = {},
                        .role = 0});
        };
        nameWidth(width->caption());
        width->captionChanged = nameWidth;
    }
    f.annotate("CMD_About", {.name = kSettingsName, .description = {}, .role = 0});
    f.annotate("Check1",
               {.name = {}, .description = "Run the file in a console that stays open", .role = 0});
    f.annotate("CMD_OK", {.name = {}, .description = form1Layout().find("CMD_OK")->toolTip,
                          .role = 0});
    f.annotate("CMD_Browse",
               {.name = {}, .description = "Add files or folders to the arguments", .role = 0});
    f.annotate("Label1", {.name = {}, .description = "The file to run", .role = 0});
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

// The argument dialog Form1 as the settings window's partner.
#include "dialog/form1.h"
#include "settings/frm_settings.h"

namespace tarvo {

std::string Form1Link::CheckEx() const {
    return form_.CheckEx;
}
std::string Form1Link::FILEName() const {
    return form_.FILEName;
}
void Form1Link::ClearMRU() {
    form_.ClearMRU();
}
int Form1Link::Run_Once() {
    return form_.Run_Once();
}
void Form1Link::clearArgumentBox() {
    form_.controls().cmbArg.clear();
}
void Form1Link::clearCheck() {
    form_.controls().Check1.setValue(0);
}
// The dialog comes back ready for typing, whichever of its controls had the keyboard before.
void Form1Link::show() {
    form_.controls().form.setVisible(true);
    form_.focusArgumentBox();
}

}  // namespace tarvo

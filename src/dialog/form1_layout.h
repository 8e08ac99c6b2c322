// The argument dialog's layout: window properties, every control in tab order, the hidden
// Browse pop-up menu, and the arithmetic of the expand/collapse corner button.
#pragma once

#include <vector>

#include "platform/controls.h"
#include "platform/form_layout.h"

namespace tarvo {

const FormSpec& form1Layout();
const std::vector<MenuItem>& browseMenu();

// The dialog's outer width at design: client 4995 plus a 45-twip frame on each side. Only a
// window of exactly this width counts as collapsed.
inline constexpr int kCollapsedWidth = 5085;

struct WidthLayout {
    int windowWidth;
    int windowLeft;
};
// Nine tenths of the screen, a twentieth free on the left.
WidthLayout expandedWindow(double screenWidthTwips);
// Back to the design width, centred.
WidthLayout collapsedWindow(double screenWidthTwips);

}  // namespace tarvo

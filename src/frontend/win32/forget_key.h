// Shift+Delete in an editable combo box whose list is dropped down: forgets the highlighted
// item instead of cutting text.
#pragma once

#include <windows.h>

#include <functional>

namespace tarvo::win {

// Watches the combo box's edit field. Shift+Delete (no Ctrl, no Alt) while the box's list is
// dropped down and an item is highlighted calls onForget with that item's index and goes no
// further; the list closes once it is empty. Every other key, and Shift+Delete with the list
// closed (the edit field's Cut), keeps its usual meaning.
void watchForgetKey(HWND comboEdit, std::function<void(int index)> onForget);

}  // namespace tarvo::win

// Type-ahead completion of the argument box from its own list.
#pragma once

namespace tarvo {

class ComboBox;

namespace MAutoComplete {

// When the text before the caret plus the typed character begins a list item, the box takes
// that item's whole text (in the item's letter case), the untyped rest is selected and 0 is
// returned, which swallows the key. Otherwise the key code comes back unchanged.
int CompleteFromList(ComboBox& box, int keyAscii);

}  // namespace MAutoComplete
}  // namespace tarvo

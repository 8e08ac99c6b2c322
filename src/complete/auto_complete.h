// Type-ahead completion of the argument box from its own list.
#pragma once

namespace tarvo {

class ComboBox;

namespace MAutoComplete {

// When the text before the caret plus the typed character begins a list item (letter case
// ignored; the first such item in list order), the box takes that text as it was typed
// followed by the rest of the item, the rest is selected and 0 is returned, which swallows
// the key. Otherwise the key code comes back unchanged.
int CompleteFromList(ComboBox& box, int keyAscii);

}  // namespace MAutoComplete
}  // namespace tarvo

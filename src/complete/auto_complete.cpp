// Type-ahead completion of the argument box from its own list.
#include "complete/auto_complete.h"

#include <algorithm>
#include <string>

#include "common/utf8.h"
#include "platform/controls.h"

namespace tarvo::MAutoComplete {

int CompleteFromList(ComboBox& box, int keyAscii) {
    if (keyAscii <= 0) return keyAscii;
    const std::string typed = utf8::encode(static_cast<char32_t>(keyAscii));
    // Half of a surrogate pair arrives as its own key; it cannot begin any item on its own.
    if (typed.empty()) return keyAscii;

    const std::string search =
        utf8::prefix(box.text(), static_cast<std::size_t>(std::max(0, box.selStart()))) + typed;
    const int index = box.findString(search);
    if (index < 0) return keyAscii;

    // What the user typed stays as typed, letter case included; only the rest of the text
    // comes from the item. Otherwise "-V" could not be typed while "-v" is listed, and OK
    // would run a text the user never typed. The search ignores case letter by letter, so
    // the item's first characters are the ones the search text matched.
    const std::string item = box.list(index);
    const std::size_t typedLength = utf8::length(search);
    const std::string text = search + item.substr(utf8::prefix(item, typedLength).size());
    box.setListIndex(index);
    box.setText(text);
    box.setSelStart(static_cast<int>(typedLength));
    box.setSelLength(static_cast<int>(utf8::length(text)));
    return 0;
}

}  // namespace tarvo::MAutoComplete

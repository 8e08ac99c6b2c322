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

    const std::string item = box.list(index);
    box.setListIndex(index);
    box.setText(item);
    box.setSelStart(static_cast<int>(utf8::length(search)));
    box.setSelLength(static_cast<int>(utf8::length(item)));
    return 0;
}

}  // namespace tarvo::MAutoComplete

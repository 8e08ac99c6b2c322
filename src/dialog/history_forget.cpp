// Forgetting one history entry: the record's keys renumbered in one locked edit, and the
// argument box's list following it.
#include "dialog/history_forget.h"

#include <algorithm>

#include "common/utf8.h"
#include "dialog/form1.h"
#include "storage/ini_handler.h"
#include "storage/mru_layout.h"

namespace tarvo {
namespace {

// History keys are named with one blank in front; the profile layer drops it.
std::string historyKey(std::size_t i) {
    return " " + std::to_string(i);
}

}  // namespace

std::vector<std::string> recordHistory(const ProfileEdit& record, const std::string& section) {
    std::vector<std::string> entries;
    for (std::size_t i = 1; i <= mru::kHistorySize; ++i) {
        std::string entry = record.ReadProfileString(section, historyKey(i), "");
        if (entry.empty()) break;
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool forgetHistoryEntry(ProfileEdit& record, const std::string& section, int position,
                        const std::string& text) {
    const std::vector<std::string> entries = recordHistory(record, section);
    std::size_t at = static_cast<std::size_t>(position - 1);
    if (position < 1 || at >= entries.size() || entries[at] != text) {
        const auto found = std::find(entries.begin(), entries.end(), text);
        if (found == entries.end()) return false;
        at = static_cast<std::size_t>(found - entries.begin());
    }
    for (std::size_t i = at + 1; i < entries.size(); ++i) {
        std::string moved = entries[i];
        record.WriteProfileString(section, historyKey(i), moved);
    }
    record.DeleteProfileKey(section, historyKey(entries.size()));
    return true;
}

void Form1::cmbArg_ForgetItem(int index) {
    ComboBox& box = c_.cmbArg;
    if (index < 0 || index >= box.listCount() || HistoryFile_.empty()) return;
    const std::string item = box.list(index);
    {
        ProfileEdit record(HistoryFile_);  // holds the file's lock until the commit
        forgetHistoryEntry(record, FILEName, index + 1, item);
        // The file kept the entry (refused the write): so does the list, which shows the file.
        if (!record.commit()) return;
        const auto entries = recordHistory(record, FILEName);
        for (std::size_t i = 0; i < History_.size(); ++i)
            History_[i] = i < entries.size() ? entries[i] : std::string();
    }

    const std::string text = box.text();
    const int selStart = box.selStart(), selLength = box.selLength();
    box.removeItem(index);
    // The highlight stays where it was, on the entry that moved up (or the new last one), so
    // that further presses forget the entries one after another.
    const int next = std::min(index, box.listCount() - 1);
    box.setListIndex(next);
    if (text == item) {
        // The box showed the forgotten text; it shows the highlighted entry instead, as moving
        // the highlight would, or nothing once the list is empty.
        const std::string shown = next >= 0 ? box.list(next) : std::string();
        box.setText(shown);
        box.setSelStart(0);
        box.setSelLength(static_cast<int>(utf8::length(shown)));
    } else {
        // Text the user typed or chose is kept as it was.
        box.setText(text);
        box.setSelStart(selStart);
        box.setSelLength(selLength);
    }
}

}  // namespace tarvo

// Forgetting one entry of a record's argument history.
#pragma once

#include <string>
#include <vector>

namespace tarvo {

class ProfileEdit;

// The record's history as LoadTarget reads it: keys " 1" upward, newest first, up to the
// first missing or empty key and at most 20 entries.
std::vector<std::string> recordHistory(const ProfileEdit& record, const std::string& section);

// Takes one entry out of the record's history and closes the gap: the entries after it move
// up one key and the last entry's key goes, so the keys stay " 1" upward without a hole. Key
// "0" and every other key of the file stay as they are; a history emptied so leaves the record
// with its key "0" alone. The entry is the one at position (1 = newest) when it holds text,
// else the first that does: the file may have changed since the list was filled. False when
// no entry holds text (nothing changes then).
bool forgetHistoryEntry(ProfileEdit& record, const std::string& section, int position,
                        const std::string& text);

}  // namespace tarvo

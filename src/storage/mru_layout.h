// The names in the program's data files: MRU.INI records and the Settings.ini list.
#pragma once

namespace tarvo::mru {

inline constexpr char kHistoryFileName[] = "MRU.INI";
inline constexpr char kSettingsFileName[] = "Settings.ini";

// Key "0" of a record holds the console check state; its default marks a missing record.
inline constexpr char kCheckKey[] = "0";
inline constexpr char kNoRecord[] = "5";
// History keys "1" (newest) to "20".
inline constexpr int kHistorySize = 20;

}  // namespace tarvo::mru

// The benchmarks' MRU.INI and the dialog's call sequences on it, shared by the native and the
// Windows benchmarks and the crash stress driver.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "storage/ini_handler.h"

namespace tarvo::bench {

inline constexpr int kHistory = 20;

// The record that is loaded and pressed: in the middle of the file, with a full history.
inline std::string targetSection(int records) {
    return "tool" + std::to_string(records / 2) + ".exe";
}

inline std::string historyText(long n) { return "--input \"C:\\data\\file " + std::to_string(n) + ".txt\""; }

// An MRU.INI of records sections: key 0 and three history keys each, except the target record,
// which has all 20.
inline std::string historyFile(int records) {
    std::string out;
    out.reserve(static_cast<std::size_t>(records) * 100);
    const std::string target = targetSection(records);
    for (int i = 0; i < records; ++i) {
        const std::string name = "tool" + std::to_string(i) + ".exe";
        out += "[" + name + "]\r\n0=" + std::to_string(i % 2) + "\r\n";
        const int keys = name == target ? kHistory : 3;
        for (int k = 1; k <= keys; ++k) {
            out += std::to_string(k) + "=" + historyText(i * 100L + k) + "\r\n";
        }
    }
    return out;
}

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// History keys are named with one blank in front, as the dialog names them.
inline std::string historyKey(int i) { return " " + std::to_string(i); }

// The dialog's load: key 0 with default "5", then the history from key 1 up to the first empty
// key; at most 21 reads through one snapshot. Returns the history.
inline std::vector<std::string> loadTarget(const std::string& file, const std::string& section) {
    std::vector<std::string> history;
    const ProfileSnapshot snapshot(file);
    if (snapshot.ReadProfileString(section, "0", "5") == "5") return history;
    for (int i = 1; i <= kHistory; ++i) {
        std::string entry = snapshot.ReadProfileString(section, historyKey(i), "");
        if (entry.empty()) break;
        history.push_back(std::move(entry));
    }
    return history;
}

// The dialog's OK with the console box clear and a text not in the history: key 0, key 1 and
// the older entries moved down one place; 21 writes with a full history, one commit.
// history is what the load returned and becomes what the next load would return.
inline void pressOk(const std::string& file, const std::string& section,
                    std::vector<std::string>& history, const std::string& text) {
    ProfileEdit edit(file);
    std::string zero = "0";
    edit.WriteProfileString(section, "0", zero);
    std::string first = text;
    edit.WriteProfileString(section, "1", first);
    for (int i = 1; i <= kHistory - 1 && i <= static_cast<int>(history.size()); ++i) {
        std::string entry = history[static_cast<std::size_t>(i - 1)];
        edit.WriteProfileString(section, historyKey(i + 1), entry);
    }
    edit.commit();
    history.insert(history.begin(), text);
    if (history.size() > static_cast<std::size_t>(kHistory)) history.resize(kHistory);
}

}  // namespace tarvo::bench

// Helpers for the storage tests: a temporary folder removed afterwards, raw file access that
// bypasses the code under test, and a write-step hook that fails or ends the process.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/filesystem.h"

namespace tarvo::testing {

class TempFolder {
  public:
    TempFolder() {
        char pattern[] = "/tmp/tarvo-storage-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        path_ = made != nullptr ? made : "";
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Names of everything in the folder, sorted.
    std::string listing() const {
        std::string names;
        std::vector<std::string> all;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            all.push_back(entry.path().filename().string());
        }
        std::sort(all.begin(), all.end());
        for (const auto& n : all) names += n + ";";
        return names;
    }

  private:
    std::string path_;
};

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline bool fileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

// Clears the write-step hook when a test ends, whatever it asserted.
struct ScopedWriteStepHook {
    explicit ScopedWriteStepHook(fs::WriteStepHook hook) { fs::setWriteStepHook(hook); }
    ~ScopedWriteStepHook() { fs::setWriteStepHook(nullptr); }
};

}  // namespace tarvo::testing

// The name a writer gives its temporary file beside the file it replaces, and reading the
// writer back from such a name, so a later write can clear what an ended writer left.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvo::fs {

// What a writer appends to the path of the file it replaces: ".tmp<pid>-<n>", unique per
// process (pid) and per write in it (n).
inline std::string temporarySuffix(std::uint32_t pid, unsigned n) {
    return ".tmp" + std::to_string(pid) + "-" + std::to_string(n);
}

// The process id in a temporary name (base + temporarySuffix) of the file called base
// ("<base>.tmp<digits>-<digits>" exactly); 0 for any other name.
inline std::uint32_t writerOfTemporary(std::string_view name, std::string_view base) {
    constexpr std::string_view kTmp = ".tmp";
    if (name.substr(0, base.size()) != base || name.substr(base.size(), kTmp.size()) != kTmp)
        return 0;
    std::size_t i = base.size() + kTmp.size();
    const std::size_t pidStart = i;
    std::uint64_t pid = 0;
    while (i < name.size() && name[i] >= '0' && name[i] <= '9' && pid <= 0xffffffffULL)
        pid = pid * 10 + static_cast<std::uint64_t>(name[i++] - '0');
    if (i == pidStart || pid > 0xffffffffULL || i >= name.size() || name[i] != '-') return 0;
    const std::size_t counterStart = ++i;
    while (i < name.size() && name[i] >= '0' && name[i] <= '9') ++i;
    return i == name.size() && i > counterStart ? static_cast<std::uint32_t>(pid) : 0;
}

}  // namespace tarvo::fs

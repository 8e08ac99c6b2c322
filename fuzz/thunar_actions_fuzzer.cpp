// Fuzzes Thunar's actions file: the input's first line lists extensions (comma-separated),
// the rest is a user's uca.xml. A file that cannot be read is left alone whatever is asked; in
// one that can, adding the program's actions and taking them out again gives the user's file
// back byte for byte, and a file that holds none of ours is given back as it is.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "settings/linux_menus.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarvo::menus;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string_view head = newline == std::string_view::npos ? "" : input.substr(0, newline);
    const std::string_view uca =
        newline == std::string_view::npos ? input : input.substr(newline + 1);

    std::vector<std::string> actions;
    std::set<std::string> stems;
    std::size_t begin = 0;
    while (begin < head.size() && actions.size() < 4) {
        std::size_t comma = head.find(',', begin);
        if (comma == std::string_view::npos) comma = head.size();
        const std::string_view ext = head.substr(begin, comma - begin);
        // As the regeneration hands them over: usable, one per file stem.
        if (usableExtension(ext) && stems.insert(fileStem(ext)).second)
            actions.push_back(thunarAction("/opt/my apps/tarvolin", ext));
        begin = comma + 1;
    }

    const auto without = mergeThunarActions(uca, {});
    const auto with = mergeThunarActions(uca, actions);
    check(without.has_value() == with.has_value());
    if (!without) return 0;
    if (uca.find("tarvolin-") == std::string_view::npos) check(*without == uca);
    check(mergeThunarActions(*without, {}) == *without);
    check(mergeThunarActions(*with, {}) == *without);

    const auto added = mergeThunarActions(*without, actions);
    check(added.has_value());
    for (const auto& action : actions) check(added->find(action) != std::string::npos);
    check(mergeThunarActions(*added, {}) == *without);
    check(mergeThunarActions(*added, actions) == *added);
    return 0;
}

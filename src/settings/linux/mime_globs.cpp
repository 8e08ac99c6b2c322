// The shared MIME database's globs2 files, read for the types of a file name extension.
#include "settings/linux/mime_globs.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "settings/linux/entry_text.h"

namespace tarvo::menus {

void MimeGlobs::addFile(std::string_view text) {
    std::vector<std::string> takenOver;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(begin, end - begin);
        begin = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line[0] == '#') continue;

        std::vector<std::string_view> fields;
        std::size_t from = 0;
        for (;;) {
            const std::size_t colon = line.find(':', from);
            fields.push_back(
                line.substr(from, colon == std::string_view::npos ? colon : colon - from));
            if (colon == std::string_view::npos) break;
            from = colon + 1;
        }
        if (fields.size() < 3) continue;
        const std::string type(fields[1]);
        if (std::find(blocked_.begin(), blocked_.end(), type) != blocked_.end()) continue;
        if (fields[2] == "__NOGLOBS__") {
            takenOver.push_back(type);
            continue;
        }
        if (!fields[2].starts_with("*.")) continue;
        const std::string_view pattern = fields[2].substr(2);
        // Only the plain extension patterns name an extension; the rest ("*.[ch]", "*.x*")
        // describe something else.
        if (pattern.empty() || pattern.find_first_of("*?[") != std::string_view::npos) continue;
        bool caseSensitive = false;
        if (fields.size() > 3) {
            std::string_view flags = fields[3];
            std::size_t at = 0;
            while (at <= flags.size()) {
                std::size_t comma = flags.find(',', at);
                if (comma == std::string_view::npos) comma = flags.size();
                if (flags.substr(at, comma - at) == "cs") caseSensitive = true;
                at = comma + 1;
            }
        }
        const int weight = std::atoi(std::string(fields[0]).c_str());
        globs_.push_back({weight, type, std::string(pattern), caseSensitive});
    }
    for (auto& type : takenOver) blocked_.push_back(std::move(type));
}

std::vector<std::string> MimeGlobs::typesOf(std::string_view ext) const {
    std::vector<const Glob*> matches;
    for (const auto& glob : globs_)
        if (glob.caseSensitive && glob.pattern == ext) matches.push_back(&glob);
    if (matches.empty()) {
        const std::string folded = asciiLower(ext);
        for (const auto& glob : globs_)
            if (!glob.caseSensitive && asciiLower(glob.pattern) == folded) matches.push_back(&glob);
    }
    std::stable_sort(matches.begin(), matches.end(),
                     [](const Glob* a, const Glob* b) { return a->weight > b->weight; });
    std::vector<std::string> types;
    for (const Glob* glob : matches)
        if (std::find(types.begin(), types.end(), glob->type) == types.end())
            types.push_back(glob->type);
    return types;
}

}  // namespace tarvo::menus

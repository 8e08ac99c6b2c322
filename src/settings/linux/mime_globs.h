// The shared MIME database's globs2 files, read for the types of a file name extension.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvo::menus {

// The types the shared MIME database gives a file name extension, gathered from the
// database's globs2 files.
class MimeGlobs {
public:
    // Adds one globs2 file ("weight:type:pattern[:flags]" lines). Files are added from the
    // most important folder to the least, as the database's rules want: a type that a more
    // important file marks "__NOGLOBS__" keeps no patterns from the less important ones.
    void addFile(std::string_view text);
    // Every type whose pattern is exactly "*." + ext, heaviest first. Patterns marked "cs"
    // match in the same letter case only and, where one matches, the others are not asked,
    // as the database decides a file's type; the rest match in any case.
    std::vector<std::string> typesOf(std::string_view ext) const;

private:
    struct Glob {
        int weight;
        std::string type;
        std::string pattern;  // without the "*." in front
        bool caseSensitive;
    };
    std::vector<Glob> globs_;
    std::vector<std::string> blocked_;  // types a more important file took over
};

}  // namespace tarvo::menus

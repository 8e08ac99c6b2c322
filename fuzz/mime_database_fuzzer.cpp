// Fuzzes the readers of the shared MIME database and of the association files: the input is
// cut at NUL bytes into files (globs2 files, then a mimeapps.list, a desktop cache and a
// subclasses file) and a last piece, an extension or type to look up. Nothing crashes; every
// answer comes from the files; one key of a mimeapps.list set and taken out again gives the
// file back byte for byte.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "settings/linux_menus.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarvo::menus;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> pieces;
    std::size_t begin = 0;
    while (begin <= input.size() && pieces.size() < 6) {
        std::size_t nul = input.find('\0', begin);
        if (nul == std::string_view::npos || pieces.size() == 5) nul = input.size();
        pieces.emplace_back(input.substr(begin, nul - begin));
        begin = nul + 1;
    }
    const std::string query = pieces.back();
    pieces.pop_back();

    // The globs: every type found is in the files, once.
    MimeGlobs globs;
    for (const auto& piece : pieces) globs.addFile(piece);
    const auto types = globs.typesOf(query);
    for (std::size_t i = 0; i < types.size(); ++i) {
        check(input.find(types[i]) != std::string_view::npos);
        for (std::size_t j = 0; j < i; ++j) check(types[i] != types[j]);
    }

    // GIO's choice: nothing but an installed program named in the files.
    std::map<std::string, std::string> files;
    const char* names[] = {"/cfg/mimeapps.list", "/apps/mimeinfo.cache", "/mime/subclasses",
                           "/apps/defaults.list", "/cfg/x-mimeapps.list"};
    for (std::size_t i = 0; i < pieces.size(); ++i) files[names[i]] = pieces[i];
    files["/apps/a.desktop"] = "[Desktop Entry]\n";
    files["/apps/b.desktop"] = "[Desktop Entry]\nHidden=true\n";
    AssociationFiles gio({{"/cfg"}, {"/apps"}, {"/mime"}, {"x"}},
                         [&](const std::string& path) -> std::optional<std::string> {
                             const auto it = files.find(path);
                             if (it == files.end()) return std::nullopt;
                             return it->second;
                         });
    const std::string chosen = gio.defaultFor(query);
    check(chosen.empty() || chosen == "a.desktop");

    // One key of the user's file set and taken out again.
    if (!pieces.empty()) {
        const std::string& original = pieces[0];
        MimeAppsList list(original);
        const bool hadGroup = list.hasGroup(kAddedGroup);
        const auto before = list.items(kAddedGroup, "text/x-fuzz");
        bool hadKey = false;
        for (const auto& entry : list.entries(kAddedGroup)) hadKey |= entry.first == "text/x-fuzz";
        auto items = before;
        items.push_back("tarvolin.desktop");
        list.setItems(kAddedGroup, "text/x-fuzz", items);
        check(list.items(kAddedGroup, "text/x-fuzz") == items);
        if (!hadKey && (original.empty() || original.back() == '\n')) {
            list.setItems(kAddedGroup, "text/x-fuzz", {});
            if (!hadGroup) list.removeGroupIfEmpty(kAddedGroup);
            check(list.text() == original);
        }
    }
    return 0;
}

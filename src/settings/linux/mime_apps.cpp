// The XDG association files: the user's mimeapps.list edited one key at a time, GIO's choice
// of a default program, and the program's "Added Associations".
#include "settings/linux/mime_apps.h"

#include <algorithm>

#include "settings/linux/open_with.h"

namespace tarvo::menus {
namespace {

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// One line of a key file: where it is and what it is.
struct Line {
    std::size_t begin;
    std::size_t end;  // past its line end
    std::string group;
    bool isGroup = false;
    std::string key;  // empty for a group, comment, blank or unknown line
    std::string_view value;
};

std::vector<Line> linesOf(const std::string& text) {
    std::vector<Line> lines;
    std::string group;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t newline = text.find('\n', begin);
        const std::size_t end = newline == std::string::npos ? text.size() : newline + 1;
        Line line{begin, end, group, false, {}, {}};
        const std::string_view content = trimmed(std::string_view(text).substr(
            begin, end - begin - (newline == std::string::npos ? 0 : 1)));
        if (content.starts_with("[") && content.ends_with("]")) {
            group = std::string(content.substr(1, content.size() - 2));
            line.group = group;
            line.isGroup = true;
        } else if (!content.empty() && content[0] != '#') {
            const std::size_t equals = content.find('=');
            if (equals != std::string_view::npos && !group.empty()) {
                line.key = std::string(trimmed(content.substr(0, equals)));
                line.value = trimmed(content.substr(equals + 1));
            }
        }
        lines.push_back(line);
        begin = end;
    }
    return lines;
}

std::vector<std::string> splitItems(std::string_view value) {
    std::vector<std::string> items;
    std::size_t begin = 0;
    while (begin <= value.size()) {
        std::size_t semi = value.find(';', begin);
        if (semi == std::string_view::npos) semi = value.size();
        const std::string_view item = trimmed(value.substr(begin, semi - begin));
        if (!item.empty()) items.emplace_back(item);
        begin = semi + 1;
    }
    return items;
}

std::string joinItems(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& item : items) out += item + ";";
    return out;
}

bool contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

// ---- mimeapps.list ----------------------------------------------------------------------------

std::vector<std::string> MimeAppsList::items(std::string_view group, std::string_view key) const {
    std::vector<std::string> found;
    for (const Line& line : linesOf(text_))
        if (!line.isGroup && line.group == group && line.key == key) found = splitItems(line.value);
    return found;
}

std::vector<std::pair<std::string, std::vector<std::string>>> MimeAppsList::entries(
    std::string_view group) const {
    std::vector<std::pair<std::string, std::vector<std::string>>> out;
    std::map<std::string, std::size_t> index;
    for (const Line& line : linesOf(text_)) {
        if (line.isGroup || line.group != group || line.key.empty()) continue;
        const auto [it, added] = index.emplace(line.key, out.size());
        if (added) {
            out.emplace_back(line.key, splitItems(line.value));
        } else {
            out[it->second].second = splitItems(line.value);
        }
    }
    return out;
}

void MimeAppsList::setItems(std::string_view group, std::string_view key,
                            const std::vector<std::string>& items) {
    const std::vector<Line> lines = linesOf(text_);
    const Line* last = nullptr;      // the key's last line
    const Line* groupEnd = nullptr;  // the group's last line that is not blank
    for (const Line& line : lines) {
        if (line.group != group) continue;
        if (!line.isGroup && line.key == key) last = &line;
        if (line.isGroup ||
            !trimmed(std::string_view(text_).substr(line.begin, line.end - line.begin)).empty())
            groupEnd = &line;
    }
    const std::string newLine = std::string(key) + "=" + joinItems(items) + "\n";
    if (last != nullptr) {
        if (items.empty()) {
            text_.erase(last->begin, last->end - last->begin);
        } else {
            // The line keeps its own line end (a last line may have none).
            const bool ended = text_[last->end - 1] == '\n';
            const bool crlf = ended && last->end - last->begin >= 2 && text_[last->end - 2] == '\r';
            std::string replacement = newLine.substr(0, newLine.size() - 1);
            replacement += crlf ? "\r\n" : ended ? "\n" : "";
            text_.replace(last->begin, last->end - last->begin, replacement);
        }
        return;
    }
    if (items.empty()) return;
    if (groupEnd != nullptr) {
        std::string insert = newLine;
        std::size_t at = groupEnd->end;
        if (text_[at - 1] != '\n') insert = "\n" + insert;
        text_.insert(at, insert);
        return;
    }
    if (!text_.empty() && text_.back() != '\n') text_ += '\n';
    if (!text_.empty()) text_ += '\n';
    text_ += "[" + std::string(group) + "]\n" + newLine;
}

bool MimeAppsList::hasGroup(std::string_view group) const {
    const auto lines = linesOf(text_);
    return std::any_of(lines.begin(), lines.end(),
                       [&](const Line& line) { return line.isGroup && line.group == group; });
}

void MimeAppsList::removeGroupIfEmpty(std::string_view group) {
    const std::vector<Line> lines = linesOf(text_);
    const Line* header = nullptr;
    for (const Line& line : lines) {
        if (line.group != group) continue;
        if (line.isGroup) {
            if (header != nullptr) return;  // a group in two places is the user's doing
            header = &line;
        } else if (!trimmed(std::string_view(text_).substr(line.begin, line.end - line.begin))
                        .empty()) {
            return;
        }
    }
    if (header == nullptr) return;
    // The header goes, with the blank line that separated it from what was before.
    std::size_t begin = header->begin;
    if (begin >= 1 && text_[begin - 1] == '\n' && (begin == 1 || text_[begin - 2] == '\n')) --begin;
    text_.erase(begin, header->end - begin);
}

// ---- GIO's choice -------------------------------------------------------------------------------

AssociationFiles::AssociationFiles(AssociationSources sources, Reader read)
    : sources_(std::move(sources)), read_(std::move(read)) {
    for (const auto& dir : sources_.mimeDirs) {
        const std::string* text = file(dir + "/subclasses");
        if (text == nullptr) continue;
        std::size_t begin = 0;
        while (begin < text->size()) {
            std::size_t end = text->find('\n', begin);
            if (end == std::string::npos) end = text->size();
            const std::string_view line =
                trimmed(std::string_view(*text).substr(begin, end - begin));
            begin = end + 1;
            const std::size_t space = line.find(' ');
            if (line.empty() || line[0] == '#' || space == std::string_view::npos) continue;
            parents_.emplace(std::string(line.substr(0, space)),
                             std::string(trimmed(line.substr(space + 1))));
        }
    }
}

const std::string* AssociationFiles::file(const std::string& path) const {
    auto it = files_.find(path);
    if (it == files_.end()) it = files_.emplace(path, read_(path)).first;
    return it->second ? &*it->second : nullptr;
}

void AssociationFiles::replace(const std::string& path, std::string text) {
    files_[path] = std::move(text);
    // Only the folder that holds the file is read again.
    const std::size_t count = sources_.configDirs.size() + sources_.applicationDirs.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& dir = i < sources_.configDirs.size()
                                     ? sources_.configDirs[i]
                                     : sources_.applicationDirs[i - sources_.configDirs.size()];
        if (path.starts_with(dir + "/")) tweaks_.erase(i);
    }
}

std::vector<std::string> AssociationFiles::typeAndParents(const std::string& type) const {
    std::vector<std::string> types{type};
    for (std::size_t i = 0; i < types.size() && types.size() < 64; ++i) {
        const auto [first, last] = parents_.equal_range(types[i]);
        for (auto it = first; it != last; ++it)
            if (!contains(types, it->second)) types.push_back(it->second);
    }
    return types;
}

AssociationFiles::Tweaks AssociationFiles::tweaksOf(std::size_t index) const {
    const bool isConfig = index < sources_.configDirs.size();
    const std::string& dir = isConfig
                                 ? sources_.configDirs[index]
                                 : sources_.applicationDirs[index - sources_.configDirs.size()];
    Tweaks tweaks;
    const auto add = [](std::map<std::string, std::vector<std::string>>& into,
                        const MimeAppsList& list, std::string_view group) {
        for (const auto& [type, items] : list.entries(group))
            for (const auto& item : items)
                if (!contains(into[type], item)) into[type].push_back(item);
    };
    // The desktop's own files give defaults only; mimeapps.list all three groups; the old
    // defaults.list defaults; the cache the types desktop files list.
    for (const auto& desktop : sources_.desktops)
        if (const std::string* text = file(dir + "/" + desktop + "-mimeapps.list"))
            add(tweaks.defaults, MimeAppsList(*text), kDefaultGroup);
    if (const std::string* text = file(dir + "/mimeapps.list")) {
        const MimeAppsList list(*text);
        add(tweaks.defaults, list, kDefaultGroup);
        add(tweaks.additions, list, kAddedGroup);
        add(tweaks.removals, list, kRemovedGroup);
    }
    if (isConfig) return tweaks;
    if (const std::string* text = file(dir + "/defaults.list"))
        add(tweaks.defaults, MimeAppsList(*text), kDefaultGroup);
    if (const std::string* text = file(dir + "/mimeinfo.cache"))
        add(tweaks.additions, MimeAppsList(*text), "MIME Cache");
    return tweaks;
}

bool AssociationFiles::installed(const std::string& id, std::string_view ignore) const {
    if (id == ignore) return false;
    for (const auto& dir : sources_.applicationDirs) {
        const std::string* text = file(dir + "/" + id);
        if (text == nullptr) continue;
        // A hidden entry is a deleted one, and it hides those of less important folders.
        return text->find("\nHidden=true") == std::string::npos;
    }
    return false;
}

std::string AssociationFiles::defaultFor(const std::string& type, std::string_view ignore) const {
    // Each folder is read once for every question until one of its files is replaced.
    std::vector<const Tweaks*> dirs;
    const std::size_t count = sources_.configDirs.size() + sources_.applicationDirs.size();
    for (std::size_t i = 0; i < count; ++i) {
        auto it = tweaks_.find(i);
        if (it == tweaks_.end()) it = tweaks_.emplace(i, tweaksOf(i)).first;
        dirs.push_back(&it->second);
    }
    std::vector<std::string> blocked;
    for (const auto& each : typeAndParents(type)) {
        std::vector<std::string> results;
        for (const Tweaks* dir : dirs) {
            const auto it = dir->defaults.find(each);
            if (it == dir->defaults.end()) continue;
            for (const auto& id : it->second)
                if (!contains(results, id)) results.push_back(id);
        }
        for (const Tweaks* dir : dirs) {
            if (const auto it = dir->additions.find(each); it != dir->additions.end())
                for (const auto& id : it->second)
                    if (!contains(blocked, id) && !contains(results, id)) results.push_back(id);
            if (const auto it = dir->removals.find(each); it != dir->removals.end())
                for (const auto& id : it->second)
                    if (!contains(blocked, id) && !contains(results, id)) blocked.push_back(id);
        }
        for (const auto& id : results)
            if (installed(id, ignore)) return id;
    }
    return {};
}

// ---- the program's associations ------------------------------------------------------------

namespace {

constexpr char kRecordGroup[] = "Tarvolin";
constexpr char kCreatedKey[] = "Created";  // "file" and/or "group": what the program made

void fail(MenuUpdate& update, const std::string& path) {
    update.ok = false;
    update.failedPaths.push_back(path);
}

}  // namespace

void updateAddedAssociations(const MenuPlan& plan, MenuUpdate& update) {
    const MenuFolders& folders = plan.folders;
    if (folders.mimeApps.empty() || folders.addedRecord.empty()) return;
    const fs::FileLock lock(folders.mimeApps);

    std::string userText;
    const fs::Result read = fs::readFile(folders.mimeApps, userText);
    if (read != fs::Result::Ok && read != fs::Result::NotFound)
        return fail(update, folders.mimeApps);
    std::string recordText;
    const fs::Result recordRead = fs::readFile(folders.addedRecord, recordText);
    if (recordRead != fs::Result::Ok && recordRead != fs::Result::NotFound)
        return fail(update, folders.addedRecord);
    const MimeAppsList record(recordText);
    const std::vector<std::string> created = record.items(kRecordGroup, kCreatedKey);

    // The user's file as it is without what the program added: an item is taken out once,
    // and only while it is still there.
    MimeAppsList user(userText);
    for (const auto& [type, ours] : record.entries(kAddedGroup)) {
        auto items = user.items(kAddedGroup, type);
        for (const auto& id : ours)
            if (const auto it = std::find(items.begin(), items.end(), id); it != items.end())
                items.erase(it);
        user.setItems(kAddedGroup, type, items);
    }
    const bool madeFile = read == fs::Result::NotFound || contains(created, "file");
    // A group the user has, even with nothing in it, stays theirs.
    const bool madeGroup = contains(created, "group") || !user.hasGroup(kAddedGroup);

    std::vector<std::string> types;
    for (const auto& listed : plan.extensions)
        for (const auto& type : listed.types)
            if (!contains(types, type)) types.push_back(type);

    AssociationSources sources{folders.configDirs, folders.applicationDirs, {}, folders.desktops};
    for (const auto& globs : folders.mimeGlobs)
        sources.mimeDirs.push_back(globs.substr(0, globs.rfind('/')));
    AssociationFiles files(sources, [&](const std::string& path) -> std::optional<std::string> {
        std::string bytes;
        if (fs::readFile(path, bytes) != fs::Result::Ok) return std::nullopt;
        return bytes;
    });
    files.replace(folders.mimeApps, user.text());
    // The program is offered as if its entry were installed, which it is by the time a file
    // manager asks (the package's, or the one made beside this).
    if (!folders.applicationDirs.empty())
        files.replace(folders.applicationDirs[0] + "/" + kDesktopEntryName, "[Desktop Entry]\n");
    const auto defaultWith = [&](const MimeAppsList& list, const std::string& type) {
        files.replace(folders.mimeApps, list.text());
        return files.defaultFor(type);
    };
    std::map<std::string, std::string> before;
    for (const auto& type : types) before[type] = files.defaultFor(type, kDesktopEntryName);

    MimeAppsList changed = user;
    MimeAppsList newRecord;
    for (const auto& type : types) {
        const std::string& was = before[type];
        if (was.empty()) continue;  // the program would become the default
        const auto items = changed.items(kAddedGroup, type);
        if (contains(items, kDesktopEntryName)) continue;  // the user's own choice
        for (const std::vector<std::string>& ours :
             {std::vector<std::string>{kDesktopEntryName},
              std::vector<std::string>{was, kDesktopEntryName}}) {
            if (ours.size() == 2 && contains(items, was)) break;
            MimeAppsList trial = changed;
            auto withOurs = items;
            withOurs.insert(withOurs.end(), ours.begin(), ours.end());
            trial.setItems(kAddedGroup, type, withOurs);
            if (defaultWith(trial, type) != was) continue;
            changed = trial;
            newRecord.setItems(kAddedGroup, type, ours);
            break;
        }
    }
    // Every type keeps its default with all of them in place, or its additions go again.
    for (const auto& [type, ours] : newRecord.entries(kAddedGroup)) {
        if (defaultWith(changed, type) == before[type]) continue;
        auto items = changed.items(kAddedGroup, type);
        for (const auto& id : ours)
            if (const auto it = std::find(items.rbegin(), items.rend(), id); it != items.rend())
                items.erase(std::next(it).base());
        changed.setItems(kAddedGroup, type, items);
        newRecord.setItems(kAddedGroup, type, {});
    }

    const bool anyOurs = !newRecord.entries(kAddedGroup).empty();
    if (!anyOurs && madeGroup) changed.removeGroupIfEmpty(kAddedGroup);
    if (anyOurs) {
        std::vector<std::string> made;
        if (madeFile) made.push_back("file");
        if (madeGroup) made.push_back("group");
        newRecord.setItems(kRecordGroup, kCreatedKey, made);
    }

    // The record first: what is in the user's file and not in the record would stay for good.
    const auto writeRecord = [&](const std::string& text) {
        if (text == recordText) return true;
        if (text.empty()) return fs::removeFile(folders.addedRecord) != fs::Result::Failed;
        const std::string folder = folders.addedRecord.substr(0, folders.addedRecord.rfind('/'));
        return fs::ensureFolderPath(folder) &&
               fs::replaceFile(folders.addedRecord, text) == fs::Result::Ok;
    };
    const std::string recordNow = anyOurs ? newRecord.text() : std::string();
    if (changed.text() == userText) {
        // Nothing to change in the user's file; the record follows it.
        if (!writeRecord(recordNow)) fail(update, folders.addedRecord);
        return;
    }
    if (!writeRecord(anyOurs ? recordNow : recordText)) return fail(update, folders.addedRecord);
    fs::Result written;
    if (madeFile && !anyOurs && changed.text().find_first_not_of(" \t\r\n") == std::string::npos) {
        written = fs::removeFile(folders.mimeApps);  // the file the program made, emptied
        if (written == fs::Result::NotFound) written = fs::Result::Ok;
    } else {
        const std::string folder = folders.mimeApps.substr(0, folders.mimeApps.rfind('/'));
        written = fs::ensureFolderPath(folder) ? fs::replaceFile(folders.mimeApps, changed.text())
                                               : fs::Result::Failed;
    }
    if (written != fs::Result::Ok) {
        writeRecord(recordText);  // the file holds what the old record says
        return fail(update, folders.mimeApps);
    }
    if (!anyOurs && !writeRecord(recordNow)) fail(update, folders.addedRecord);
}

}  // namespace tarvo::menus

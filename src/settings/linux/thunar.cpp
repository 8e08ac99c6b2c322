// Thunar's custom actions in the user's shared actions file.
#include "settings/linux/thunar.h"

#include <algorithm>
#include <map>

#include "settings/linux/entry_text.h"
#include "settings/linux/extensions.h"

namespace tarvo::menus {
namespace {

constexpr char kUcaName[] = "uca.xml";

// The patterns Thunar matches in the letter case given, so the extension as typed, in lower
// case and in upper case.
std::string thunarPatterns(std::string_view ext) {
    std::vector<std::string> forms{std::string(ext), asciiLower(ext), asciiUpper(ext)};
    std::string out;
    std::vector<std::string> done;
    for (const auto& form : forms) {
        if (std::find(done.begin(), done.end(), form) != done.end()) continue;
        done.push_back(form);
        if (!out.empty()) out += ';';
        out += "*." + form;
    }
    return out;
}

// ---- reading uca.xml ----------------------------------------------------------------------

struct UcaAction {
    std::size_t begin;  // the whole lines the element stands on, where it stands alone
    std::size_t end;
    std::string uniqueId;
    std::string description;
};

struct UcaFile {
    std::vector<UcaAction> actions;
    std::size_t insertAt;  // where new actions go: before the closing tag of the root
};

// The start of the line at pos when only blanks stand before pos on it; else pos.
std::size_t lineStart(std::string_view text, std::size_t pos) {
    std::size_t i = pos;
    while (i > 0 && (text[i - 1] == ' ' || text[i - 1] == '\t')) --i;
    return (i == 0 || text[i - 1] == '\n') ? i : pos;
}

// Past the line end after pos when only blanks follow pos on its line; else pos.
std::size_t lineEnd(std::string_view text, std::size_t pos) {
    std::size_t i = pos;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i < text.size() && text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
        return i + 2;
    if (i < text.size() && text[i] == '\n') return i + 1;
    return i == text.size() ? i : pos;
}

// A small reader for the one shape of file Thunar keeps: a root <actions> holding <action>
// elements. It finds the elements and their unique ids and leaves every byte where it is.
// The '>' that closes a tag whose text starts at from, past quoted attribute values (which may
// hold '>') and, for a document type, past its bracketed internal subset; text.size() when
// there is none.
std::size_t closingBracket(std::string_view text, std::size_t from, bool bracketed) {
    int depth = 0;
    char quote = 0;
    for (std::size_t j = from; j < text.size(); ++j) {
        const char c = text[j];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (bracketed && c == '[') {
            ++depth;
        } else if (bracketed && c == ']') {
            --depth;
        } else if (c == '>' && depth <= 0) {
            return j;
        }
    }
    return text.size();
}

std::optional<UcaFile> readUca(std::string_view text) {
    UcaFile file{};
    struct Open {
        std::string name;
        std::size_t begin;
    };
    std::vector<Open> stack;
    bool rootSeen = false;
    bool rootClosed = false;
    std::size_t fieldTextBegin = 0;  // the text of an action's child element
    std::string currentId;
    std::string currentDescription;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '<') {
            if (text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != '\n' &&
                stack.empty())
                return std::nullopt;  // text outside the root
            ++i;
            continue;
        }
        const std::string_view rest = text.substr(i);
        std::size_t close;
        if (rest.starts_with("<!--")) {
            close = text.find("-->", i + 4);
            if (close == std::string_view::npos) return std::nullopt;
            i = close + 3;
            continue;
        }
        if (rest.starts_with("<![CDATA[")) {
            if (stack.empty()) return std::nullopt;
            close = text.find("]]>", i);
            if (close == std::string_view::npos) return std::nullopt;
            i = close + 3;
            continue;
        }
        if (rest.starts_with("<?")) {
            close = text.find("?>", i);
            if (close == std::string_view::npos) return std::nullopt;
            i = close + 2;
            continue;
        }
        if (rest.starts_with("<!")) {  // the document type, with its internal subset
            if (rootSeen) return std::nullopt;
            const std::size_t j = closingBracket(text, i + 2, true);
            if (j >= text.size()) return std::nullopt;
            i = j + 1;
            continue;
        }
        // An element's start or end tag; attribute values may hold '>'.
        const std::size_t j = closingBracket(text, i + 1, false);
        if (j >= text.size()) return std::nullopt;
        const std::string_view tag = text.substr(i + 1, j - i - 1);
        const bool isEnd = !tag.empty() && tag[0] == '/';
        const bool selfClosed = !isEnd && !tag.empty() && tag.back() == '/';
        std::string_view name = tag.substr(isEnd ? 1 : 0);
        name = name.substr(0, name.find_first_of(" \t\r\n/"));
        if (name.empty()) return std::nullopt;
        const std::size_t tagEnd = j + 1;

        if (isEnd) {
            if (stack.empty() || stack.back().name != name) return std::nullopt;
            const Open opened = stack.back();
            stack.pop_back();
            const bool actionField = stack.size() == 2 && stack[1].name == "action";
            if (actionField && name == "unique-id") {
                currentId = xmlUnescape(text.substr(fieldTextBegin, i - fieldTextBegin));
            } else if (actionField && name == "description") {
                currentDescription = xmlUnescape(text.substr(fieldTextBegin, i - fieldTextBegin));
            } else if (stack.size() == 1 && name == "action") {
                file.actions.push_back({lineStart(text, opened.begin), lineEnd(text, tagEnd),
                                        currentId, currentDescription});
            } else if (stack.empty()) {
                file.insertAt = lineStart(text, i);
                rootClosed = true;
            }
        } else {
            if (stack.empty()) {
                if (rootSeen || name != "actions" || selfClosed) return std::nullopt;
                rootSeen = true;
            }
            if (!selfClosed) {
                if (stack.size() == 1 && name == "action") {
                    currentId.clear();
                    currentDescription.clear();
                }
                if (stack.size() == 2) fieldTextBegin = tagEnd;
                stack.push_back({std::string(name), i});
            }
        }
        i = tagEnd;
        if (rootClosed) {
            // Only blanks, comments and processing instructions may follow the root.
            while (i < text.size()) {
                const std::string_view tail = text.substr(i);
                if (tail[0] == ' ' || tail[0] == '\t' || tail[0] == '\r' || tail[0] == '\n') {
                    ++i;
                } else if (tail.starts_with("<!--") && text.find("-->", i + 4) != text.npos) {
                    i = text.find("-->", i + 4) + 3;
                } else if (tail.starts_with("<?") && text.find("?>", i) != text.npos) {
                    i = text.find("?>", i) + 2;
                } else {
                    return std::nullopt;
                }
            }
        }
    }
    if (!rootClosed) return std::nullopt;
    return file;
}

// Ours: an action whose description is the one the program writes for an extension, with
// its mark, and whose id is the one made from that same extension. Thunar keeps both when it
// rewrites the file; an id alone is no proof, since a user may name an action anything.
bool ours(const UcaAction& action) {
    constexpr std::string_view head = "Run .";
    const std::string tail = extensionComment("").substr(head.size()) + kThunarMark;
    const std::string& text = action.description;
    if (!text.starts_with(head) || !text.ends_with(tail) || text.size() < head.size() + tail.size())
        return false;
    const std::string ext = text.substr(head.size(), text.size() - head.size() - tail.size());
    return usableExtension(ext) && action.uniqueId == kThunarIdPrefix + fileStem(ext);
}

// The unique id in one of our own action texts.
std::string idOfAction(std::string_view action) {
    const std::size_t begin = action.find("<unique-id>");
    const std::size_t end = action.find("</unique-id>");
    if (begin == std::string_view::npos || end == std::string_view::npos) return {};
    return xmlUnescape(action.substr(begin + 11, end - begin - 11));
}

}  // namespace

std::string thunarAction(const std::string& program, std::string_view ext) {
    std::string text = "<action>\n";
    text += std::string("\t<icon>") + kEntryIcon + "</icon>\n";
    text += std::string("\t<name>") + kEntryName + "</name>\n";
    text += "\t<submenu></submenu>\n";
    text += "\t<unique-id>" + xmlText(kThunarIdPrefix + fileStem(ext)) + "</unique-id>\n";
    text += "\t<command>" + xmlText(shellProgram(program) + " %f") + "</command>\n";
    text += "\t<description>" + xmlText(extensionComment(ext) + kThunarMark) + "</description>\n";
    text += "\t<range>1-1</range>\n";
    text += "\t<patterns>" + xmlText(thunarPatterns(ext)) + "</patterns>\n";
    // Thunar asks for the kinds of file an action is for: every kind but folders.
    text += "\t<audio-files/>\n\t<image-files/>\n\t<other-files/>\n\t<text-files/>\n";
    text += "\t<video-files/>\n";
    text += "</action>\n";
    return text;
}

std::string emptyThunarFile() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n</actions>\n";
}

std::optional<std::string> mergeThunarActions(std::string_view uca,
                                              const std::vector<std::string>& ourActions) {
    const auto file = readUca(uca);
    if (!file) return std::nullopt;
    std::map<std::string, std::size_t> wanted;  // unique id -> index in ourActions
    for (std::size_t k = 0; k < ourActions.size(); ++k)
        wanted.emplace(idOfAction(ourActions[k]), k);

    // Each of ours that is still wanted is rewritten where it stands (the user may have moved
    // it); the others go; the new ones join at the end.
    std::vector<bool> placed(ourActions.size(), false);
    std::string out;
    std::size_t copied = 0;
    for (const auto& action : file->actions) {
        if (!ours(action)) continue;
        out.append(uca.substr(copied, action.begin - copied));
        copied = action.end;
        const auto it = wanted.find(action.uniqueId);
        if (it != wanted.end() && !placed[it->second]) {
            out += ourActions[it->second];
            placed[it->second] = true;
        }
    }
    out.append(uca.substr(copied, file->insertAt - copied));
    // Where the closing tag shares a line with something before it, ours start on that line
    // too: a line break added here would stay behind when they are taken out again.
    for (std::size_t k = 0; k < ourActions.size(); ++k)
        if (!placed[k]) out += ourActions[k];
    out.append(uca.substr(file->insertAt));
    return out;
}

namespace {

// The text Thunar would read when the user has no actions file: the first system one.
std::string thunarStart(const MenuFolders& folders) {
    for (const auto& folder : folders.systemThunar) {
        bool found = false;
        std::string text = readText(folder + "/" + kUcaName, found);
        if (found && readUca(text)) return text;
    }
    return emptyThunarFile();
}

void updateThunar(MenuUpdate& update, const MenuFolders& folders,
                  const std::vector<std::string>& actions) {
    const std::string path = folders.thunar + "/" + kUcaName;
    const fs::FileLock lock(path);  // two copies of the program never interleave here
    std::string old;
    const fs::Result read = fs::readFile(path, old);
    if (read != fs::Result::Ok && read != fs::Result::NotFound) {
        update.ok = false;  // a file that cannot be read may hold ours: it is named, not skipped
        update.failedPaths.push_back(path);
        return;
    }
    const bool found = read == fs::Result::Ok;
    if (!found && actions.empty()) return;  // nothing of ours, nothing to add
    const std::string start = thunarStart(folders);

    const auto merged = mergeThunarActions(found ? old : start, actions);
    if (!merged) {  // a file this reader does not understand is left to its owner
        update.ok = false;
        update.failedPaths.push_back(path);
        return;
    }
    // A file the program made holds, without ours, exactly what it was made from (kept in
    // the state folder); once it holds anything else it is the user's.
    const auto withoutOurs = mergeThunarActions(old, {});
    std::string madeFrom;
    bool made =
        !folders.thunarMade.empty() && fs::readFile(folders.thunarMade, madeFrom) == fs::Result::Ok;
    if (made && found && (!withoutOurs || *withoutOurs != madeFrom)) {
        fs::removeFile(folders.thunarMade);
        made = false;
    }
    if (found && *merged == old) return;

    if (made && found && actions.empty()) {
        // Nothing of the user's in a file the program made: it goes, as it came.
        if (fs::removeFile(path) == fs::Result::Ok) {
            fs::removeFile(folders.thunarMade);
        } else {
            update.ok = false;
            update.failedPaths.push_back(path);
        }
        return;
    }
    // A file that was there before is the user's, even when it holds no action of their own
    // (an emptied file keeps Thunar's defaults away): it is rewritten, never deleted, and a
    // link to it stays a link (the file layer replaces the file it leads to). When it holds
    // actions of the user's, the old one is kept beside it first.
    const bool usersOwn =
        found && withoutOurs && *withoutOurs != start && *withoutOurs != emptyThunarFile();
    if (usersOwn && fs::replaceFile(path + ".bak", old) != fs::Result::Ok) {
        update.ok = false;
        update.failedPaths.push_back(path + ".bak");
        return;
    }
    if (!found && !folders.thunarMade.empty()) {
        const std::string stateFolder = folders.thunarMade.substr(0, folders.thunarMade.rfind('/'));
        // Without this note the file stays for good, as a user's would: no reason to stop.
        if (fs::ensureFolderPath(stateFolder)) fs::replaceFile(folders.thunarMade, start);
    }
    if (!fs::ensureFolderPath(folders.thunar) || fs::replaceFile(path, *merged) != fs::Result::Ok) {
        update.ok = false;
        update.failedPaths.push_back(path);
    }
}

}  // namespace

void updateThunarActions(const MenuPlan& plan, MenuUpdate& update) {
    std::vector<std::string> actions;
    for (const auto& listed : plan.extensions)
        actions.push_back(thunarAction(plan.program, listed.ext));
    const std::size_t failures = update.failedPaths.size();
    updateThunar(update, plan.folders, actions);
    if (update.failedPaths.size() != failures) return;
    for (const auto& listed : plan.extensions) update.offeredBy[listed.ext].push_back("Thunar");
}

}  // namespace tarvo::menus

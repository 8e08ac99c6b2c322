// The file managers' menus on a Linux desktop: their texts, Thunar's shared actions file, and
// the one regeneration that brings all of them in line with the association list.
#include "settings/linux_menus.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <utility>

#include "common/utf8.h"
#include "platform/filesystem.h"
#include "settings/associations.h"

namespace tarvo::menus {
namespace {

constexpr char kName[] = "Tarvolin";
constexpr char kIcon[] = "tarvolin";
constexpr char kComment[] = "Run a file with arguments typed in a small dialog";
constexpr char kDolphinPrefix[] = "tarvolin-";
constexpr char kDolphinSuffix[] = ".desktop";
constexpr char kNemoPrefix[] = "tarvolin-";
constexpr char kNemoSuffix[] = ".nemo_action";
constexpr char kUcaName[] = "uca.xml";

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string asciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = lower(c);
    return out;
}

std::string asciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = upper(c);
    return out;
}

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool startsWith(std::string_view text, std::string_view head) {
    return text.substr(0, head.size()) == head;
}

// A program text that needs no quoting in any of the formats and can stand in their lists.
bool plainProgram(std::string_view program) {
    if (program.empty()) return false;
    return std::all_of(program.begin(), program.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '/' || c == '.' || c == '_' || c == '-' || c == '+';
    });
}

// A desktop entry's string value: backslashes doubled (the other escapes are for control
// characters, which no text here holds).
std::string entryValue(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') out += '\\';
        out += c;
    }
    return out;
}

// The program as the first word of a desktop entry's Exec (quoted by the entry's own rules
// where it holds a reserved character; a literal % doubled).
std::string execProgram(const std::string& program) {
    std::string word;
    if (plainProgram(program)) {
        word = program;
    } else {
        word = "\"";
        for (char c : program) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') word += '\\';
            word += c;
        }
        word += '"';
    }
    std::string out;
    for (char c : word) {
        if (c == '%') out += '%';
        out += c;
    }
    return entryValue(out);
}

// The program as the first word of a shell-like command line (Nemo parses its Exec as one,
// Thunar runs its command through /bin/sh): single quotes where needed, % doubled.
std::string shellProgram(const std::string& program) {
    std::string word;
    if (plainProgram(program)) {
        word = program;
    } else {
        word = "'";
        for (char c : program) {
            if (c == '\'') {
                word += "'\\''";
            } else {
                word += c;
            }
        }
        word += '\'';
    }
    std::string out;
    for (char c : word) {
        if (c == '%') out += '%';
        out += c;
    }
    return out;
}

std::string xmlText(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string joinTypes(const std::vector<std::string>& types) {
    std::string out;
    for (const auto& type : types) out += type + ";";
    return out;
}

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
};

struct UcaFile {
    std::vector<UcaAction> actions;
    std::size_t insertAt;  // where new actions go: before the closing tag of the root
};

std::string xmlUnescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        const std::size_t semi = text.find(';', i);
        if (semi == std::string_view::npos) {
            out += text.substr(i);
            break;
        }
        const std::string_view name = text.substr(i + 1, semi - i - 1);
        if (name == "amp") {
            out += '&';
        } else if (name == "lt") {
            out += '<';
        } else if (name == "gt") {
            out += '>';
        } else if (name == "quot") {
            out += '"';
        } else if (name == "apos") {
            out += '\'';
        } else if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            const std::string digits(name.substr(hex ? 2 : 1));
            char* stop = nullptr;
            const unsigned long code = std::strtoul(digits.c_str(), &stop, hex ? 16 : 10);
            if (digits.empty() || *stop != '\0') return std::string(text);  // not ours to read
            out += utf8::encode(static_cast<char32_t>(code));
        } else {
            out += text.substr(i, semi - i + 1);
        }
        i = semi;
    }
    return out;
}

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
    std::size_t idTextBegin = 0;
    std::string currentId;
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
        if (startsWith(rest, "<!--")) {
            close = text.find("-->", i + 4);
            if (close == std::string_view::npos) return std::nullopt;
            i = close + 3;
            continue;
        }
        if (startsWith(rest, "<![CDATA[")) {
            if (stack.empty()) return std::nullopt;
            close = text.find("]]>", i);
            if (close == std::string_view::npos) return std::nullopt;
            i = close + 3;
            continue;
        }
        if (startsWith(rest, "<?")) {
            close = text.find("?>", i);
            if (close == std::string_view::npos) return std::nullopt;
            i = close + 2;
            continue;
        }
        if (startsWith(rest, "<!")) {  // the document type, with its internal subset
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
            if (stack.size() == 2 && name == "unique-id" && stack[1].name == "action") {
                currentId = xmlUnescape(text.substr(idTextBegin, i - idTextBegin));
            } else if (stack.size() == 1 && name == "action") {
                file.actions.push_back(
                    {lineStart(text, opened.begin), lineEnd(text, tagEnd), currentId});
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
                if (stack.size() == 1 && name == "action") currentId.clear();
                if (name == "unique-id") idTextBegin = tagEnd;
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
                } else if (startsWith(tail, "<!--") && text.find("-->", i + 4) != text.npos) {
                    i = text.find("-->", i + 4) + 3;
                } else if (startsWith(tail, "<?") && text.find("?>", i) != text.npos) {
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

bool ours(const UcaAction& action) {
    return startsWith(action.uniqueId, kThunarIdPrefix);
}

// The unique id in one of our own action texts.
std::string idOfAction(std::string_view action) {
    const std::size_t begin = action.find("<unique-id>");
    const std::size_t end = action.find("</unique-id>");
    if (begin == std::string_view::npos || end == std::string_view::npos) return {};
    return xmlUnescape(action.substr(begin + 11, end - begin - 11));
}

// ---- files on disk -------------------------------------------------------------------------

std::string readText(const std::string& path, bool& found) {
    std::string bytes;
    found = fs::readFile(path, bytes) == fs::Result::Ok;
    return bytes;
}

bool madeByUs(const std::string& path) {
    bool found = false;
    const std::string text = readText(path, found);
    return found && startsWith(text, kMadeByLine);
}

// Writes text to path when it differs, for a file of ours; a file there that is not ours is
// left as it is and counts as a failure.
void putFile(MenuUpdate& update, const std::string& folder, const std::string& name,
             const std::string& text, fs::FileMode mode) {
    const std::string path = folder + "/" + name;
    bool found = false;
    const std::string old = readText(path, found);
    if (found && !startsWith(old, kMadeByLine)) {
        update.ok = false;
        update.failedPaths.push_back(path);
        return;
    }
    if (found && old == text) return;
    if (!fs::ensureFolderPath(folder) || fs::replaceFile(path, text, mode) != fs::Result::Ok) {
        update.ok = false;
        update.failedPaths.push_back(path);
    }
}

void dropFile(MenuUpdate& update, const std::string& path) {
    const fs::Result result = fs::removeFile(path);
    if (result != fs::Result::Ok && result != fs::Result::NotFound) {
        update.ok = false;
        update.failedPaths.push_back(path);
    }
}

// Deletes the program's files in folder (named prefix...suffix, marked as ours) that are not
// among wanted.
void dropOthers(MenuUpdate& update, const std::string& folder, std::string_view prefix,
                std::string_view suffix, const std::set<std::string>& wanted) {
    for (const auto& name : fs::listFolder(folder)) {
        if (!startsWith(name, prefix) || !endsWith(name, suffix) || wanted.count(name) != 0)
            continue;
        const std::string path = folder + "/" + name;
        if (madeByUs(path)) dropFile(update, path);
    }
}

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
    bool found = false;
    const std::string old = readText(path, found);
    const std::string start = thunarStart(folders);
    if (!found && actions.empty()) return;  // nothing of ours, nothing to add

    const auto merged = mergeThunarActions(found ? old : start, actions);
    if (!merged) {  // a file this reader does not understand is left to its owner
        update.ok = false;
        update.failedPaths.push_back(path);
        return;
    }
    if (found && *merged == old) return;

    if (actions.empty() && (*merged == start || *merged == emptyThunarFile())) {
        // Nothing is left but what Thunar reads without the file: the file goes, so the
        // system's own actions reach the user again as they change.
        dropFile(update, path);
        return;
    }
    // The user's own actions are in the file: the old one is kept beside it first.
    const auto withoutOurs = mergeThunarActions(old, {});
    const bool usersOwn =
        found && withoutOurs && *withoutOurs != start && *withoutOurs != emptyThunarFile();
    if (usersOwn && fs::replaceFile(path + ".bak", old) != fs::Result::Ok) {
        update.ok = false;
        update.failedPaths.push_back(path + ".bak");
        return;
    }
    if (!fs::ensureFolderPath(folders.thunar) || fs::replaceFile(path, *merged) != fs::Result::Ok) {
        update.ok = false;
        update.failedPaths.push_back(path);
    }
}

std::string envFolder(const char* name) {
    const char* value = std::getenv(name);
    // The base-directory rules ignore a relative path.
    if (value == nullptr || value[0] != '/') return {};
    std::string folder = value;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::vector<std::string> envFolderList(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    const std::string list = value != nullptr && value[0] != '\0' ? value : fallback;
    std::vector<std::string> folders;
    std::size_t begin = 0;
    while (begin <= list.size()) {
        std::size_t end = list.find(':', begin);
        if (end == std::string::npos) end = list.size();
        std::string folder = list.substr(begin, end - begin);
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        if (!folder.empty() && folder[0] == '/' &&
            std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
        begin = end + 1;
    }
    return folders;
}

}  // namespace

// ---- the MIME database ----------------------------------------------------------------------

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
        if (!startsWith(fields[2], "*.")) continue;
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

// ---- the texts ------------------------------------------------------------------------------

bool usableExtension(std::string_view ext) {
    if (ext.empty() || ext.front() == '.' || ext.front() == ' ' || ext.back() == ' ') return false;
    if (!utf8::isValid(ext) || fileStem(ext).size() > kLongestStem) return false;
    return std::none_of(ext.begin(), ext.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f ||
               std::string_view("/\\;*?[]").find(c) != std::string_view::npos;
    });
}

std::string fileStem(std::string_view ext) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (char c : ext) {
        const auto byte = static_cast<unsigned char>(c);
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-') {
            out += c;
        } else if (c >= 'A' && c <= 'Z') {
            out += lower(c);
        } else {
            out += '_';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

std::string dolphinServiceMenu(const std::string& program, std::string_view ext,
                               const std::vector<std::string>& mimeTypes) {
    // Dolphin reads both "Service" and "Application" as the type of a service menu; the
    // latter is the one the desktop entry standard knows, so the file validates as one.
    const std::string exec = execProgram(program) + " " + kIfListedSwitch + " %f";
    std::string text = std::string(kMadeByLine) + "\n";
    text += "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += std::string("Name=") + kName + "\n";
    text += "Comment=" + entryValue("Run ." + std::string(ext) + " files with arguments") + "\n";
    text += "Exec=" + exec + "\n";
    if (plainProgram(program)) text += "TryExec=" + program + "\n";
    text += "MimeType=" + joinTypes(mimeTypes) + "\n";
    text += "Actions=tarvolin;\n";
    text += "X-KDE-Priority=TopLevel\n";
    text += "X-KDE-Protocols=file\n";
    text += "X-KDE-MaxNumberOfUrls=1\n";
    text += "\n";
    text += "[Desktop Action tarvolin]\n";
    text += std::string("Name=") + kName + "\n";
    text += std::string("Icon=") + kIcon + "\n";
    text += "Exec=" + exec + "\n";
    return text;
}

std::string nemoAction(const std::string& program, std::string_view ext) {
    std::string text = std::string(kMadeByLine) + "\n";
    text += "[Nemo Action]\n";
    text += std::string("Name=") + kName + "\n";
    text += "Comment=" + entryValue("Run ." + std::string(ext) + " files with arguments") + "\n";
    text += "Exec=" + entryValue(shellProgram(program)) + " %F\n";
    text += std::string("Icon-Name=") + kIcon + "\n";
    text += "Selection=s\n";
    // With the dot, so that "log" is not found at the end of "catalog"; Nemo compares in
    // lower case.
    text += "Extensions=." + entryValue(ext) + ";\n";
    if (plainProgram(program)) text += "Dependencies=" + program + ";\n";
    return text;
}

std::string thunarAction(const std::string& program, std::string_view ext) {
    std::string text = "<action>\n";
    text += std::string("\t<icon>") + kIcon + "</icon>\n";
    text += std::string("\t<name>") + kName + "</name>\n";
    text += "\t<submenu></submenu>\n";
    text += "\t<unique-id>" + xmlText(kThunarIdPrefix + fileStem(ext)) + "</unique-id>\n";
    text += "\t<command>" + xmlText(shellProgram(program) + " %f") + "</command>\n";
    text += "\t<description>" + xmlText("Run ." + std::string(ext) + " files with arguments") +
            "</description>\n";
    text += "\t<range>1-1</range>\n";
    text += "\t<patterns>" + xmlText(thunarPatterns(ext)) + "</patterns>\n";
    // Thunar asks for the kinds of file an action is for: every kind but folders.
    text += "\t<audio-files/>\n\t<image-files/>\n\t<other-files/>\n\t<text-files/>\n";
    text += "\t<video-files/>\n";
    text += "</action>\n";
    return text;
}

std::string desktopEntry(const std::string& program, const std::vector<std::string>& mimeTypes) {
    std::string text;
    if (!mimeTypes.empty()) text += std::string(kMadeByLine) + "\n";
    text += "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += std::string("Name=") + kName + "\n";
    text += "GenericName=Argument Launcher\n";
    text += std::string("Comment=") + kComment + "\n";
    text += std::string("Icon=") + kIcon + "\n";
    text += "Exec=" + execProgram(program) + " %f\n";
    if (plainProgram(program)) text += "TryExec=" + program + "\n";
    text += "Terminal=false\n";
    text += "Categories=Utility;\n";
    text += "Keywords=arguments;command line;run;launch;\n";
    if (!mimeTypes.empty()) text += "MimeType=" + joinTypes(mimeTypes) + "\n";
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
    bool lineOpen = !out.empty() && out.back() != '\n';
    for (std::size_t k = 0; k < ourActions.size(); ++k) {
        if (placed[k]) continue;
        if (lineOpen) out += '\n';  // the closing tag shares a line with something before it
        lineOpen = false;
        out += ourActions[k];
    }
    out.append(uca.substr(file->insertAt));
    return out;
}

bool extensionListed(std::string_view path, const std::vector<std::string>& entries) {
    const std::string name = asciiLower(path.substr(path.rfind('/') + 1));
    return std::any_of(entries.begin(), entries.end(), [&](const std::string& ext) {
        return usableExtension(ext) && endsWith(name, "." + asciiLower(ext)) &&
               name.size() > ext.size() + 1;
    });
}

// ---- the regeneration -----------------------------------------------------------------------

MenuFolders menuFolders() {
    MenuFolders folders;
    std::string home = envFolder("HOME");
    std::string dataHome = envFolder("XDG_DATA_HOME");
    std::string configHome = envFolder("XDG_CONFIG_HOME");
    if (dataHome.empty() && !home.empty()) dataHome = home + "/.local/share";
    if (configHome.empty() && !home.empty()) configHome = home + "/.config";
    if (!dataHome.empty()) {
        folders.dolphin = dataHome + "/kio/servicemenus";
        folders.nemo = dataHome + "/nemo/actions";
        folders.applications = dataHome + "/applications";
        folders.mimeGlobs.push_back(dataHome + "/mime/globs2");
    }
    if (!configHome.empty()) folders.thunar = configHome + "/Thunar";
    for (const auto& dir : envFolderList("XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
        folders.mimeGlobs.push_back(dir + "/mime/globs2");
    for (const auto& dir : envFolderList("XDG_CONFIG_DIRS", "/etc/xdg"))
        folders.systemThunar.push_back(dir + "/Thunar");
    return folders;
}

MenuUpdate regenerateMenus(const std::vector<std::string>& entries, const MenuFolders& folders,
                           const std::string& program) {
    MenuUpdate update;
    if (folders.dolphin.empty() || folders.thunar.empty()) {
        update.ok = false;  // no home folder: nowhere to put a menu
        return update;
    }
    MimeGlobs globs;
    for (const auto& path : folders.mimeGlobs) {
        bool found = false;
        const std::string text = readText(path, found);
        if (found) globs.addFile(text);
    }

    // One set of menus per extension; two entries that differ in letter case only would
    // give the same menus, so the first one stands for both.
    std::set<std::string> dolphinFiles;
    std::set<std::string> nemoFiles;
    std::set<std::string> stems;
    std::vector<std::string> allTypes;
    std::vector<std::string> thunarActions;
    for (const auto& ext : entries) {
        if (!usableExtension(ext)) {
            update.unusable.push_back(ext);
            continue;
        }
        const std::string stem = fileStem(ext);
        if (!stems.insert(stem).second) continue;
        const auto types = globs.typesOf(ext);
        if (types.empty()) {
            update.withoutType.push_back(ext);
        } else {
            const std::string name = kDolphinPrefix + stem + kDolphinSuffix;
            dolphinFiles.insert(name);
            putFile(update, folders.dolphin, name, dolphinServiceMenu(program, ext, types),
                    fs::FileMode::Executable);
            for (const auto& type : types)
                if (std::find(allTypes.begin(), allTypes.end(), type) == allTypes.end())
                    allTypes.push_back(type);
        }
        const std::string nemoName = kNemoPrefix + stem + kNemoSuffix;
        nemoFiles.insert(nemoName);
        putFile(update, folders.nemo, nemoName, nemoAction(program, ext), fs::FileMode::Keep);
        thunarActions.push_back(thunarAction(program, ext));
    }
    dropOthers(update, folders.dolphin, kDolphinPrefix, kDolphinSuffix, dolphinFiles);
    dropOthers(update, folders.nemo, kNemoPrefix, kNemoSuffix, nemoFiles);

    const std::string entryPath = folders.applications + "/" + kDesktopEntryName;
    if (!allTypes.empty()) {
        putFile(update, folders.applications, kDesktopEntryName, desktopEntry(program, allTypes),
                fs::FileMode::Keep);
    } else if (madeByUs(entryPath)) {
        dropFile(update, entryPath);
    }
    updateThunar(update, folders, thunarActions);
    return update;
}

MenuUpdate removeAllMenus(const MenuFolders& folders) {
    return regenerateMenus({}, folders, {});
}

MenuUpdate regenerateMenusFromSettings(const std::string& settingsFile,
                                       const std::string& program) {
    return regenerateMenus(readAssociationList(settingsFile), menuFolders(), program);
}

}  // namespace tarvo::menus

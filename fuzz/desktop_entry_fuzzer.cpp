// Fuzzes the generated menu files: for any extension the settings window accepts and any
// program path, every desktop file validates (a structural check of the desktop entry format
// below) and every command line gives back exactly the program and its field code.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/shell_words.h"
#include "common/utf8.h"
#include "fuzz_check.h"
#include "settings/linux_menus.h"

namespace {

// A string value with its escapes resolved; nullopt-like empty flag on a bad escape.
bool unescapeValue(std::string_view value, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        if (++i == value.size()) return false;
        switch (value[i]) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            case ';':
                out += "\\;";
                break;  // kept for the list split
            default:
                return false;
        }
    }
    return true;
}

// The Exec key's arguments by the desktop entry rules, field codes kept as "%x" and "%%" as
// "%"; false when the value breaks a rule.
bool execArguments(std::string_view exec, std::vector<std::string>& args) {
    static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    static constexpr std::string_view kCodes = "fFuUdDnNickvm";
    args.clear();
    std::size_t i = 0;
    while (i < exec.size()) {
        if (exec[i] == ' ') {
            ++i;
            continue;
        }
        std::string arg;
        if (exec[i] == '"') {
            for (++i;; ++i) {
                if (i == exec.size()) return false;  // never closed
                if (exec[i] == '"') break;
                if (exec[i] == '\\') {
                    if (++i == exec.size()) return false;
                    if (std::string_view("\"`$\\").find(exec[i]) == std::string_view::npos)
                        return false;
                } else if (exec[i] == '`' || exec[i] == '$') {
                    return false;  // must be escaped inside quotes
                } else if (exec[i] == '%') {
                    if (i + 1 == exec.size() || exec[i + 1] != '%') return false;  // no codes here
                    ++i;
                }
                arg += exec[i];
            }
            ++i;
            if (i < exec.size() && exec[i] != ' ') return false;
        } else {
            for (; i < exec.size() && exec[i] != ' '; ++i) {
                if (kReserved.find(exec[i]) != std::string_view::npos) return false;
                if (exec[i] == '%') {
                    if (++i == exec.size()) return false;
                    if (exec[i] == '%') {
                        arg += '%';
                    } else if (kCodes.find(exec[i]) != std::string_view::npos) {
                        arg += '%';
                        arg += exec[i];
                    } else {
                        return false;
                    }
                    continue;
                }
                arg += exec[i];
            }
        }
        args.push_back(arg);
    }
    return true;
}

// The groups of a desktop entry file and their keys' unescaped values; aborts on any line
// the format does not allow.
struct Entry {
    std::vector<std::string> groups;
    std::vector<std::vector<std::pair<std::string, std::string>>> keys;
    std::string get(std::size_t group, const std::string& key) const {
        for (const auto& [name, value] : keys[group])
            if (name == key) return value;
        return {};
    }
};

Entry parseEntry(const std::string& text, const std::string& firstGroup) {
    check(tarvo::utf8::isValid(text));
    check(!text.empty() && text.back() == '\n');
    Entry entry;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = text.find('\n', begin);
        const std::string_view line = std::string_view(text).substr(begin, end - begin);
        begin = end + 1;
        for (char c : line) check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            check(line.back() == ']' && line.size() > 2);
            const std::string name(line.substr(1, line.size() - 2));
            check(name.find_first_of("[]") == std::string::npos);
            for (const auto& seen : entry.groups) check(seen != name);
            check(!entry.groups.empty() || name == firstGroup);
            entry.groups.push_back(name);
            entry.keys.emplace_back();
            continue;
        }
        check(!entry.groups.empty());
        const std::size_t equals = line.find('=');
        check(equals != std::string_view::npos && equals > 0);
        const std::string key(line.substr(0, equals));
        for (char c : key)
            check((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                  c == '-');
        for (const auto& [seen, value] : entry.keys.back()) check(seen != key);
        std::string value;
        check(unescapeValue(line.substr(equals + 1), value));
        entry.keys.back().emplace_back(key, value);
    }
    return entry;
}

// A desktop entry of type Application: the keys it must have, and its Exec's arguments.
std::vector<std::string> applicationExec(const Entry& entry) {
    check(entry.get(0, "Type") == "Application");
    check(!entry.get(0, "Name").empty());
    std::vector<std::string> args;
    check(execArguments(entry.get(0, "Exec"), args));
    return args;
}

std::string withoutDoubledPercent(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') ++i;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarvo::menus;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    if (nul == std::string_view::npos) return 0;
    const std::string ext(input.substr(0, nul));
    const std::string program = "/" + std::string(input.substr(nul + 1));
    if (!usableExtension(ext)) return 0;  // the settings window refuses it
    // The program's own path: text without control characters, which no desktop entry value
    // can hold (such a path is outside what is checked here: see docs/linux.md).
    if (!tarvo::utf8::isValid(program) || std::any_of(program.begin(), program.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
        }))
        return 0;

    const std::vector<std::string> types{"text/plain", "application/x-fuzz"};
    const Entry dolphin = parseEntry(dolphinServiceMenu(program, ext, types), "Desktop Entry");
    check((applicationExec(dolphin) == std::vector<std::string>{program, kIfListedSwitch, "%f"}));
    check(dolphin.get(0, "MimeType") == "text/plain;application/x-fuzz;");

    const Entry openWith = parseEntry(desktopEntry(program, true), "Desktop Entry");
    check((applicationExec(openWith) == std::vector<std::string>{program, "%f"}));
    check(openWith.get(0, "MimeType").empty());

    // Nemo reads its Exec as a shell-like line once the % codes are put in.
    const Entry nemo = parseEntry(nemoAction(program, ext), "Nemo Action");
    check(nemo.get(0, "Extensions") == "." + ext + ";");
    const auto words = tarvo::splitShellWords(withoutDoubledPercent(nemo.get(0, "Exec")));
    check(!words.error && (words.words == std::vector<std::string>{program, "%F"}));

    // Thunar's action is an element its file reader takes back out whole.
    const std::string action = thunarAction(program, ext);
    const auto file = mergeThunarActions(emptyThunarFile(), {action});
    check(file.has_value() && *mergeThunarActions(*file, {}) == emptyThunarFile());
    const std::size_t command = action.find("<command>");
    const std::size_t commandEnd = action.find("</command>");
    check(command != std::string::npos && commandEnd != std::string::npos);
    const std::string xml = action.substr(command + 9, commandEnd - command - 9);
    check(xml.find('<') == std::string::npos);
    const auto thunarWords = tarvo::splitShellWords(withoutDoubledPercent(xmlUnescape(xml)));
    check(!thunarWords.error && (thunarWords.words == std::vector<std::string>{program, "%f"}));

    // Caja's and PCManFM-Qt's action: the extension's pattern, and an Exec both read as a
    // shell-like line once the % codes are put in.
    const Entry fma = parseEntry(fileManagerAction(program, ext), "Desktop Entry");
    check(fma.get(0, "Type") == "Action" && fma.get(1, "Basenames") == "*." + ext + ";");
    const auto fmaWords = tarvo::splitShellWords(withoutDoubledPercent(fma.get(1, "Exec")));
    check(!fmaWords.error && (fmaWords.words == std::vector<std::string>{program, "%f"}));
    return 0;
}

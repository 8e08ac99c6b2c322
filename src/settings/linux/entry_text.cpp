// Texts every desktop-entry format shares: quoting and escaping.
#include "settings/linux/entry_text.h"

#include <algorithm>
#include <cstdlib>

#include "common/utf8.h"

namespace tarvo::menus {

std::string asciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string asciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool plainProgram(std::string_view program) {
    if (program.empty()) return false;
    return std::all_of(program.begin(), program.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '/' || c == '.' || c == '_' || c == '-' || c == '+';
    });
}

std::string entryValue(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') out += '\\';
        out += c;
    }
    return out;
}

namespace {

std::string doublePercent(std::string_view word) {
    std::string out;
    for (char c : word) {
        if (c == '%') out += '%';
        out += c;
    }
    return out;
}

}  // namespace

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
    return entryValue(doublePercent(word));
}

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
    return doublePercent(word);
}

std::string extensionComment(std::string_view ext) {
    return "Run ." + std::string(ext) + " files with arguments";
}

std::string joinTypes(const std::vector<std::string>& types) {
    std::string out;
    for (const auto& type : types) out += type + ";";
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

}  // namespace tarvo::menus

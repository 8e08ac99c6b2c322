// POSIX shell quoting without any expansion.
#include "common/shell_words.h"

#include "common/utf8.h"

namespace tarvo {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// column: the quote's place in characters, counting from 1.
std::string unclosedMessage(char quote, std::size_t column) {
    const std::string name = quote == '"' ? "double quote (\")" : "single quote (')";
    return "The arguments cannot be read: the " + name + " at character " + std::to_string(column) +
           " is never closed.\n\nNothing was run. Close the quote, or put a backslash in front "
           "of it to pass it on as it stands.";
}

}  // namespace

ShellWords splitShellWords(std::string_view text) {
    ShellWords result;
    std::string word;
    bool inWord = false;  // a word has begun, even if it is still empty ("" or '')
    std::size_t i = 0;
    const auto endWord = [&] {
        if (inWord) result.words.push_back(std::move(word));
        word.clear();
        inWord = false;
    };
    while (i < text.size()) {
        const char c = text[i];
        if (isBlank(c)) {
            endWord();
            ++i;
        } else if (c == '\\') {
            if (i + 1 >= text.size()) {
                word += c;  // nothing left to escape: the backslash stands for itself
                inWord = true;
                ++i;
            } else if (text[i + 1] == '\n') {
                i += 2;  // a continued line
            } else {
                word += text[i + 1];
                inWord = true;
                i += 2;
            }
        } else if (c == '\'') {
            const std::size_t close = text.find('\'', i + 1);
            if (close == std::string_view::npos)
                return {{}, unclosedMessage(c, utf8::length(text.substr(0, i)) + 1)};
            word.append(text.substr(i + 1, close - i - 1));
            inWord = true;
            i = close + 1;
        } else if (c == '"') {
            const std::size_t open = i++;
            inWord = true;
            for (;;) {
                if (i >= text.size())
                    return {{}, unclosedMessage('"', utf8::length(text.substr(0, open)) + 1)};
                const char d = text[i];
                if (d == '"') {
                    ++i;
                    break;
                }
                if (d == '\\' && i + 1 < text.size()) {
                    const char e = text[i + 1];
                    if (e == '\n') {
                        i += 2;
                        continue;
                    }
                    if (e == '$' || e == '`' || e == '"' || e == '\\') {
                        word += e;
                        i += 2;
                        continue;
                    }
                }
                word += d;
                ++i;
            }
        } else {
            word += c;
            inWord = true;
            ++i;
        }
    }
    endWord();
    return result;
}

std::string shellQuote(std::string_view path) {
    bool plain = !path.empty();
    for (const char c : path) {
        const auto u = static_cast<unsigned char>(c);
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || u >= 0x80 ||
                          std::string_view("_@%+=:,./-").find(c) != std::string_view::npos;
        if (!safe) {
            plain = false;
            break;
        }
    }
    if (plain) return std::string(path);
    std::string quoted = "'";
    for (const char c : path) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

}  // namespace tarvo

// The argument text split into words by the quoting rules of the POSIX shell, and paths quoted
// back for it. Only quoting is honoured: no variable, tilde, glob or command expansion, no
// comments, no operators; so the text means what it would to a shell that expands nothing,
// and no shell ever sees it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo {

struct ShellWords {
    std::vector<std::string> words;
    // Set when the text cannot be split (a quote that is never closed): a message for the
    // user; words is then empty.
    std::optional<std::string> error;
};

// Blanks, tabs and line breaks separate words. Inside single quotes every character stands for
// itself. Inside double quotes a backslash escapes only $ ` " \ and a line break (which then
// disappears); any other backslash stays. Outside quotes a backslash makes the next character
// literal, a backslash before a line break joins the lines, and a backslash at the very end
// stays as it is. Quotes that enclose nothing ("" or '') make an empty word. Every other
// byte, non-ASCII text included, is taken as it stands.
ShellWords splitShellWords(std::string_view text);

// path as one shell word: unchanged when it holds only characters no shell reads specially,
// else in single quotes, each single quote inside written as '\''.
std::string shellQuote(std::string_view path);

}  // namespace tarvo

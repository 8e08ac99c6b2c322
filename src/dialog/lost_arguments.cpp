// Whether a file's type passes the argument text on, and the check OK makes before it runs.
#include "dialog/lost_arguments.h"

#include <algorithm>
#include <cctype>

#include "dialog/form1.h"

namespace tarvo {
namespace {

constexpr char kTitle[] = "Tarvolin";

// The characters of an environment variable's name as commands use them
// ("%ProgramFiles(x86)%"), and any non-ASCII letter.
bool isNameChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || std::isalnum(u) ||
           std::string_view("_().-$#@{}[]").find(c) != std::string_view::npos;
}

std::string lowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

bool isProgramFile(const std::string& fileName) {
    const auto dot = fileName.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string ext = lowerAscii(fileName.substr(dot));
    return ext == ".exe" || ext == ".com" || ext == ".bat" || ext == ".cmd";
}

bool commandPassesArguments(std::string_view command) {
    for (std::size_t i = 0; i + 1 < command.size(); ++i) {
        if (command[i] != '%') continue;
        const char next = command[i + 1];
        if ((next >= '2' && next <= '9') || next == '*' || next == '~') return true;
        // An environment string: a name of two or more characters, not starting with a
        // digit, up to the next percent sign. Skip it with its closing sign.
        std::size_t end = i + 1;
        while (end < command.size() && isNameChar(command[end])) ++end;
        const bool named = !std::isdigit(static_cast<unsigned char>(next)) && end - i > 2;
        if (named && end < command.size() && command[end] == '%') {
            i = end;
            continue;
        }
        // A one-letter placeholder ("%1", "%L"), or "%%": its second character is no new start.
        ++i;
    }
    return false;
}

std::string lostArgumentsQuestion(const std::string& fileName, const std::string& command) {
    return fileName + " files are opened by " + command +
           ", which passes no arguments on. Run it anyway?";
}

// Asked only when it matters: there is a text to lose, the file is a document, and the system
// names a command for its type. A failed query changes nothing. Through the console the
// interpreter hands a document to the same command, so the check holds there too.
bool Form1::argumentsArriveOrAccepted(const std::string& argument) {
    if (argument.empty() || s_.fileTypes == nullptr || isProgramFile(FILEName)) return true;
    const auto command = s_.fileTypes->defaultCommand(TargetPath_);
    if (!command || command->empty() || commandPassesArguments(*command)) return true;
    return s_.host.messageBox(&c_.form, lostArgumentsQuestion(FILEName, *command), kTitle,
                              MsgButtons::YesNo, MsgIcon::Question) == MsgResult::Yes;
}

}  // namespace tarvo

// Program start: the command-line text and the choice of mode.
#include "app/startup.h"

#include "common/utf8.h"
#include "dialog/form1.h"
#include "platform/host.h"

namespace tarvo {
namespace {

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
        }
        out += utf8::encode(cp);
    }
    return out;
}

}  // namespace

std::string commandLineArguments(std::string_view line) {
    std::size_t i = 0;
    if (!line.empty() && line[0] == '"') {
        const auto close = line.find('"', 1);
        i = close == std::string_view::npos ? line.size() : close + 1;
    } else {
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    }
    // The blanks that separate the program's name from its arguments are not part of them,
    // as in the text Windows hands to WinMain; everything after them is kept as it stands.
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    return std::string(line.substr(i));
}

std::string commandLineArguments(std::u16string_view line) {
    return commandLineArguments(std::string_view(utf16ToUtf8(line)));
}

std::string targetPathOf(const std::string& commandLine) {
    const std::size_t n = commandLine.size();
    if (n >= 2 && commandLine.front() == '"' && commandLine.back() == '"' &&
        commandLine.find('"', 1) == n - 1)
        return commandLine.substr(1, n - 2);
    return commandLine;
}

StartMode Form_Initialize(Form1& form, Host& host, const std::string& commandLine,
                          const std::function<void()>& removeAllAssociations) {
    // The switch is the exact text; a quoted one names a file of that name like any other path.
    if (commandLine == "/cleareg") {
        form.setTargetPath(commandLine);
        if (removeAllAssociations) removeAllAssociations();
        host.endProgram();
        return StartMode::ClearRegistry;
    }
    const std::string path = targetPathOf(commandLine);
    form.setTargetPath(path);
    if (!path.empty()) {
        form.LoadTarget();
        return StartMode::Dialog;
    }
    form.CheckEx = "6";
    host.showSettings();
    form.controls().form.setVisible(false);
    return StartMode::Settings;
}

}  // namespace tarvo

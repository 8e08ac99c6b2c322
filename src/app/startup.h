// Program start: takes the raw command-line text and picks one of three modes.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tarvo {

class Form1;
class Host;

// Everything after the program's own name on a Windows command line, as one text: not split,
// not trimmed, not unquoted. The program name ends at its closing quote when it starts with
// one, else at the first blank or tab; the blanks that separate it from the arguments are
// dropped, as in the text Windows hands to WinMain.
std::string commandLineArguments(std::u16string_view commandLineUtf16);
std::string commandLineArguments(std::string_view commandLineUtf8);

// The target path a command-line text names. The shell hands over a path with blanks in double
// quotes when it drops a file on the program or passes it through "Send to" or "Open with"; no
// Windows file name holds a double quote, so a text that begins and ends with one, and holds
// no other, names the path between them. Every other text is the path as it stands.
std::string targetPathOf(const std::string& commandLine);

enum class StartMode {
    ClearRegistry,  // "/cleareg": associations removed, program ended, no window
    Dialog,         // a target was loaded; show the argument dialog
    Settings        // no target: the settings window is shown, the dialog stays hidden
};

// Form1's start-up: "/cleareg" (exact) calls removeAllAssociations and ends the program;
// other text names the target path (targetPathOf), which is loaded when it is not empty; an
// empty one sets CheckEx to "6", shows the settings window and hides the dialog.
StartMode Form_Initialize(Form1& form, Host& host, const std::string& commandLine,
                          const std::function<void()>& removeAllAssociations);

}  // namespace tarvo

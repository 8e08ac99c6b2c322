// The shell's execute request on Win32 (ShellExecuteExW), and the console interpreter that
// stands in for "command.com", started by its absolute path.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/shell.h"

namespace tarvo::win {

class WinShell final : public Shell {
public:
    ShellResult execute(const ShellRequest& request) override;
};

// The console interpreter by absolute path: %ComSpec% when that names an existing file by an
// absolute path, otherwise cmd.exe in the system folder. Never a name searched for, so a
// "command.com" or "cmd.exe" lying beside the target or in the current folder never runs.
std::wstring consoleInterpreter();

// What the interpreter is given for a request to run "/k \"<path>\" [<text>]" in a console.
struct ConsoleCommand {
    std::string parameters;
    // Variables the interpreter must find in its environment: names with a character the
    // interpreter would expand ("%") are handed over this way, expanded once and never again.
    std::vector<std::pair<std::string, std::string>> environment;
    // Not empty: the file's name cannot reach the interpreter literally, and nothing may run;
    // the text says why, for the user.
    std::string refusal;
};

// How the interpreter is started. An elevated start begins in the system folder whatever
// folder it is given, and with an environment the system makes afresh: none of ours.
struct ConsoleStart {
    bool startsInFolder = true;       // false: the command changes to the file's folder first
    bool inheritsEnvironment = true;  // false: nothing may be handed over in variables
};

// The text of a refusal: the name holds "%" that a console started as administrator could
// read as a variable and so run another file.
inline constexpr char kElevatedPercentRefusal[] =
    "This file's name holds \"%\", which a console started as administrator could read as a "
    "variable and so run another file. Nothing was run. Rename the file, or run it without "
    "CMD or not as administrator.";

// The file's path and folder reach the interpreter literally, whatever the names hold ("%",
// "!", "&", "^", blanks), while the typed text keeps the interpreter's meaning. Delayed
// expansion is off for the command, so "!" pairs are never expanded. Where the interpreter
// inherits no environment, a name holding "%" is given as it is only when that "%" is the one
// in the whole command (a lone "%" is never expanded); otherwise the command is refused.
// Returns nullopt for parameters of another form.
std::optional<ConsoleCommand> consoleCommand(const std::string& commandComParameters,
                                             ConsoleStart start);

// The system's own text for an error code, without its closing line break; "Error N" for a
// code the system has no text for.
std::string systemMessage(unsigned long code);

}  // namespace tarvo::win

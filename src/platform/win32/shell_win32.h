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
};

// The file's path and folder reach the interpreter literally, whatever the names hold ("%",
// "!", "&", "^", blanks), while the typed text keeps the interpreter's meaning. Delayed
// expansion is off for the command, so "!" pairs are never expanded. `startsInFolder` says
// that the interpreter is started in the file's folder; otherwise (an elevated interpreter
// starts in the system folder whatever folder it is given) the command changes to the folder
// first. Returns nullopt for parameters of another form.
std::optional<ConsoleCommand> consoleCommand(const std::string& commandComParameters,
                                             bool startsInFolder);

// The system's own text for an error code, without its closing line break; "Error N" for a
// code the system has no text for.
std::string systemMessage(unsigned long code);

}  // namespace tarvo::win

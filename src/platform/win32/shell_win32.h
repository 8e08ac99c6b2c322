// The shell's execute request on Win32 (ShellExecuteExW), with the stand-in for the console
// interpreter "command.com" on systems that no longer have it.
#pragma once

#include <string>

#include "platform/shell.h"

namespace tarvo::win {

class WinShell final : public Shell {
  public:
    ShellResult execute(const ShellRequest& request) override;
};

// The parameters for %ComSpec% that make it run what "command.com" was asked to run:
// "/k <command>" becomes "/k \"<command>\"". cmd.exe strips the first and the last quote of a
// /k command that holds more than two, so the extra pair keeps the command's own quotes (the
// quoted path and any quotes in the argument text) exactly as given. Other texts are returned
// unchanged.
std::string comspecParameters(const std::string& commandComParameters);

// The system's own text for an error code, without its closing line break; "Error N" for a
// code the system has no text for.
std::string systemMessage(unsigned long code);

}  // namespace tarvo::win

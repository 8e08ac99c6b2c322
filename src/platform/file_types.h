// What the system knows about file types beyond the registry keys the program writes: the
// command that opens a file of a type, and telling the file manager that verbs changed.
#pragma once

#include <optional>
#include <string>

namespace tarvo {

class FileTypes {
public:
    virtual ~FileTypes() = default;
    // The command line the system runs for the default verb of the file's type, placeholders
    // as registered ("\"C:\Python\python.exe\" \"%1\" %*"); nullopt when the system cannot
    // tell (no such type, no command, a handler that is no command line).
    virtual std::optional<std::string> defaultCommand(const std::string& filePath) = 0;
    // Tells the file manager that verbs of file types were added or removed, so its menus
    // show the change without a restart.
    virtual void associationsChanged() = 0;
};

}  // namespace tarvo

// The one road to the shell's execute request: every program, document or address the
// program opens goes through here.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarvo {

class Window;

struct ShellRequest {
    const Window* owner = nullptr;
    std::optional<std::string> verb;  // nullopt: the file type's default action
    std::string file;
    std::optional<std::string> parameters;
    std::optional<std::string> directory;
    int showCommand = 1;  // normal window
    // Set by the Linux front end, whose programs take their arguments one by one: file runs
    // with exactly these arguments in directory, and parameters is not read.
    std::optional<std::vector<std::string>> arguments;
    // With arguments: run in a terminal that stays open after the program ends.
    bool keepOpen = false;
};

class Shell {
public:
    virtual ~Shell() = default;
    // Returns when the request has been handed over (never waits for the started program);
    // true when the shell accepted it. Callers pass the result over.
    virtual bool execute(const ShellRequest& request) = 0;
};

}  // namespace tarvo

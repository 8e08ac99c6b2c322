// The one road to the shell's execute request: every program, document or address the
// program opens goes through here.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace tarvo {

class Window;

struct ShellRequest {
    const Window* owner = nullptr;
    std::optional<std::string> verb;  // nullopt: the file type's default action
    std::string file;
    std::optional<std::string> parameters;
    std::optional<std::string> directory;
    int showCommand = 1;  // normal window
};

// How a request ended: handed over, declined by the user (a prompt of the system's that the
// user cancelled), or refused by the system with its reason in its own words.
struct ShellResult {
    bool ok = true;
    bool cancelled = false;
    std::string reason;  // the system's text for a refusal; empty otherwise

    static ShellResult accepted() { return {}; }
    static ShellResult refused(std::string why) { return {false, false, std::move(why)}; }
    static ShellResult declined() { return {false, true, {}}; }
};

class Shell {
public:
    virtual ~Shell() = default;
    // Returns when the request has been handed over (never waits for the started program).
    virtual ShellResult execute(const ShellRequest& request) = 0;
};

}  // namespace tarvo

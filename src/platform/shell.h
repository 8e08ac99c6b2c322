// The one road to the shell's execute request: every program, document or address the
// program opens goes through here.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarvo {

class Window;

struct ShellRequest {
    const Window* owner = nullptr;
    std::optional<std::string> verb;  // nullopt: the file type's default action; "runas": elevated
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

// What became of an execute request. A refusal by the user (the elevation prompt answered
// No) is not a failure: the caller goes back to where it was and shows nothing.
struct ShellResult {
    enum class Outcome { Started, Cancelled, Failed };

    Outcome outcome = Outcome::Started;
    unsigned long systemError = 0;  // the system's error code when the request failed
    std::string reason;             // the system's own text for that error, UTF-8; may be empty

    static ShellResult started() { return {}; }
    static ShellResult cancelled() { return {Outcome::Cancelled, 0, {}}; }
    static ShellResult failed(unsigned long error, std::string why) {
        return {Outcome::Failed, error, std::move(why)};
    }
    bool ok() const { return outcome == Outcome::Started; }
    bool wasCancelled() const { return outcome == Outcome::Cancelled; }
};

class Shell {
public:
    virtual ~Shell() = default;
    // Returns when the request has been handed over (never waits for the started program).
    virtual ShellResult execute(const ShellRequest& request) = 0;
    // Why file cannot be started at all (it is not there, or it is no file), in a text for
    // the user, asked before anything about the start is recorded; empty when a start may be
    // tried. A shell that tells such failures through the start itself answers empty.
    virtual std::string startRefusal(const std::string& file) {
        (void)file;
        return {};
    }
};

}  // namespace tarvo

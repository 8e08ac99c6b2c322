// tarvolin's command line: its options, read the way Linux programs read theirs, and the text
// start-up takes. Tarvo.exe reads its command line as one text and has no options.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo::cli {

enum class Action {
    Start,          // start-up with startText: the dialog on a file, or the settings window
    UnregisterAll,  // "--unregister-all": every menu entry removed, no window
    Help,           // "--help": usage on standard output
    Version,        // "--version": the version on standard output
    UsageError      // an unknown option or a missing file: usage on standard error
};

struct Options {
    Action action = Action::Start;
    bool ifListed = false;           // "--if-listed FILE": ask first when FILE's type is not listed
    std::vector<std::string> files;  // what follows the options
    std::string error;               // for UsageError: what was wrong, in one line
};

// Exit code of a usage error, as other programs use it.
inline constexpr int kUsageExitCode = 2;

// Reads the arguments after the program's name. Options come first: an argument that begins
// with "-" (other than "-" itself) is an option until the first one that does not, or "--",
// which ends them. "--if-listed" makes every argument after it part of the file, options or
// not, as the file managers' menus hand it over. "--help" and "--version" end the reading.
Options parse(const std::vector<std::string>& args);

// The text start-up takes from the files: joined by one blank, so that a path a desktop hands
// over unquoted arrives whole; a relative path is made absolute from folder, the working
// folder; "/cleareg" as typed stays the switch it is on Windows, and a relative path that
// folder makes into that text is quoted, so that it stays a file.
std::string startText(const std::vector<std::string>& files, const std::string& folder);

// The usage text of "--help", ending with a line break.
std::string usage();

// "tarvolin VERSION" with a line break.
std::string versionLine(std::string_view version);

}  // namespace tarvo::cli

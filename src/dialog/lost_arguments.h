// Arguments the file's own type would drop: a document is opened by its type's command, which
// hands the typed text on only through placeholders for it.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

// A file the system starts itself (.exe, .com, .bat, .cmd, any letter case): it always gets
// the argument text.
bool isProgramFile(const std::string& fileName);

// True when a type's command line holds a placeholder for the arguments after the file: "%2"
// to "%9", "%*", or "%~" (the arguments from one on, "%~2"). "%1", "%L" and the other
// one-letter placeholders name only the file; environment strings ("%SystemRoot%") are
// passed over whole, so their closing sign never reads as the start of a placeholder.
bool commandPassesArguments(std::string_view command);

// The question asked before such a file is run with arguments.
std::string lostArgumentsQuestion(const std::string& fileName, const std::string& command);

}  // namespace tarvo

// The per-user folders of the XDG base directories, where a Linux desktop program keeps its
// history and its settings.
#pragma once

#include <string>

namespace tarvo::fs {

// $XDG_STATE_HOME, or ~/.local/state when it is unset or not an absolute path; no trailing
// separator; empty when the home folder is unknown (and on Windows, which has no such folder).
std::string userStateFolder();
// $XDG_CONFIG_HOME, or ~/.config, by the same rules.
std::string userConfigFolder();

}  // namespace tarvo::fs

// Where the program keeps MRU.INI and Settings.ini: its own folder while that folder is
// writable, otherwise the user's application-data folder, so no write is lost in silence.
// In the Linux style the files follow the XDG base directories instead: MRU.INI in
// $XDG_STATE_HOME/tarvolin, Settings.ini in $XDG_CONFIG_HOME/tarvolin, each folder created
// (with its parents) when the file's name is first asked for.
#pragma once

#include <string>
#include <vector>

namespace tarvo {

// The folder that holds the data files, without a trailing backslash.
std::string dataFolder(const std::string& programFolder);

// dataFolder + "\" + fileName.
std::string dataFile(const std::string& programFolder, const std::string& fileName);

// Every place where runs may have kept the file: the program folder, then the user's folder
// (where runs went while the program folder could not be written). For what must cover all
// of them whoever runs now, such as the extensions to clear when the program is removed by an
// administrator. Nothing is created.
std::vector<std::string> dataFilePlaces(const std::string& programFolder,
                                        const std::string& fileName);

}  // namespace tarvo

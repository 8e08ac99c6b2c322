// Where the program keeps MRU.INI and Settings.ini: its own folder while that folder is
// writable, otherwise the user's application-data folder, so no write is lost in silence.
#pragma once

#include <string>

namespace tarvo {

// The folder that holds the data files, without a trailing backslash.
std::string dataFolder(const std::string& programFolder);

// dataFolder + "\" + fileName.
std::string dataFile(const std::string& programFolder, const std::string& fileName);

}  // namespace tarvo

// The audio files a command line names.
#pragma once

#include <string>
#include <vector>

namespace kalvo5::meter {

// With `recursive`, a folder stands for every file below it that libsndfile
// may read, by extension, and every subfolder it cannot read, in name order
// (a folder without any stays as it is, to be reported). Other paths, and
// every path without `recursive`, stay as they are.
std::vector<std::string> ExpandFolders(const std::vector<std::string>& paths, bool recursive);

}  // namespace kalvo5::meter

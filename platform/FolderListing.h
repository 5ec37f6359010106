// Listing the entries of a folder.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The names in a folder sorted with the C library's collation; empty when the
// folder cannot be listed. Whether "." and ".." are among them is up to the
// system.
std::vector<std::string> SortedFolderEntries(const std::string& folder);

// Whether a regular file exists at the path (following links).
bool IsRegularFile(const std::string& path);

}  // namespace platform

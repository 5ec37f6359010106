// Listing the entries of a folder.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The names in a folder sorted with the C library's collation; empty when the
// folder cannot be listed. Whether "." and ".." are among them is up to the
// system.
std::vector<std::string> SortedFolderEntries(const std::string& folder);

// The names of the regular files in a folder (links followed), sorted the
// same way; empty when the folder cannot be listed. Only links and entries
// of a file system that does not tell their type cost a look-up.
std::vector<std::string> SortedRegularFiles(const std::string& folder);

// Whether a regular file exists at the path (following links).
bool IsRegularFile(const std::string& path);

// What tells whether a folder's list of entries changed: the folder's
// identity and modification time, which every added, removed or renamed
// entry moves (a file rewritten in place does not).
struct FolderStamp {
  unsigned long long device = 0;
  unsigned long long inode = 0;
  long long seconds = 0;  // modification time
  long nanoseconds = 0;
  bool operator==(const FolderStamp&) const = default;
};

// The folder's stamp; false when it is not a folder.
bool StampFolder(const std::string& folder, FolderStamp& stamp);

// Whether the stamp's modification time lies within `seconds` of the system
// clock's present (or after it). Timestamps are coarse on some file
// systems: a change made within the same tick as an earlier one may leave
// the time where it was, so a list read that recently may be outdated.
bool ChangedWithin(const FolderStamp& stamp, double seconds);

}  // namespace platform

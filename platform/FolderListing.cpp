#include "platform/FolderListing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <memory>

#include "platform/Paths.h"

namespace platform {

namespace {

template <class Keep>
std::vector<std::string> SortedNames(const std::string& folder, Keep keep) {
  std::vector<std::string> names;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get()))
    if (keep(*entry)) names.emplace_back(entry->d_name);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return std::strcoll(a.c_str(), b.c_str()) < 0;
  });
  return names;
}

}  // namespace

std::vector<std::string> SortedFolderEntries(const std::string& folder) {
  return SortedNames(folder, [](const dirent&) { return true; });
}

std::vector<std::string> SortedRegularFiles(const std::string& folder) {
  return SortedNames(folder, [&folder](const dirent& entry) {
    if (entry.d_type == DT_REG) return true;
    return (entry.d_type == DT_LNK || entry.d_type == DT_UNKNOWN) &&
           IsRegularFile(JoinPath(folder, entry.d_name));
  });
}

bool IsRegularFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool StampFolder(const std::string& folder, FolderStamp& stamp) {
  struct stat status {};
  if (::stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return false;
  stamp.device = status.st_dev;
  stamp.inode = status.st_ino;
  stamp.seconds = status.st_mtim.tv_sec;
  stamp.nanoseconds = status.st_mtim.tv_nsec;
  return true;
}

bool ChangedWithin(const FolderStamp& stamp, double seconds) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const double age = static_cast<double>(now.tv_sec - stamp.seconds) +
                     static_cast<double>(now.tv_nsec - stamp.nanoseconds) * 1e-9;
  return age < seconds;
}

}  // namespace platform

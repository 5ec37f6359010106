#include "platform/DataFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/Paths.h"

namespace platform {

namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
      found->pw_dir[0] == '/')
    return found->pw_dir;
  return {};
}

// Where the data folder lies, and the existing folder the user named that
// it may be created inside.
struct DataHome {
  std::string base;
  std::string anchor;
};

DataHome FindDataHome() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return {xdg, FolderOf(xdg)};
  const std::string home = HomeFolder();
  if (home.empty()) return {};
  return {JoinPath(home, ".local/share"), home};
}

}  // namespace

std::string LocalAppDataFolder() { return FindDataHome().base; }

std::string EnsureLocalAppDataFolder() {
  const DataHome home = FindDataHome();
  return !home.base.empty() && EnsureFolderChainInside(home.anchor, home.base) ? home.base : std::string();
}

bool IsFolder(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool EnsureFolder(const std::string& path) {
  if (path.empty()) return false;
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) mkdir(path.c_str(), 0755);
  return IsFolder(path);
}

bool EnsureFolderChainInside(const std::string& anchor, const std::string& path) {
  std::string root = anchor;
  while (!root.empty() && root.back() == '/') root.pop_back();
  if (!IsFolder(root.empty() ? "/" : root) || path.size() <= root.size() + 1 ||
      path.compare(0, root.size(), root) != 0 || path[root.size()] != '/')
    return false;
  for (std::size_t at = path.find('/', root.size() + 1);; at = path.find('/', at + 1)) {
    const std::string prefix = path.substr(0, at);
    if (!IsFolder(prefix)) mkdir(prefix.c_str(), 0700);
    if (at == std::string::npos) break;
  }
  return IsFolder(path);
}

}  // namespace platform

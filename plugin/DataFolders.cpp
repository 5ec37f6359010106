#include "DataFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace kalvo5 {

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

bool IsFolder(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Creates the missing folders of an application-data base path (on a fresh
// account ~/.local/share may not exist yet), private to the user.
void EnsureBaseFolder(const std::string& path) {
  for (std::size_t at = path.find('/', 1);; at = path.find('/', at + 1)) {
    const std::string prefix = path.substr(0, at);
    if (!IsFolder(prefix)) mkdir(prefix.c_str(), 0700);
    if (at == std::string::npos) break;
  }
}

}  // namespace

std::string LocalAppDataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : JoinPath(home, ".local/share");
}

bool EnsureFolder(const std::string& path) {
  if (path.empty()) return false;
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) mkdir(path.c_str(), 0755);
  return IsFolder(path);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

void IMPlugPaths::InitPaths(const char* productName) {
  mDataFolder.clear();
  mPresetFolder.clear();
  const std::string base = LocalAppDataFolder();
  if (base.empty()) return;
  EnsureBaseFolder(base);
  mDataFolder = JoinPath(base, productName);
  EnsureFolder(mDataFolder);
  mPresetFolder = JoinPath(mDataFolder, "VST2");
  EnsureFolder(mPresetFolder);
}

}  // namespace kalvo5

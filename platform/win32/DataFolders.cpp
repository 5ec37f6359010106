// The local application data folder from the shell, and folder creation.
#include "platform/DataFolders.h"

#include <windows.h>
// After windows.h: the shell's headers need its types.
#include <knownfolders.h>
#include <shlobj.h>

#include "platform/TextEncoding.h"

namespace platform {

namespace {

std::wstring KnownLocalAppData() {
  PWSTR path = nullptr;
  std::wstring folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path)) && path) folder = path;
  CoTaskMemFree(path);
  return folder;
}

// The older query, for a system whose known-folder call fails.
std::wstring LegacyLocalAppData() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

DWORD Attributes(const std::string& path) {
  return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(Utf8ToSystemPath(path).c_str());
}

}  // namespace

std::string LocalAppDataFolder() {
  std::wstring folder = KnownLocalAppData();
  if (folder.empty()) folder = LegacyLocalAppData();
  return SystemPathToUtf8(folder);
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool EnsureFolder(const std::string& path) {
  if (path.empty()) return false;
  if (Attributes(path) == INVALID_FILE_ATTRIBUTES) CreateDirectoryW(Utf8ToSystemPath(path).c_str(), nullptr);
  return IsFolder(path);
}

std::string EnsureLocalAppDataFolder() {
  // The shell makes the folder with the user's profile: nothing to create.
  const std::string folder = LocalAppDataFolder();
  return IsFolder(folder) ? folder : std::string();
}

bool EnsureFolderChainInside(const std::string& anchor, const std::string& path) {
  std::string root = anchor;
  while (!root.empty() && (root.back() == '/' || root.back() == '\\')) root.pop_back();
  const auto separator = [](char c) { return c == '/' || c == '\\'; };
  if (root.empty() || !IsFolder(root) || path.size() <= root.size() + 1 ||
      path.compare(0, root.size(), root) != 0 || !separator(path[root.size()]))
    return false;
  for (std::size_t at = path.find_first_of("/\\", root.size() + 1);; at = path.find_first_of("/\\", at + 1)) {
    EnsureFolder(path.substr(0, at));
    if (at == std::string::npos) break;
  }
  return IsFolder(path);
}

}  // namespace platform

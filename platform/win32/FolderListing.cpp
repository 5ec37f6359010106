// Folder entries through FindFirstFileW, names as UTF-8.
#include "platform/FolderListing.h"

#include <windows.h>

#include <algorithm>

#include "platform/TextEncoding.h"

namespace platform {

std::vector<std::string> SortedFolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  if (folder.empty()) return names;
  SystemPath pattern = Utf8ToSystemPath(folder);
  if (pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW entry{};
  const HANDLE search =
      FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(SystemPathToUtf8(entry.cFileName));
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  // Byte order of the UTF-8 names: the order of the C locale on Linux.
  std::sort(names.begin(), names.end());
  return names;
}

bool IsRegularFile(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(Utf8ToSystemPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

}  // namespace platform

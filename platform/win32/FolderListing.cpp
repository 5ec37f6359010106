// Folder entries through FindFirstFileW, names as UTF-8; folder stamps from
// the volume, the file index and the last write time.
#include "platform/FolderListing.h"

#include <windows.h>

#include <algorithm>
#include <functional>

#include "platform/Paths.h"
#include "platform/TextEncoding.h"

namespace platform {

namespace {

// The names of the entries `keep` takes, in byte order of their UTF-8 (the
// order of the C locale on Linux).
std::vector<std::string> SortedNames(const std::string& folder,
                                     const std::function<bool(const WIN32_FIND_DATAW&)>& keep) {
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
    if (keep(entry)) names.push_back(SystemPathToUtf8(entry.cFileName));
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// 100-nanosecond ticks since 1601 to seconds and nanoseconds since 1970.
void SplitFileTime(const FILETIME& time, long long& seconds, long& nanoseconds) {
  constexpr unsigned long long kTicksFrom1601To1970 = 116444736000000000ull;
  const unsigned long long ticks =
      (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  const long long since1970 = static_cast<long long>(ticks - kTicksFrom1601To1970);
  seconds = since1970 / 10000000;
  nanoseconds = static_cast<long>((since1970 % 10000000) * 100);
}

}  // namespace

std::vector<std::string> SortedFolderEntries(const std::string& folder) {
  return SortedNames(folder, [](const WIN32_FIND_DATAW&) { return true; });
}

std::vector<std::string> SortedRegularFiles(const std::string& folder) {
  return SortedNames(folder, [&folder](const WIN32_FIND_DATAW& entry) {
    if (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return false;
    // A link counts as what it leads to.
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 ||
           IsRegularFile(JoinPath(folder, SystemPathToUtf8(entry.cFileName)));
  });
}

bool IsRegularFile(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(Utf8ToSystemPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

bool StampFolder(const std::string& folder, FolderStamp& stamp) {
  if (folder.empty()) return false;
  const HANDLE handle =
      CreateFileW(Utf8ToSystemPath(folder).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  if (!known || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
  stamp.device = info.dwVolumeSerialNumber;
  stamp.inode = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  SplitFileTime(info.ftLastWriteTime, stamp.seconds, stamp.nanoseconds);
  return true;
}

bool ChangedWithin(const FolderStamp& stamp, double seconds) {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  long long nowSeconds = 0;
  long nowNanoseconds = 0;
  SplitFileTime(now, nowSeconds, nowNanoseconds);
  const double age = static_cast<double>(nowSeconds - stamp.seconds) +
                     static_cast<double>(nowNanoseconds - stamp.nanoseconds) * 1e-9;
  return age < seconds;
}

}  // namespace platform

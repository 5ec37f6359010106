#include "tools/FileList.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>

#include "platform/TextEncoding.h"

namespace kalvo5::meter {

std::vector<std::string> ExpandFolders(const std::vector<std::string>& paths, bool recursive) {
  static const std::set<std::string> kAudio = {".wav",  ".wave", ".aif", ".aiff", ".aifc",
                                               ".flac", ".ogg",  ".oga", ".opus", ".w64",
                                               ".caf",  ".rf64", ".au",  ".snd",  ".mp3"};
  std::vector<std::string> files;
  for (const auto& path : paths) {
    std::error_code ec;
    const std::filesystem::path folder = platform::Utf8ToFsPath(path);
    if (!recursive || path == "-" || !std::filesystem::is_directory(folder, ec)) {
      files.push_back(path);
      continue;
    }
    std::vector<std::string> found;
    const auto walk = std::filesystem::recursive_directory_iterator(
        folder, std::filesystem::directory_options::skip_permission_denied, ec);
    for (auto it = walk; !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (!it->is_regular_file(ec)) continue;
      std::string extension = it->path().extension().string();
      for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (kAudio.count(extension)) found.push_back(platform::FsPathToUtf8(it->path()));
    }
    std::sort(found.begin(), found.end());
    if (found.empty()) found.push_back(path);  // reported as a folder, not silently skipped
    files.insert(files.end(), found.begin(), found.end());
  }
  return files;
}

}  // namespace kalvo5::meter

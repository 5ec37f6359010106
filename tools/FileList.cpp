#include "tools/FileList.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>

#include "platform/TextEncoding.h"

namespace kalvo5::meter {
namespace {

namespace fs = std::filesystem;

bool HasAudioExtension(const fs::path& path) {
  static const std::set<std::string> kAudio = {".wav",  ".wave", ".aif", ".aiff", ".aifc",
                                               ".flac", ".ogg",  ".oga", ".opus", ".w64",
                                               ".caf",  ".rf64", ".au",  ".snd",  ".mp3"};
  std::string extension = platform::FsPathToUtf8(path.extension());
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return kAudio.count(extension) > 0;
}

// Everything below `folder` that names audio by its extension, and every
// folder that could not be read: each is measured or refused by name, so
// nothing is left out silently (a named pipe called .wav is refused, not
// skipped). Links to folders are not followed.
void Walk(const fs::path& folder, std::vector<std::string>& found) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) {
    found.push_back(platform::FsPathToUtf8(folder));
    return;
  }
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code typeError;
    if (it->is_directory(typeError) && !it->is_symlink(typeError)) {
      Walk(it->path(), found);
    } else if (!it->is_directory(typeError) && HasAudioExtension(it->path())) {
      found.push_back(platform::FsPathToUtf8(it->path()));
    }
  }
  // A folder whose listing broke off is refused as well.
  if (ec) found.push_back(platform::FsPathToUtf8(folder));
}

}  // namespace

std::vector<std::string> ExpandFolders(const std::vector<std::string>& paths, bool recursive) {
  std::vector<std::string> files;
  for (const auto& path : paths) {
    std::error_code ec;
    const fs::path folder = platform::Utf8ToFsPath(path);
    if (!recursive || path == "-" || !fs::is_directory(folder, ec)) {
      files.push_back(path);
      continue;
    }
    std::vector<std::string> found;
    Walk(folder, found);
    std::sort(found.begin(), found.end());
    if (found.empty()) found.push_back(path);  // reported as a folder, not silently skipped
    files.insert(files.end(), found.begin(), found.end());
  }
  return files;
}

}  // namespace kalvo5::meter

#include "platform/Paths.h"

namespace platform {

namespace {

constexpr std::string_view kSeparators = "/\\";

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string FileNameOf(std::string_view path) {
  const std::size_t last = path.find_last_of(kSeparators);
  return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

std::string FolderOf(std::string_view path) {
  const std::size_t last = path.find_last_of(kSeparators);
  if (last == std::string_view::npos) return {};
  return std::string(last == 0 ? path.substr(0, 1) : path.substr(0, last));
}

}  // namespace platform

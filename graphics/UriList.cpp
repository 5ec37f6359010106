#include "UriList.h"

namespace graphics {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

bool PercentDecode(std::string_view encoded, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] != '%') {
      out += encoded[i];
      continue;
    }
    if (i + 2 >= encoded.size()) return false;
    const int high = HexValue(encoded[i + 1]), low = HexValue(encoded[i + 2]);
    if (high < 0 || low < 0) return false;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out.find('\0') == std::string::npos;
}

// The path of one file address; false when it is not a local file.
bool LocalPath(std::string_view uri, std::string_view hostName, std::string& path) {
  if (!StartsWithIgnoringCase(uri, "file:")) return false;
  std::string_view rest = uri.substr(5);
  if (rest.substr(0, 2) == "//") {
    rest.remove_prefix(2);
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return false;
    const std::string_view host = rest.substr(0, slash);
    if (!host.empty() && host != "localhost" && host != hostName) return false;
    rest.remove_prefix(slash);
  }
  return !rest.empty() && rest[0] == '/' && PercentDecode(rest, path);
}

}  // namespace

std::vector<std::string> FilePathsFromUriList(std::string_view list, std::string_view hostName) {
  std::vector<std::string> paths;
  while (!list.empty()) {
    const std::size_t end = list.find('\n');
    std::string_view line = list.substr(0, end);
    list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line.empty() || line[0] == '#') continue;
    std::string path;
    if (LocalPath(line, hostName, path)) paths.push_back(path);
  }
  return paths;
}

}  // namespace graphics

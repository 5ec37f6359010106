#include "editor/menus/PluginMenuAddresses.h"

#include <cctype>

#include "platform/Paths.h"

namespace kalvo5 {

namespace {

constexpr const char* kMakerSite = "https://www.vantorel.com/";
constexpr const char* kProductStem = "kalvo";
constexpr const char* kProductName = "Kalvo5";
constexpr const char* kManualSuffix = " manual.pdf";

std::string Bounded(std::string address) {
  return address.size() <= kMaxMenuAddressLength ? address : std::string();
}

}  // namespace

std::string ChangeLogAddress() {
  return Bounded(std::string(kMakerSite) + "products/" + kProductStem + "#Changelog");
}

// The path as an address's path: every byte but letters, digits, "-._~"
// and "/" written as %XX, so a space or "#" in a folder name stays part of
// the path.
std::string EscapedPath(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0f];
    }
  }
  return out;
}

std::string FileAddress(const std::string& path) {
  if (path.empty()) return {};
  // An absolute path brings its own leading "/": file:///home/...
  return Bounded(std::string("file://") + (path.front() == '/' ? "" : "/") + EscapedPath(path));
}

std::string ManualAddress(const std::string& dataFolder) {
  if (dataFolder.empty()) return {};
  return FileAddress(platform::JoinPath(dataFolder, std::string(kProductName) + kManualSuffix));
}

std::string DataFolderAddress(const std::string& dataFolder) { return FileAddress(dataFolder); }

PluginMenuAddresses MakePluginMenuAddresses(const std::string& dataFolder) {
  return {ChangeLogAddress(), ManualAddress(dataFolder), DataFolderAddress(dataFolder)};
}

}  // namespace kalvo5

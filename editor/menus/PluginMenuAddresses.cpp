#include "editor/menus/PluginMenuAddresses.h"

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

std::string FileAddress(const std::string& path) {
  if (path.empty()) return {};
  // An absolute path brings its own leading "/": file:///home/...
  return Bounded(std::string("file://") + (path.front() == '/' ? "" : "/") + path);
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

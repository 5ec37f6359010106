#include "tools/PluginSearch.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace kalvo5::meter {
namespace {

namespace fs = std::filesystem;

void AppendSearchPath(std::vector<std::string>& out, const char* variable) {
  const char* value = std::getenv(variable);
  if (value == nullptr) return;
  std::stringstream list(value);
  std::string folder;
  while (std::getline(list, folder, ':')) {
    if (!folder.empty()) out.push_back((fs::path(folder) / kPluginFile).string());
  }
}

}  // namespace

std::vector<std::string> DefaultPluginCandidates() {
  std::vector<std::string> out;
  if (const char* explicitPath = std::getenv("KALVO5_PLUGIN"); explicitPath != nullptr && *explicitPath) {
    out.emplace_back(explicitPath);
    return out;
  }
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const fs::path dir = self.parent_path();
    out.push_back((dir / kPluginFile).string());
    out.push_back((dir.parent_path() / kPluginFile).string());
    out.push_back((dir.parent_path() / "plugin" / kPluginFile).string());
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home) {
    out.push_back((fs::path(home) / ".vst" / kPluginFile).string());
  }
  AppendSearchPath(out, "VST_PATH");
  AppendSearchPath(out, "LXVST_PATH");
  out.push_back(std::string("/usr/local/lib/vst/") + kPluginFile);
  out.push_back(std::string("/usr/lib/vst/") + kPluginFile);
  return out;
}

std::string FindDefaultPlugin(std::vector<std::string>& searched) {
  searched = DefaultPluginCandidates();
  std::error_code ec;
  for (const auto& candidate : searched) {
    if (fs::is_regular_file(candidate, ec)) return candidate;
  }
  return {};
}

}  // namespace kalvo5::meter

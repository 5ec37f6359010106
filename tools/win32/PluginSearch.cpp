#include "tools/PluginSearch.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>

#include "platform/TextEncoding.h"

namespace kalvo5::meter {
namespace {

namespace fs = std::filesystem;

std::string Join(const fs::path& folder, const char* name) {
  return platform::SystemPathToUtf8((folder / name).wstring());
}

fs::path EnvironmentFolder(const wchar_t* variable) {
  const wchar_t* value = _wgetenv(variable);
  return value && *value ? fs::path(value) : fs::path();
}

}  // namespace

// In order: %KALVO5_PLUGIN% alone when set; else beside the running program
// and one folder up (a build tree), ..\plugin\, the VSTPlugins folders of
// Program Files, and each folder of %VST_PATH%.
std::vector<std::string> DefaultPluginCandidates() {
  std::vector<std::string> out;
  if (const char* explicitPath = std::getenv("KALVO5_PLUGIN"); explicitPath && *explicitPath) {
    out.emplace_back(explicitPath);
    return out;
  }
  std::wstring self(MAX_PATH, L'\0');
  DWORD length = 0;
  while ((length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()))) == self.size())
    self.resize(self.size() * 2);
  if (length > 0) {
    self.resize(length);
    const fs::path dir = fs::path(self).parent_path();
    out.push_back(Join(dir, kPluginFile));
    out.push_back(Join(dir.parent_path(), kPluginFile));
    out.push_back(Join(dir.parent_path() / "plugin", kPluginFile));
  }
  for (const wchar_t* programs : {L"ProgramFiles", L"ProgramFiles(x86)"}) {
    const fs::path folder = EnvironmentFolder(programs);
    if (!folder.empty()) out.push_back(Join(folder / "VSTPlugins", kPluginFile));
  }
  const fs::path list = EnvironmentFolder(L"VST_PATH");
  std::wstring entries = list.wstring();
  for (std::size_t start = 0; start < entries.size();) {
    std::size_t end = entries.find(L';', start);
    if (end == std::wstring::npos) end = entries.size();
    if (end > start) out.push_back(Join(fs::path(entries.substr(start, end - start)), kPluginFile));
    start = end + 1;
  }
  return out;
}

std::string FindDefaultPlugin(std::vector<std::string>& searched) {
  searched = DefaultPluginCandidates();
  std::error_code ec;
  for (const auto& candidate : searched)
    if (fs::is_regular_file(fs::u8path(candidate), ec)) return candidate;
  return {};
}

}  // namespace kalvo5::meter

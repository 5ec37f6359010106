#include "plugin/PresetFolderScan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "framework/iplug/TextCopy.h"
#include "plugin/CodePage.h"
#include "plugin/DataFolders.h"

namespace kalvo5 {

namespace {

bool IsRegularFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

bool IsPresetFileName(std::string_view name) {
  if (name.size() < 4) return false;
  for (std::size_t dot = name.find('.'); dot != std::string_view::npos && dot + 3 < name.size();
       dot = name.find('.', dot + 1))
    if (name.substr(dot, 4) == ".vrs") return true;
  return false;
}

std::vector<std::string> SortedFolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get())) names.emplace_back(entry->d_name);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return std::strcoll(a.c_str(), b.c_str()) < 0;
  });
  return names;
}

void RescanUserPresets(iplug::IPluginBase& plugin, const IXMLPreset& files, const IXMLParameters& xml,
                       PresetStore& store, const std::string& folder) {
  store.ClearUser();
  // A listing may or may not include "." and ".."; they are folders and fall
  // out below, so a folder holding a single preset file still yields it.
  for (const std::string& name : SortedFolderEntries(folder)) {
    const std::string path = JoinPath(folder, CodePageToUtf8(name));
    if (!IsPresetFileName(name) || !IsRegularFile(path)) continue;
    std::vector<double> values(static_cast<std::size_t>(plugin.NParams()), kNotGivenMarker);
    std::string presetName;
    if (!files.LoadPresetXML2ParamArray(plugin, path, values, presetName)) continue;
    iplug::PresetEntry& entry = store.AddUser();
    entry.initialized = true;
    iplug::CopyText(entry.name, CodePageToUtf8(presetName).c_str());
    StorePresetValues(plugin, xml, values, entry);
  }
}

}  // namespace kalvo5

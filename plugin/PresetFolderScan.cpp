#include "plugin/PresetFolderScan.h"

#include "framework/iplug/TextCopy.h"
#include "platform/FolderListing.h"
#include "platform/TextEncoding.h"
#include "plugin/DataFolders.h"

namespace kalvo5 {

bool IsPresetFileName(std::string_view name) {
  if (name.size() < 4) return false;
  for (std::size_t dot = name.find('.'); dot != std::string_view::npos && dot + 3 < name.size();
       dot = name.find('.', dot + 1))
    if (name.substr(dot, 4) == ".vrs") return true;
  return false;
}

void RescanUserPresets(iplug::IPluginBase& plugin, const IXMLPreset& files, const IXMLParameters& xml,
                       PresetStore& store, const std::string& folder) {
  store.ClearUser();
  // A listing may or may not include "." and ".."; they are folders and fall
  // out below, so a folder holding a single preset file still yields it.
  for (const std::string& name : platform::SortedFolderEntries(folder)) {
    const std::string path = JoinPath(folder, platform::CodePageToUtf8(name));
    if (!IsPresetFileName(name) || !platform::IsRegularFile(path)) continue;
    std::vector<double> values(static_cast<std::size_t>(plugin.NParams()), kNotGivenMarker);
    std::string presetName;
    if (!files.LoadPresetXML2ParamArray(plugin, path, values, presetName)) continue;
    iplug::PresetEntry& entry = store.AddUser();
    entry.initialized = true;
    iplug::CopyText(entry.name, platform::CodePageToUtf8(presetName).c_str());
    StorePresetValues(plugin, xml, values, entry);
  }
}

}  // namespace kalvo5

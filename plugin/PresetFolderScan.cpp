#include "plugin/PresetFolderScan.h"

#include "platform/FolderListing.h"
#include "platform/TextEncoding.h"
#include "plugin/DataFolders.h"
#include "plugin/PresetNameReader.h"

namespace kalvo5 {

bool IsPresetFileName(std::string_view name) {
  if (name.size() < 4) return false;
  for (std::size_t dot = name.find('.'); dot != std::string_view::npos && dot + 3 < name.size();
       dot = name.find('.', dot + 1))
    if (name.substr(dot, 4) == ".vrs") return true;
  return false;
}

std::vector<UserPresetFile> ListUserPresetFiles(const std::string& folder, const PresetTreeIdentity& identity,
                                                const std::atomic<bool>& cancel) {
  std::vector<UserPresetFile> found;
  // Whether a listing includes "." and ".." does not matter: they are
  // folders, so a folder holding a single preset file still yields it.
  for (const std::string& name : platform::SortedRegularFiles(folder)) {
    if (cancel.load(std::memory_order_relaxed)) break;
    if (!IsPresetFileName(name)) continue;
    UserPresetFile file{{}, JoinPath(folder, platform::CodePageToUtf8(name))};
    if (!ReadPresetFileName(file.path, identity, file.name)) continue;
    file.name = platform::CodePageToUtf8(file.name);
    found.push_back(std::move(file));
  }
  return found;
}

bool CompleteUserPreset(iplug::IPluginBase& plugin, const IXMLPreset& files, const IXMLParameters& xml,
                        PresetStore& store, int index) {
  iplug::PresetEntry* entry = store.MutableUser(index);
  if (!entry) return false;
  std::vector<double> values(static_cast<std::size_t>(plugin.NParams()), kNotGivenMarker);
  std::string presetName;
  if (!files.LoadPresetXML2ParamArray(plugin, store.UserPath(index), values, presetName)) return false;
  StorePresetValues(plugin, xml, values, *entry);
  return true;
}

}  // namespace kalvo5

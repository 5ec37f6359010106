#include "plugin/PresetStore.h"

namespace kalvo5 {

void StorePresetValues(iplug::IPluginBase& plugin, const IXMLParameters& xml, std::span<double> values,
                       iplug::PresetEntry& entry) {
  for (int i = 0; i < plugin.NParams() && static_cast<std::size_t>(i) < values.size(); ++i) {
    double& value = values[static_cast<std::size_t>(i)];
    if (value == kNotGivenMarker) value = plugin.GetParam(i)->GetDefault();
  }
  entry.chunk.Clear();
  xml.WritePresetState(plugin, values, entry.chunk, entry.name);
}

void ApplyStoredPreset(iplug::IPlugAPIBase& plugin, PresetStore& store, const iplug::PresetEntry& entry) {
  store.mMenuRecall = true;
  plugin.CopyPresetInto(entry, 0);
  plugin.LoadPreset(0);
  plugin.NotifyHostDisplayChanged();
  store.mMenuRecall = false;
}

}  // namespace kalvo5

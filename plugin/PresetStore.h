// The plug-in's own store of complete presets: the factory presets, the user
// presets found in the data folder, and the Init entry. The host sees one
// preset slot; a stored preset is applied by copying it into that slot.
// Main thread.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "framework/iplug/IPlugAPIBase.h"
#include "framework/iplug/PresetEntry.h"
#include "plugin/IXMLParameters.h"

namespace kalvo5 {

// Stands for "no value given" while a preset is built from a partial list;
// no real setting uses it.
inline constexpr double kNotGivenMarker = 9.999e-8;

class PresetStore {
 public:
  iplug::PresetEntry& AddFactory() { return Add(mFactory); }
  iplug::PresetEntry& AddUser() { return Add(mUser); }
  void ClearUser() { mUser.clear(); }

  int NFactory() const { return static_cast<int>(mFactory.size()); }
  int NUser() const { return static_cast<int>(mUser.size()); }
  // Null outside the list.
  const iplug::PresetEntry* Factory(int index) const { return At(mFactory, index); }
  const iplug::PresetEntry* User(int index) const { return At(mUser, index); }

  iplug::PresetEntry& Init() { return mInit; }
  const iplug::PresetEntry& Init() const { return mInit; }

  // Set while the preset menu applies a stored preset: the restore then
  // changes only the named parameters.
  bool mMenuRecall = false;

 private:
  using EntryList = std::vector<std::unique_ptr<iplug::PresetEntry>>;
  static iplug::PresetEntry& Add(EntryList& list) {
    return *list.emplace_back(std::make_unique<iplug::PresetEntry>());
  }
  static const iplug::PresetEntry* At(const EntryList& list, int index) {
    return index >= 0 && index < static_cast<int>(list.size()) ? list[static_cast<std::size_t>(index)].get()
                                                               : nullptr;
  }

  EntryList mFactory;
  EntryList mUser;
  iplug::PresetEntry mInit;
};

// Completes an entry from values (NParams of them): every value still at the
// not-given marker becomes its parameter's default, then the entry's state
// becomes a state block of the values under the entry's name.
void StorePresetValues(iplug::IPluginBase& plugin, const IXMLParameters& xml, std::span<double> values,
                       iplug::PresetEntry& entry);

// Applies a stored entry the way the preset menu does: copied into slot 0 and
// restored from there with only the named parameters changing; the host is
// told to refresh its preset display.
void ApplyStoredPreset(iplug::IPlugAPIBase& plugin, PresetStore& store, const iplug::PresetEntry& entry);

}  // namespace kalvo5

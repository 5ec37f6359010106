// The plug-in's own store of complete presets: the factory presets, the user
// presets found in the data folder, and the Init entry. The host sees one
// preset slot; a stored preset is applied by copying it into that slot.
// Main thread.
#pragma once

#include <memory>
#include <span>
#include <string_view>
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

  // Every stored preset by position: the factory list followed by the user
  // list. Null outside.
  int NStored() const { return NFactory() + NUser(); }
  const iplug::PresetEntry* Stored(int position) const;
  // The first position holding a preset of that name; -1 when none does.
  int Find(std::string_view name) const;
  // Where the plug-in's current preset, named `currentName`, stands among
  // the stored presets: the one applied last while it still has that name
  // (names may repeat), else the first of that name. A current preset that
  // is not stored (a file's, the Init entry's) leaves the position at the
  // one applied last; 0 before any.
  int CurrentPosition(std::string_view currentName) const;
  // Remembers the entry, when it is a stored one, as the one applied last.
  void NoteApplied(const iplug::PresetEntry& entry);

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
  int mLastApplied = 0;
};

// Completes an entry from values (NParams of them): every value still at the
// not-given marker becomes its parameter's default, then the entry's state
// becomes a state block of the values under the entry's name.
void StorePresetValues(iplug::IPluginBase& plugin, const IXMLParameters& xml, std::span<double> values,
                       iplug::PresetEntry& entry);

// Applies a stored entry the way the preset menu does: copied into slot 0 and
// restored from there with only the named parameters changing; the host is
// told to refresh its preset display, and the store remembers the entry.
void ApplyStoredPreset(iplug::IPlugAPIBase& plugin, PresetStore& store, const iplug::PresetEntry& entry);

}  // namespace kalvo5

// The plug-in's own store of complete presets: the factory presets, the user
// presets found in the data folder, and the Init entry. The host sees one
// preset slot; a stored preset is applied by copying it into that slot.
// GUI thread.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "framework/iplug/IPlugAPIBase.h"
#include "framework/iplug/PresetEntry.h"
#include "plugin/IXMLParameters.h"
#include "plugin/UserPresetFolder.h"

namespace kalvo5 {

// Stands for "no value given" while a preset is built from a partial list;
// no real setting uses it.
inline constexpr double kNotGivenMarker = 9.999e-8;

class PresetStore {
 public:
  iplug::PresetEntry& AddFactory() { return *mFactory.emplace_back(std::make_unique<iplug::PresetEntry>()); }

  // The user list: the preset files of the data folder by name and path. An
  // entry's state is read from its file when it is applied
  // (CompleteUserPreset).
  // Starts reading `folder` anew when it changed since the list was read
  // (a thread of our own reads it); takes a finished read first.
  void RefreshUser(const std::string& folder, const PresetTreeIdentity& identity);
  // From a refresh that started a read until its list has been taken.
  bool ReadingUser() const { return mUserFolder.Reading(); }
  // Makes a finished read the user list; false while there is none. Never
  // blocks.
  bool CollectUser();
  void ClearUser() { mUser.clear(); }

  int NFactory() const { return static_cast<int>(mFactory.size()); }
  int NUser() const { return static_cast<int>(mUser.size()); }
  // Null outside the list.
  const iplug::PresetEntry* Factory(int index) const { return At(mFactory, index); }
  const iplug::PresetEntry* User(int index) const;
  iplug::PresetEntry* MutableUser(int index);
  // The file of user entry `index`; empty outside the list.
  std::string UserPath(int index) const;

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
  struct UserEntry {
    iplug::PresetEntry entry;
    std::string path;
  };
  template <class Item>
  using List = std::vector<std::unique_ptr<Item>>;

  // Null outside the list.
  template <class Item>
  static Item* At(const List<Item>& list, int index) {
    return index >= 0 && index < static_cast<int>(list.size()) ? list[static_cast<std::size_t>(index)].get()
                                                               : nullptr;
  }
  UserEntry* UserAt(int index) const { return At(mUser, index); }

  List<iplug::PresetEntry> mFactory;
  List<UserEntry> mUser;
  UserPresetFolder mUserFolder;
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

#include "plugin/PresetStore.h"

#include <algorithm>

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

void PresetStore::RefreshUser(const std::string& folder, const PresetTreeIdentity& identity) {
  CollectUser();
  mUserFolder.Refresh(folder, identity);
}

bool PresetStore::CollectUser() {
  std::vector<UserPresetFile> files;
  if (!mUserFolder.TakeList(files)) return false;
  mUser.clear();
  mUser.reserve(files.size());
  for (UserPresetFile& file : files) {
    auto& user = *mUser.emplace_back(std::make_unique<UserEntry>());
    user.entry.initialized = true;
    iplug::CopyText(user.entry.name, file.name.c_str());
    user.path = std::move(file.path);
  }
  return true;
}

const iplug::PresetEntry* PresetStore::User(int index) const {
  const UserEntry* user = UserAt(index);
  return user ? &user->entry : nullptr;
}

iplug::PresetEntry* PresetStore::MutableUser(int index) {
  UserEntry* user = UserAt(index);
  return user ? &user->entry : nullptr;
}

std::string PresetStore::UserPath(int index) const {
  const UserEntry* user = UserAt(index);
  return user ? user->path : std::string();
}

const iplug::PresetEntry* PresetStore::Stored(int position) const {
  return position < NFactory() ? Factory(position) : User(position - NFactory());
}

int PresetStore::Find(std::string_view name) const {
  for (int position = 0; position < NStored(); ++position)
    if (name == Stored(position)->name) return position;
  return -1;
}

int PresetStore::CurrentPosition(std::string_view currentName) const {
  if (NStored() == 0) return 0;
  const int last = std::clamp(mLastApplied, 0, NStored() - 1);
  if (currentName == Stored(last)->name) return last;
  const int found = Find(currentName);
  return found >= 0 ? found : last;
}

void PresetStore::NoteApplied(const iplug::PresetEntry& entry) {
  for (int position = 0; position < NStored(); ++position)
    if (Stored(position) == &entry) mLastApplied = position;
}

void ApplyStoredPreset(iplug::IPlugAPIBase& plugin, PresetStore& store, const iplug::PresetEntry& entry) {
  store.NoteApplied(entry);
  store.mMenuRecall = true;
  plugin.CopyPresetInto(entry, 0);
  plugin.LoadPreset(0);
  plugin.NotifyHostDisplayChanged();
  store.mMenuRecall = false;
}

}  // namespace kalvo5

#include "IPluginBase.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace iplug {

namespace {

constexpr std::size_t kMaxIdentityLength = 128;
constexpr std::size_t kMaxHostProductLength = 255;

std::string Bounded(const char* text, std::size_t maxLength) {
  std::string result(text ? text : "");
  if (result.size() > maxLength) result.resize(maxLength);
  return result;
}

}  // namespace

IPluginBase::IPluginBase(const PluginConfig& config)
    : IEditorDelegate(config.nParams),
      mPluginName(Bounded(config.pluginName, kMaxIdentityLength)),
      mProductName(Bounded(config.productName, kMaxIdentityLength)),
      mVendorName(Bounded(config.vendorName, kMaxIdentityLength)),
      mUniqueId(config.uniqueId),
      mVendorVersion(config.vendorVersion),
      mHasEditor(config.hasEditor),
      mStateChunks(config.stateChunks),
      mPresets(static_cast<std::size_t>(std::max(0, config.nPresets))) {
  SetEditorSize(config.editorWidth, config.editorHeight);
  SetSizeConstraints(config.minWidth, config.maxWidth, config.minHeight, config.maxHeight);
}

void IPluginBase::SetHost(const char* productString, int version) {
  mHostProduct = Bounded(productString, kMaxHostProductLength);
  mHostVersion = version;
  mHostId.store(IdentifyHost(mHostProduct), std::memory_order_release);
}

bool IPluginBase::SerializeParams(ByteChunk& chunk) const {
  for (int i = 0; i < NParams(); ++i) chunk.PutDouble(GetParam(i)->GetValue());
  return !chunk.Empty();
}

int IPluginBase::UnserializeParams(const ByteChunk& chunk, int startPos) {
  int pos = startPos;
  for (int i = 0; i < NParams() && pos >= 0; ++i) {
    double value = 0.0;
    pos = chunk.GetDouble(value, pos);
    // A short chunk leaves the remaining parameters as they are.
    if (pos >= 0) GetParam(i)->SetValue(value);
  }
  NotifyAllParams(ParamSource::PresetRecall);
  return pos;
}

PresetEntry* IPluginBase::GetPreset(int index) {
  return index >= 0 && index < NPresets() ? &mPresets[static_cast<std::size_t>(index)] : nullptr;
}

bool IPluginBase::LoadPreset(int index) {
  PresetEntry* preset = GetPreset(index);
  if (!preset) return false;
  bool restored = false;
  if (!preset->initialized) {
    preset->initialized = true;
    const auto userPresets = std::count_if(mPresets.begin(), mPresets.end(), [](const PresetEntry& entry) {
      return std::strstr(entry.name, "user preset") != nullptr;
    });
    std::snprintf(preset->name, sizeof(preset->name), "%s %d", "user preset",
                  static_cast<int>(userPresets) + 1);
    preset->chunk.Clear();
    restored = WriteState(preset->chunk);
  } else {
    restored = ReadState(preset->chunk, 0) > 0;
  }
  if (restored) {
    mCurrentPresetIdx = index;
    OnPresetsChanged();
    OnStateRestored();
  }
  return restored;
}

void IPluginBase::ModifyCurrentPreset(const char* name) {
  PresetEntry* preset = GetPreset(mCurrentPresetIdx);
  if (!preset) return;
  preset->chunk.Clear();
  WriteState(preset->chunk);
  if (name && name[0] != '\0') CopyText(preset->name, name);
}

void IPluginBase::CopyPresetInto(const PresetEntry& source, int slot) {
  PresetEntry* preset = GetPreset(slot);
  if (!preset || preset == &source) return;
  preset->chunk.Clear();
  preset->chunk.PutChunk(source.chunk);
  preset->initialized = true;
  CopyText(preset->name, source.name);
}

bool IPluginBase::SerializePresets(ByteChunk& chunk) {
  for (PresetEntry& preset : mPresets) {
    chunk.PutCountedString(preset.name);
    chunk.PutByte(preset.initialized ? 1 : 0);
    if (preset.initialized) chunk.PutChunk(preset.chunk);
  }
  return !chunk.Empty();
}

int IPluginBase::UnserializePresets(const ByteChunk& chunk, int startPos) {
  int pos = startPos;
  std::string name;
  for (std::size_t i = 0; i < mPresets.size() && pos >= 0; ++i) {
    PresetEntry& preset = mPresets[i];
    // On a short read the name read for the previous slot stays in `name`.
    pos = chunk.GetCountedString(name, pos);
    CopyText(preset.name, name.c_str());
    std::uint8_t initialized = 0;
    if (pos >= 0) pos = chunk.GetByte(initialized, pos);
    if (pos < 0) break;
    preset.initialized = initialized != 0;
    if (preset.initialized) {
      pos = ReadState(chunk, pos);
      if (pos > 0) {
        // Keep the slot in this plug-in's current state format.
        preset.chunk.Clear();
        WriteState(preset.chunk);
      }
    }
  }
  LoadPreset(mCurrentPresetIdx);
  return pos;
}

void IPluginBase::InitUninitializedPresets() {
  for (PresetEntry& preset : mPresets) {
    if (preset.initialized) continue;
    preset.initialized = true;
    CopyText(preset.name, "Empty");
    preset.chunk.Clear();
    WriteState(preset.chunk);
  }
}

}  // namespace iplug

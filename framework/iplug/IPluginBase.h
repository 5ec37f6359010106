// The plug-in's identity, the host's identity, the preset slots and the hooks
// through which the plug-in class stores and restores its state.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "ByteChunk.h"
#include "HostIdentity.h"
#include "IEditorDelegate.h"
#include "PluginConfig.h"
#include "PresetEntry.h"

namespace iplug {

class IPluginBase : public IEditorDelegate {
 public:
  explicit IPluginBase(const PluginConfig& config);

  // Identity.
  const char* GetPluginName() const { return mPluginName.c_str(); }
  const char* GetProductName() const { return mProductName.c_str(); }
  const char* GetVendorName() const { return mVendorName.c_str(); }
  std::int32_t GetUniqueId() const { return mUniqueId; }
  std::int32_t GetVendorVersion() const { return mVendorVersion; }  // major * 65536 + minor * 256 + revision
  int GetVersionMajor() const { return mVendorVersion >> 16; }
  int GetVersionMinor() const { return (mVendorVersion >> 8) & 0xFF; }
  int GetVersionRevision() const { return mVendorVersion & 0xFF; }
  bool HasEditor() const { return mHasEditor; }
  bool StateChunks() const { return mStateChunks; }

  // Host identity: -1 until SetHost; safe to read from any thread.
  int GetHost() const { return mHostId.load(std::memory_order_acquire); }
  int GetHostVersion() const { return mHostVersion; }
  const char* GetHostProductString() const { return mHostProduct.c_str(); }
  // Stores the host's product string (cut to 255 bytes) and packed version
  // and identifies the host. Main thread, when the host opens the plug-in.
  void SetHost(const char* productString, int version);

  // State hooks. WriteState appends the state; ReadState reads it from
  // startPos and returns the position after it, or a negative value.
  virtual bool WriteState(ByteChunk& chunk) { return SerializeParams(chunk); }
  // The sample rates the plug-in measures correctly, when it limits them.
  virtual bool MeasuredSampleRates(double& /*lowest*/, double& /*highest*/) const { return false; }
  // Why the reading an output parameter carries is no measurement although
  // its display shows a number; empty when it is one.
  virtual std::string NoMeasurementReason(int /*paramIndex*/) const { return {}; }
  virtual int ReadState(const ByteChunk& chunk, int startPos) { return UnserializeParams(chunk, startPos); }
  // A state the host hands over, read in two steps so that the slow part
  // holds up nothing else of the instance: ParseState reads and parses
  // without changing anything (any thread; it may use only the chunk and
  // what the plug-in fixed at construction), ApplyState then applies what it
  // found on the main thread and answers as ReadState does. By default
  // nothing is parsed ahead and ApplyState is ReadState.
  class ParsedState {
   public:
    virtual ~ParsedState() = default;
  };
  virtual std::unique_ptr<ParsedState> ParseState(const ByteChunk& /*chunk*/, int /*startPos*/) const {
    return nullptr;
  }
  virtual int ApplyState(const ByteChunk& chunk, int startPos, ParsedState* parsed) {
    (void)parsed;
    return ReadState(chunk, startPos);
  }
  // Called by the state loaders for every value they read; unchanged by default.
  virtual double ConvertParamValue(const char* /*fileVersion*/, const char* /*currentVersion*/, int /*index*/,
                                   double value) {
    return value;
  }
  // Every parameter's real value as a little-endian double, in index order.
  bool SerializeParams(ByteChunk& chunk) const;
  // Reads them back as far as the chunk goes, then notifies all parameters.
  int UnserializeParams(const ByteChunk& chunk, int startPos);

  // Preset slots.
  int NPresets() const { return static_cast<int>(mPresets.size()); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  PresetEntry* GetPreset(int index);  // null when out of range
  // Restores slot `index` (an uninitialized slot is first filled with the
  // current state under the name "user preset N").
  bool LoadPreset(int index);
  // Stores the current state into the current slot, and the name if given.
  void ModifyCurrentPreset(const char* name = nullptr);
  void CopyPresetInto(const PresetEntry& source, int slot);
  bool SerializePresets(ByteChunk& chunk);
  int UnserializePresets(const ByteChunk& chunk, int startPos);
  // Fills every slot still uninitialized with the current state, named "Empty".
  void InitUninitializedPresets();
  virtual void OnPresetsChanged() {}

 private:
  std::string mPluginName;
  std::string mProductName;
  std::string mVendorName;
  std::int32_t mUniqueId;
  std::int32_t mVendorVersion;
  bool mHasEditor;
  bool mStateChunks;

  std::atomic<int> mHostId{kHostUninit};
  int mHostVersion = 0;
  std::string mHostProduct = "Unknown";

  std::vector<PresetEntry> mPresets;
  int mCurrentPresetIdx = 0;
};

}  // namespace iplug

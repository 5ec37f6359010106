#include "tools/HostContext.h"

#include <cmath>
#include <cstring>
#include <string_view>

namespace kalvo5::meter {
namespace {

using namespace vst2;

// The instance being created on this thread: its effect record does not
// carry the context yet while the entry point runs.
thread_local HostContext* tContextUnderConstruction = nullptr;

void CopyText(void* destination, const char* text, std::size_t capacity) {
  if (destination == nullptr || capacity == 0) return;
  auto* out = static_cast<char*>(destination);
  std::size_t n = std::strlen(text);
  if (n >= capacity) n = capacity - 1;
  std::memcpy(out, text, n);
  out[n] = '\0';
}

VstIntPtr CanDo(const char* query) {
  if (query == nullptr) return kCanDoMaybe;
  const std::string_view q(query);
  if (q == "sendVstTimeInfo" || q == "startStopProcess") return kCanDoYes;
  if (q == "sendVstEvents" || q == "sendVstMidiEvent" || q == "receiveVstEvents" ||
      q == "receiveVstMidiEvent" || q == "sizeWindow" || q == "acceptIOChanges" ||
      q == "reportConnectionChanges" || q == "offline" || q == "openFileSelector" ||
      q == "closeFileSelector" || q == "shellCategory") {
    return kCanDoNo;
  }
  return kCanDoMaybe;
}

}  // namespace

HostContext::HostContext() : hostThread_(std::this_thread::get_id()) {}

VstIntPtr HostContext::Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt) {
  HostContext* context = nullptr;
  if (effect != nullptr && effect->resvd1 != 0) {
    context = reinterpret_cast<HostContext*>(effect->resvd1);
  } else {
    context = tContextUnderConstruction;
  }
  if (context == nullptr) {
    // A plug-in asking before any instance exists only learns the version.
    return opcode == audioMasterVersion ? kVstVersion : 0;
  }
  return context->Answer(opcode, index, value, ptr, opt);
}

AEffect* HostContext::CreateInstance(PluginEntryProc entry) {
  tContextUnderConstruction = this;
  AEffect* effect = nullptr;
  {
    const CallScope scope(*this);
    effect = entry(&HostContext::Callback);
  }
  tContextUnderConstruction = nullptr;
  if (effect != nullptr) effect->resvd1 = reinterpret_cast<VstIntPtr>(this);
  return effect;
}

void HostContext::BeginRender() {
  // Only what the plug-in reports while rendering counts, not the echoes of
  // the settings made before.
  automation_.Clear();
  firstBlock_ = true;
  rendering_ = true;
}

void HostContext::EndRender() { rendering_ = false; }

void HostContext::PrepareBlock(double samplePosition) {
  const double rate = sampleRate_;
  const double tempo = 120.0;
  VstTimeInfo& t = timeInfo_;
  t = VstTimeInfo{};
  t.samplePos = samplePosition;
  t.sampleRate = rate;
  t.tempo = tempo;
  t.ppqPos = samplePosition / rate * tempo / 60.0;
  t.barStartPos = std::floor(t.ppqPos / 4.0) * 4.0;
  t.timeSigNumerator = 4;
  t.timeSigDenominator = 4;
  t.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
  if (firstBlock_) t.flags |= kVstTransportChanged;
  firstBlock_ = false;
}

int HostContext::CallCount(VstInt32 opcode) const {
  if (opcode < 0 || opcode >= static_cast<VstInt32>(calls_.size())) return 0;
  return calls_[static_cast<std::size_t>(opcode)].load();
}

VstIntPtr HostContext::Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  (void)value;
  if (opcode >= 0 && opcode < static_cast<VstInt32>(calls_.size()))
    ++calls_[static_cast<std::size_t>(opcode)];
  const bool onHostThread = std::this_thread::get_id() == hostThread_;
  switch (opcode) {
    case audioMasterAutomate:
      if (onHostThread && callDepth_.load() > 0) {
        automation_.Record(index, opt);
      } else {
        ++strayWrites_;
      }
      return 0;
    case audioMasterVersion:
      return kVstVersion;
    case audioMasterGetTime:
      return reinterpret_cast<VstIntPtr>(&timeInfo_);
    case audioMasterGetSampleRate:
      return static_cast<VstIntPtr>(std::lround(sampleRate_.load()));
    case audioMasterGetBlockSize:
      return blockSize_;
    case audioMasterGetCurrentProcessLevel:
      if (rendering_ && onHostThread) return kVstProcessLevelOffline;
      return kVstProcessLevelUser;
    case audioMasterGetAutomationState:
      return kVstAutomationWrite;
    case audioMasterGetVendorString:
      CopyText(ptr, kHostVendor, kVstMaxVendorStrLen);
      return 1;
    case audioMasterGetProductString:
      CopyText(ptr, kHostProduct, kVstMaxProductStrLen);
      return 1;
    case audioMasterGetVendorVersion:
      return kHostVersion;
    case audioMasterCanDo:
      return CanDo(static_cast<const char*>(ptr));
    case audioMasterGetLanguage:
      return kVstLangEnglish;
    case audioMasterGetDirectory:
      return reinterpret_cast<VstIntPtr>(folder_.c_str());
    case audioMasterUpdateDisplay:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
      return 1;
    default:
      // Among others: audioMasterIOChanged and audioMasterSizeWindow are not
      // honoured, audioMasterProcessEvents is declined (no MIDI here).
      return 0;
  }
}

}  // namespace kalvo5::meter

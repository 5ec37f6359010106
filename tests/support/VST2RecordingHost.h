// A VST 2 host for tests: answers what a plug-in asks through the host
// callback and records every call. Each instance created through Attach
// finds its host through the effect's host field (resvd1); calls made from
// inside the entry point reach the host attaching on that thread.
#pragma once

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "framework/iplug/VSTInterface.h"

namespace vst2test {

class RecordingHost {
 public:
  struct Call {
    vst2::VstInt32 opcode;
    vst2::VstInt32 index;
    vst2::VstIntPtr value;
    float opt;
  };

  // Creates an instance by calling entry(callback) with this host attached.
  template <typename Entry>
  vst2::AEffect* Attach(Entry entry) {
    tAttaching = this;
    vst2::AEffect* effect = entry(&Callback);
    tAttaching = nullptr;
    if (effect) effect->resvd1 = reinterpret_cast<vst2::VstIntPtr>(this);
    return effect;
  }

  static vst2::VstIntPtr Callback(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32 index,
                                  vst2::VstIntPtr value, void* ptr, float opt) {
    RecordingHost* host =
        effect && effect->resvd1 ? reinterpret_cast<RecordingHost*>(effect->resvd1) : tAttaching;
    return host ? host->Answer(effect, opcode, index, value, ptr, opt) : 0;
  }

  int Count(vst2::VstInt32 opcode) const {
    std::lock_guard<std::mutex> lock(mutex);
    int n = 0;
    for (const Call& call : calls) n += call.opcode == opcode ? 1 : 0;
    return n;
  }
  std::vector<Call> CallsOf(vst2::VstInt32 opcode) const {
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<Call> result;
    for (const Call& call : calls)
      if (call.opcode == opcode) result.push_back(call);
    return result;
  }

  // Answers.
  std::string productString = "Test Host";
  vst2::VstIntPtr vendorVersion = 50306;
  vst2::VstIntPtr processLevel = vst2::kVstProcessLevelRealtime;
  bool reportTime = true;
  vst2::VstTimeInfo timeInfo{};
  vst2::VstIntPtr sizeWindowAnswer = 1;
  // Called from inside audioMasterIOChanged, as a host that re-reads the
  // channel layout at once would.
  vst2::VstIntPtr (*onIOChanged)(vst2::AEffect* effect) = nullptr;
  vst2::VstIntPtr ioChangedResult = -1;

  // Records (calls may come from the plug-in's own threads).
  mutable std::mutex mutex;
  std::vector<Call> calls;
  std::vector<vst2::VstMidiEvent> midiEvents;

 private:
  vst2::VstIntPtr Answer(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32 index,
                         vst2::VstIntPtr value, void* ptr, float opt) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      calls.push_back({opcode, index, value, opt});
    }
    switch (opcode) {
      case vst2::audioMasterVersion:
        return vst2::kVstVersion;
      case vst2::audioMasterGetProductString:
        std::strncpy(static_cast<char*>(ptr), productString.c_str(), 255);
        return 1;
      case vst2::audioMasterGetVendorVersion:
        return vendorVersion;
      case vst2::audioMasterGetCurrentProcessLevel:
        return processLevel;
      case vst2::audioMasterGetTime:
        return reportTime ? reinterpret_cast<vst2::VstIntPtr>(&timeInfo) : 0;
      case vst2::audioMasterSizeWindow:
        return sizeWindowAnswer;
      case vst2::audioMasterIOChanged:
        if (onIOChanged) ioChangedResult = onIOChanged(effect);
        return 0;
      case vst2::audioMasterProcessEvents: {
        const auto* events = static_cast<const vst2::VstEvents*>(ptr);
        std::lock_guard<std::mutex> lock(mutex);
        for (int i = 0; i < events->numEvents; ++i)
          midiEvents.push_back(*reinterpret_cast<const vst2::VstMidiEvent*>(events->events[i]));
        return 1;
      }
      default:
        return 0;
    }
  }

  static inline thread_local RecordingHost* tAttaching = nullptr;
};

}  // namespace vst2test

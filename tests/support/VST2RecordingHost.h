// A VST 2 host for tests: answers what a plug-in asks through the host
// callback and records every call. Each instance created through Attach
// finds its host through the effect's host field (resvd1); calls made from
// inside the entry point reach the host attaching on that thread.
#pragma once

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "vst2/VSTInterface.h"

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
  // The record's entry points are then routed through this host, which marks
  // on each thread whether it is inside a call into the plug-in.
  template <typename Entry>
  vst2::AEffect* Attach(Entry entry) {
    tAttaching = this;
    vst2::AEffect* effect = nullptr;
    {
      InsidePlugin inside;
      effect = entry(&Callback);
    }
    tAttaching = nullptr;
    if (effect) {
      effect->resvd1 = reinterpret_cast<vst2::VstIntPtr>(this);
      Wrap(effect);
    }
    return effect;
  }

  static vst2::VstIntPtr Callback(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32 index,
                                  vst2::VstIntPtr value, void* ptr, float opt) {
    RecordingHost* host =
        effect && effect->resvd1 ? reinterpret_cast<RecordingHost*>(effect->resvd1) : tAttaching;
    if (!host) return 0;
    if (tInsidePlugin == 0) host->callsOutsidePluginCalls.fetch_add(1);
    return host->Answer(effect, opcode, index, value, ptr, opt);
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

  // Records (calls may come from several host threads).
  mutable std::mutex mutex;
  std::vector<Call> calls;
  std::vector<vst2::VstMidiEvent> midiEvents;
  // Host callbacks made on a thread that was not inside a call into the
  // plug-in at the time (a thread of the plug-in's own): always a fault.
  std::atomic<int> callsOutsidePluginCalls{0};

 private:
  // Marks the current thread as inside a call into the plug-in.
  struct InsidePlugin {
    InsidePlugin() { ++tInsidePlugin; }
    ~InsidePlugin() { --tInsidePlugin; }
  };

  // The plug-in's own entry points, called by the routing ones below.
  struct Original {
    vst2::AEffectDispatcherProc dispatcher;
    vst2::AEffectProcessProc process;
    vst2::AEffectProcessProc processReplacing;
    vst2::AEffectProcessDoubleProc processDoubleReplacing;
    vst2::AEffectSetParameterProc setParameter;
    vst2::AEffectGetParameterProc getParameter;
  };

  void Wrap(vst2::AEffect* effect) {
    const Original wrapped{effect->dispatcher,       effect->process,
                           effect->processReplacing, effect->processDoubleReplacing,
                           effect->setParameter,     effect->getParameter};
    {
      std::lock_guard<std::mutex> lock(LastWrappedMutex());
      LastWrapped() = wrapped;
    }
    std::lock_guard<std::mutex> lock(mutex);
    originals.push_back({effect, wrapped});
    effect->dispatcher = [](vst2::AEffect* e, vst2::VstInt32 opcode, vst2::VstInt32 index,
                            vst2::VstIntPtr value, void* ptr, float opt) {
      const Original original = OriginalOf(e);
      InsidePlugin inside;
      return original.dispatcher(e, opcode, index, value, ptr, opt);
    };
    effect->process = [](vst2::AEffect* e, float** in, float** out, vst2::VstInt32 n) {
      const Original original = OriginalOf(e);
      InsidePlugin inside;
      original.process(e, in, out, n);
    };
    effect->processReplacing = [](vst2::AEffect* e, float** in, float** out, vst2::VstInt32 n) {
      const Original original = OriginalOf(e);
      InsidePlugin inside;
      original.processReplacing(e, in, out, n);
    };
    if (effect->processDoubleReplacing)
      effect->processDoubleReplacing = [](vst2::AEffect* e, double** in, double** out, vst2::VstInt32 n) {
        const Original original = OriginalOf(e);
        InsidePlugin inside;
        original.processDoubleReplacing(e, in, out, n);
      };
    effect->setParameter = [](vst2::AEffect* e, vst2::VstInt32 index, float value) {
      const Original original = OriginalOf(e);
      InsidePlugin inside;
      original.setParameter(e, index, value);
    };
    effect->getParameter = [](vst2::AEffect* e, vst2::VstInt32 index) {
      const Original original = OriginalOf(e);
      InsidePlugin inside;
      return original.getParameter(e, index);
    };
  }

  // The latest record wrapped at this address (a closed instance's memory
  // may be reused by a new one). A record the host never made (a copy, or
  // none at all: misbehaving-host tests) reaches the plug-in module wrapped
  // last.
  static Original OriginalOf(vst2::AEffect* effect) {
    if (effect && effect->resvd1) {
      auto* host = reinterpret_cast<RecordingHost*>(effect->resvd1);
      std::lock_guard<std::mutex> lock(host->mutex);
      for (auto entry = host->originals.rbegin(); entry != host->originals.rend(); ++entry)
        if (entry->first == effect) return entry->second;
    }
    std::lock_guard<std::mutex> lock(LastWrappedMutex());
    return LastWrapped();
  }
  static std::mutex& LastWrappedMutex() {
    static std::mutex mutex;
    return mutex;
  }
  static Original& LastWrapped() {
    static Original original{};
    return original;
  }

  std::vector<std::pair<vst2::AEffect*, Original>> originals;
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
  static inline thread_local int tInsidePlugin = 0;
};

}  // namespace vst2test

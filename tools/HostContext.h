// The host side of one plug-in instance: what the plug-in may ask through
// the host callback (time, sample rate, process level, host identity) and
// what it tells (automation, gestures, I/O changes).
//
// Everything runs on the thread that created the context. A plug-in may call
// the host only from inside a call the host made into it; automation written
// from anywhere else (a thread of the plug-in's own) is counted and dropped.
#pragma once

#include <array>
#include <atomic>
#include <string>
#include <thread>

#include "tools/AutomationRecorder.h"
#include "version/Version.h"
#include "vst2/VSTInterface.h"

namespace kalvo5::meter {

inline constexpr const char* kHostVendor = "Vantorel";
inline constexpr const char* kHostProduct = "Kalvo5 Meter";
// The product's version as major * 10000 + minor * 100 + patch.
inline constexpr vst2::VstIntPtr kHostVersion = kVersionMajor * 10000 + kVersionMinor * 100 + kVersionPatch;

class HostContext {
 public:
  HostContext();

  // The callback handed to the plug-in's entry point. It finds the context
  // through the effect's host field (resvd1); calls with a null effect, or
  // from inside the entry point before that field is set, reach the context
  // of the instance being created on that thread.
  static vst2::VstIntPtr Callback(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32 index,
                                  vst2::VstIntPtr value, void* ptr, float opt);

  // Creates an instance through the entry point with this context attached.
  vst2::AEffect* CreateInstance(vst2::PluginEntryProc entry);

  void SetSampleRate(double rate) { sampleRate_ = rate; }
  void SetBlockSize(int frames) { blockSize_ = frames; }
  void SetPluginFolder(const std::string& folder) { folder_ = folder; }

  // Rendering: calls from the host's thread then report the offline process
  // level, and the transport reads as playing.
  void BeginRender();
  void EndRender();
  // Fills the transport for the block that starts at `samplePosition`.
  void PrepareBlock(double samplePosition);

  // Brackets every call into the plug-in (process, dispatcher, parameters),
  // so the host knows which of the plug-in's calls come from inside one.
  class CallScope {
   public:
    explicit CallScope(HostContext& host) : host_(host) { ++host_.callDepth_; }
    ~CallScope() { --host_.callDepth_; }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

   private:
    HostContext& host_;
  };

  AutomationRecorder& Automation() { return automation_; }
  const AutomationRecorder& Automation() const { return automation_; }
  // Automation writes dropped because they came from outside the host's calls.
  int StrayAutomationWrites() const { return strayWrites_.load(); }
  // How often the plug-in made each host call (indices 0 ... 63).
  int CallCount(vst2::VstInt32 opcode) const;

 private:
  vst2::VstIntPtr Answer(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr,
                         float opt);

  std::atomic<double> sampleRate_{44100.0};
  std::atomic<int> blockSize_{512};
  std::string folder_;
  const std::thread::id hostThread_;
  std::atomic<int> callDepth_{0};
  std::atomic<int> strayWrites_{0};
  std::atomic<bool> rendering_{false};
  bool firstBlock_ = true;
  vst2::VstTimeInfo timeInfo_{};
  AutomationRecorder automation_;
  std::array<std::atomic<int>, 64> calls_{};
};

}  // namespace kalvo5::meter

// A plug-in on the framework alone and a host that records what the plug-in
// asks and tells, both driven through the effect record as hosts do.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "framework/iplug/IPlugVST2Entry.h"
#include "framework/iplug/Timer.h"

namespace vst2test {

// What a host answers and remembers. One host per test; the callback finds
// it through a pointer set while it exists (calls from inside the entry
// point come before the host could know the effect).
class RecordingHost {
 public:
  struct Call {
    vst2::VstInt32 opcode;
    vst2::VstInt32 index;
    vst2::VstIntPtr value;
    float opt;
  };

  RecordingHost() { sCurrent = this; }
  ~RecordingHost() { sCurrent = nullptr; }

  static vst2::VstIntPtr Callback(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32 index,
                                  vst2::VstIntPtr value, void* ptr, float opt) {
    return sCurrent ? sCurrent->Answer(effect, opcode, index, value, ptr, opt) : 0;
  }

  int Count(vst2::VstInt32 opcode) const {
    int n = 0;
    for (const Call& call : calls) n += call.opcode == opcode ? 1 : 0;
    return n;
  }
  std::vector<Call> CallsOf(vst2::VstInt32 opcode) const {
    std::vector<Call> result;
    for (const Call& call : calls)
      if (call.opcode == opcode) result.push_back(call);
    return result;
  }

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
  std::vector<Call> calls;
  std::vector<vst2::VstMidiEvent> midiEvents;

 private:
  vst2::VstIntPtr Answer(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32 index,
                         vst2::VstIntPtr value, void* ptr, float opt) {
    calls.push_back({opcode, index, value, opt});
    switch (opcode) {
      case vst2::audioMasterGetProductString:
        std::strcpy(static_cast<char*>(ptr), productString.c_str());
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
        for (int i = 0; i < events->numEvents; ++i)
          midiEvents.push_back(*reinterpret_cast<const vst2::VstMidiEvent*>(events->events[i]));
        return 1;
      }
      default:
        return 0;
    }
  }

  static inline RecordingHost* sCurrent = nullptr;
};

inline iplug::PluginConfig TestConfig() {
  iplug::PluginConfig config;
  config.nParams = 5;
  config.nPresets = 1;
  config.channelIO = "1-1 2-2 4-4 5-5 6-6";
  config.pluginName = "Kalvo5";
  config.productName = "Kalvo5";
  config.vendorName = "Vantorel";
  config.vendorVersion = iplug::MakeVersion(5, 3, 6);
  config.uniqueId = iplug::MakeFourCC('V', 't', '5', '1');
  config.stateChunks = true;
  config.hasEditor = true;
  config.editorWidth = 616;
  config.editorHeight = 352;
  config.minWidth = 205;
  config.maxWidth = 1848;
  config.minHeight = 117;
  config.maxHeight = 1056;
  return config;
}

// Parameters of every kind the binding treats differently.
enum TestParam { kGain, kMode, kCount, kTrigger, kReadout };

// A gain on every channel, recording what reaches its hooks.
class TestPlugin : public iplug::IPlugVST2 {
 public:
  explicit TestPlugin(const iplug::InstanceInfo& info, const iplug::PluginConfig& config = TestConfig())
      : iplug::IPlugVST2(info, config) {
    const iplug::IParam::ShapeLinear linear;
    GetParam(kGain)->DefineDouble("Gain", "dB", iplug::NoFlags, "Main", linear, 0.0, -60.0, 60.0, 0.1);
    GetParam(kMode)->DefineEnum("Mode", 1, 3, "", iplug::NoFlags, "Main");
    GetParam(kMode)->AddDisplayText(0, "RMS");
    GetParam(kMode)->AddDisplayText(1, "EBU");
    GetParam(kMode)->AddDisplayText(2, "DIAL");
    GetParam(kCount)->SetKind(iplug::ParamKind::Int);
    GetParam(kCount)->DefineDouble("Count", "", iplug::Stepped, "Main", linear, 2.0, 1.0, 8.0, 1.0);
    GetParam(kTrigger)->SetKind(iplug::ParamKind::Int);
    GetParam(kTrigger)->DefineDouble("Trigger", "", iplug::Stepped, "Main", linear, 0.0, 0.0, 1.0, 1.0);
    GetParam(kReadout)->DefineDouble("Readout", "LUFS", iplug::CannotAutomate, "Out", linear, -144.0, -144.0,
                                     0.0, 0.1);
    ++sLiving;
    EnableTimerTicks();
  }
  ~TestPlugin() override {
    StopTimer();
    --sLiving;
  }

  void OnParamChange(int index, iplug::ParamSource source, int) override {
    paramChanges.push_back({index, source});
    lockedInParamChange = iplug::InMainThreadScope();
  }
  void ResetProcessing() override {
    ++resets;
    resetBlockSizes.push_back(GetBlockSize());
  }
  void SetActive(bool active) override { activeCalls.push_back(active); }
  void OnStateRestored() override {
    ++statesRestored;
    iplug::IPlugVST2::OnStateRestored();
  }
  void ProcessAudioBlock(double** inputs, double** outputs, int nFrames) override {
    ++blocks;
    lastBlockFrames = nFrames;
    const double gain = std::pow(10.0, GetParam(kGain)->GetValue() / 20.0);
    for (int c = 0; c < NChannelsConnected(iplug::kOutput); ++c) {
      for (int n = 0; n < nFrames; ++n)
        outputs[c][n] = c < NChannelsConnected(iplug::kInput) ? inputs[c][n] * gain : 0.0;
    }
  }
  void OnHostIdentified() override { ++hostIdentified; }
  bool OnKeyDown(const iplug::KeyPress& key) override {
    keys.push_back(key);
    return key.vk != 0x1B;  // the editor leaves escape to the host
  }
  bool OnKeyUp(const iplug::KeyPress& key) override {
    keys.push_back(key);
    return false;
  }

  using iplug::IPlugVST2::HostCall;

  static inline int sLiving = 0;
  std::vector<std::pair<int, iplug::ParamSource>> paramChanges;
  bool lockedInParamChange = false;
  int resets = 0;
  std::vector<int> resetBlockSizes;
  std::vector<bool> activeCalls;
  int statesRestored = 0;
  int blocks = 0;
  int lastBlockFrames = -1;
  int hostIdentified = 0;
  std::vector<iplug::KeyPress> keys;
};

inline iplug::IPlugVST2* MakeTestPlugin(const iplug::InstanceInfo& info) { return new TestPlugin(info); }

// One instance as a host holds it: created through the entry point, closed
// through the dispatcher.
class Instance {
 public:
  explicit Instance(vst2::audioMasterCallback callback = &RecordingHost::Callback,
                    iplug::PluginFactory factory = &MakeTestPlugin)
      : effect(iplug::CreateVST2Effect(callback, factory)) {}
  ~Instance() {
    if (effect) Dispatch(vst2::effClose);
  }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  vst2::VstIntPtr Dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index = 0, vst2::VstIntPtr value = 0,
                           void* ptr = nullptr, float opt = 0.0f) const {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
  }
  std::string Text(vst2::VstInt32 opcode, vst2::VstInt32 index = 0) const {
    char buffer[512];
    std::memset(buffer, 'x', sizeof(buffer));
    buffer[sizeof(buffer) - 1] = '\0';
    Dispatch(opcode, index, 0, buffer);
    return buffer;
  }
  TestPlugin& Plug() const { return *static_cast<TestPlugin*>(effect->object); }
  // Closes now (the destructor then does nothing).
  void Close() {
    Dispatch(vst2::effClose);
    effect = nullptr;
  }

  vst2::AEffect* effect;
};

// Ticks stay synchronous in these tests.
class VST2Test : public ::testing::Test {
 protected:
  void SetUp() override { iplug::Timer::SetAutomaticTicks(false); }
  void TearDown() override { iplug::Timer::SetAutomaticTicks(true); }

  RecordingHost host;
};

}  // namespace vst2test

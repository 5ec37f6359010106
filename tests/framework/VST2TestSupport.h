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
#include "support/VST2RecordingHost.h"

namespace vst2test {

inline iplug::PluginConfig TestConfig() {
  iplug::PluginConfig config;
  config.nParams = 5;
  config.nPresets = 1;
  config.channelIO = "1-1 2-2 4-4 5-5 6-6";
  config.pluginName = "Kalvo5";
  config.productName = "Kalvo5";
  config.vendorName = "Vantorel";
  config.vendorVersion = iplug::MakeVersion(5, 3, 6);  // a plug-in of the framework, not Kalvo5
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
      : iplug::IPlug(config), iplug::IPlugVST2(info) {
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
  explicit Instance(RecordingHost& host, iplug::PluginFactory factory = &MakeTestPlugin)
      : effect(host.Attach([factory](vst2::audioMasterCallback callback) {
          return iplug::CreateVST2Effect(callback, factory);
        })) {}
  // An instance without a host callback.
  explicit Instance(std::nullptr_t) : effect(iplug::CreateVST2Effect(nullptr, &MakeTestPlugin)) {}
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

class VST2Test : public ::testing::Test {
 protected:
  // The binding calls the host back only from inside a call the host made.
  void TearDown() override { EXPECT_EQ(host.callsOutsidePluginCalls.load(), 0); }

  RecordingHost host;
};

}  // namespace vst2test

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "framework/iplug/IPlugVST2.h"

using iplug::ByteChunk;
using iplug::ParamSource;

namespace {

iplug::PluginConfig Config(int nPresets, const char* channelIO) {
  iplug::PluginConfig config;
  config.nParams = 3;
  config.nPresets = nPresets;
  config.channelIO = channelIO;
  config.pluginName = "Test";
  config.hasEditor = true;
  config.editorWidth = 616;
  config.editorHeight = 352;
  config.minWidth = 1848;
  config.maxWidth = 205;
  config.minHeight = 117;
  config.maxHeight = 1056;
  return config;
}

// A plug-in on the framework alone, recording what reaches its hooks.
class RecordingPlugin : public iplug::IPlugVST2 {
 public:
  explicit RecordingPlugin(int nPresets = 1, const char* channelIO = "1-1 2-2 4-4 5-5 6-6")
      : iplug::IPlug(Config(nPresets, channelIO)), iplug::IPlugVST2({}) {
    for (int i = 0; i < NParams(); ++i)
      GetParam(i)->DefineDouble("p", "", iplug::Stepped, "", iplug::IParam::ShapeLinear(), 0, 0, 10, 0.5);
    EnableTimerTicks();
  }
  ~RecordingPlugin() override { StopTimer(); }

  void OnParamChange(int index, ParamSource source, int) override { changes.push_back({index, source}); }
  void OnIdle() override { ++idles; }

  std::vector<std::pair<int, ParamSource>> changes;
  std::vector<std::pair<int, double>> editorUpdates;
  int idles = 0;

 protected:
  void UpdateEditorControls(int index, double value, bool) override {
    editorUpdates.push_back({index, value});
  }
};

class PluginBase : public ::testing::Test {
 protected:
};

}  // namespace

TEST(ByteChunk, ReadsBackLittleEndianAndReportsShortReads) {
  ByteChunk chunk;
  chunk.PutInt32(0x70666674);
  chunk.PutDouble(-18.5);
  chunk.PutCountedString("Init");
  ASSERT_EQ(chunk.Size(), 4 + 8 + 4 + 4);
  EXPECT_EQ(chunk.Data()[0], 't');
  EXPECT_EQ(chunk.Data()[3], 'p');

  std::int32_t magic = 0;
  double value = 0;
  std::string name;
  int pos = chunk.GetInt32(magic, 0);
  pos = chunk.GetDouble(value, pos);
  pos = chunk.GetCountedString(name, pos);
  EXPECT_EQ(magic, 0x70666674);
  EXPECT_EQ(value, -18.5);
  EXPECT_EQ(name, "Init");
  EXPECT_EQ(pos, chunk.Size());
  EXPECT_EQ(chunk.GetInt32(magic, pos), -1);
  EXPECT_EQ(chunk.GetDouble(value, -1), -1);

  // A length that runs past the end, or a negative one, is a short read.
  ByteChunk bad;
  bad.PutInt32(1000);
  bad.PutBytes("abc", 3);
  EXPECT_EQ(bad.GetCountedString(name, 0), -1);
  ByteChunk negative;
  negative.PutInt32(-5);
  EXPECT_EQ(negative.GetCountedString(name, 0), -1);
  EXPECT_EQ(name, "Init");
}

TEST(ChannelIO, ParsesTotalsAndAnswersLegalIO) {
  const auto parsed = iplug::ParseChannelIO("1-1 2-2");
  EXPECT_EQ(parsed.configs.size(), 2u);
  EXPECT_EQ(parsed.maxInputs, 2);
  EXPECT_EQ(parsed.maxOutputs, 2);
  EXPECT_TRUE(iplug::IsLegalIO(parsed.configs, 1, -1));
  EXPECT_TRUE(iplug::IsLegalIO(parsed.configs, 2, 2));
  EXPECT_FALSE(iplug::IsLegalIO(parsed.configs, 2, 1));

  const auto buses = iplug::ParseChannelIO("2.2-4 0-* 1-1");
  EXPECT_EQ(buses.configs[0].NChannels(iplug::kInput), 4);
  EXPECT_EQ(buses.configs[1].NChannels(iplug::kOutput), iplug::kAnyChannelCount);
  EXPECT_EQ(buses.configs[1].buses[iplug::kInput].size(), 0u);
  EXPECT_EQ(buses.maxInputs, 4);
}

TEST_F(PluginBase, ConstructionAppliesConfigurationDefaults) {
  RecordingPlugin plugin;
  EXPECT_EQ(plugin.MaxNChannels(iplug::kInput), 6);
  EXPECT_EQ(plugin.MaxNChannels(iplug::kOutput), 6);
  EXPECT_EQ(plugin.NIOConfigs(), 5);
  EXPECT_EQ(plugin.GetBlockSize(), 512);
  EXPECT_EQ(plugin.GetSampleRate(), 48000.0);
  EXPECT_EQ(plugin.GetHost(), -1);
  EXPECT_STREQ(plugin.GetHostProductString(), "Unknown");
  EXPECT_EQ(plugin.MinWidth(), 205);
  EXPECT_EQ(plugin.MaxWidth(), 1848);
  EXPECT_STREQ(plugin.GetPreset(0)->name, "empty");
  EXPECT_EQ(plugin.GetPreset(0)->tag, -1);
  EXPECT_EQ(plugin.GetTimeInfo().tempo, 120.0);
  EXPECT_EQ(plugin.GetTimeInfo().samplePos, -1.0);
  plugin.SetSampleRate(0.0);
  plugin.SetSampleRate(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(plugin.GetSampleRate(), 48000.0);
}

TEST_F(PluginBase, SixtyFourBitBuffersBindConnectedChannelsInOrder) {
  RecordingPlugin plugin;
  plugin.ConnectChannels(iplug::kInput, 4, 2, false);
  std::vector<double> host[4];
  double* pointers[4];
  for (int i = 0; i < 4; ++i) {
    host[i].assign(8, i + 1.0);
    pointers[i] = host[i].data();
  }
  plugin.BeginProcessCall();
  plugin.BindInputBuffers(pointers);
  double** inputs = plugin.InputPointers();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(inputs[i], host[i].data());
  // The disconnected channels read their own cleared scratch buffers.
  EXPECT_EQ(inputs[4], plugin.GetChannel(iplug::kInput, 4)->scratch);
  EXPECT_EQ(inputs[5][7], 0.0);
  plugin.EndProcessCall();
  EXPECT_EQ(plugin.NChannelsConnected(iplug::kInput), 4);
}

TEST_F(PluginBase, ThirtyTwoBitPathConvertsAndKeepsUntouchedOutputs) {
  // A plug-in that writes output 0 only.
  class FirstOutputOnly : public RecordingPlugin {
   public:
    FirstOutputOnly() : iplug::IPlug(Config(1, "1-1 2-2 4-4 5-5 6-6")) {}
    void ProcessAudioBlock(double** inputs, double** outputs, int nFrames) override {
      for (int n = 0; n < nFrames; ++n) outputs[0][n] = 2.0 * inputs[0][n];
    }
  } plugin;
  constexpr int kFrames = 1024;  // more than the 512 set up at construction
  std::vector<float> in[6], out[6];
  float* inPtrs[6];
  float* outPtrs[6];
  for (int c = 0; c < 6; ++c) {
    in[c].assign(kFrames, 0.25f);
    out[c].assign(kFrames, static_cast<float>(c));
    inPtrs[c] = in[c].data();
    outPtrs[c] = out[c].data();
  }
  plugin.ProcessBuffers(inPtrs, outPtrs, kFrames, false);
  EXPECT_EQ(plugin.GetBlockSize(), kFrames);
  EXPECT_EQ(out[0][kFrames - 1], 0.5f);
  EXPECT_EQ(out[1][kFrames - 1], 1.0f);  // the host's content of this block stays
  EXPECT_EQ(out[5][0], 5.0f);

  plugin.ProcessBuffers(inPtrs, outPtrs, kFrames, true);  // accumulating
  EXPECT_EQ(out[0][0], 1.0f);
  EXPECT_EQ(out[1][0], 1.0f);
}

// A plug-in that writes all its outputs is not given the host's content
// first; a block in which it keeps the host's outputs leaves them as they
// were.
TEST_F(PluginBase, ThirtyTwoBitPathLeavesTheOutputsAPluginKeeps) {
  class AllOrNothing : public RecordingPlugin {
   public:
    AllOrNothing() : iplug::IPlug(Config(1, "1-1 2-2 4-4 5-5 6-6")) {}
    bool WritesUsedOutputs() const override { return true; }
    void ProcessAudioBlock(double** inputs, double** outputs, int nFrames) override {
      seen = outputs[1][0];
      if (nFrames < 100) return KeepHostOutputs();
      for (int c = 0; c < 6; ++c)
        for (int n = 0; n < nFrames; ++n) outputs[c][n] = 2.0 * inputs[c][n];
    }
    double seen = 0.0;
  } plugin;
  std::vector<float> in[6], out[6];
  float* inPtrs[6];
  float* outPtrs[6];
  for (int c = 0; c < 6; ++c) {
    in[c].assign(200, 0.25f);
    out[c].assign(200, 7.0f);
    inPtrs[c] = in[c].data();
    outPtrs[c] = out[c].data();
  }
  plugin.ProcessBuffers(inPtrs, outPtrs, 200, false);
  EXPECT_NE(plugin.seen, 7.0);  // not filled from the host
  EXPECT_EQ(out[5][199], 0.5f);
  for (auto& o : out) o.assign(200, 7.0f);
  plugin.ProcessBuffers(inPtrs, outPtrs, 50, false);
  EXPECT_EQ(out[1][0], 7.0f);
  EXPECT_EQ(out[5][49], 7.0f);
  plugin.ProcessBuffers(inPtrs, outPtrs, 50, true);  // accumulating: zeros added
  EXPECT_EQ(out[1][0], 7.0f);
}

// A plug-in that processes in place gets, on the 32-bit path, its input's
// buffer as the output of each channel connected both ways; an output whose
// input is not connected keeps a buffer of its own, and that input its
// silence.
TEST_F(PluginBase, ThirtyTwoBitPathHandsAnInPlacePluginOneBufferPerChannel) {
  class Doubling : public RecordingPlugin {
   public:
    Doubling() : iplug::IPlug(Config(1, "1-1 2-2 4-4 5-5 6-6")) {}
    bool WritesUsedOutputs() const override { return true; }
    bool ProcessesInPlace() const override { return true; }
    void ProcessAudioBlock(double** inputs, double** outputs, int nFrames) override {
      shared = outputs[0] == inputs[0] && outputs[1] == inputs[1];
      separate = outputs[2] != inputs[2];
      for (int c = 0; c < 3; ++c)
        for (int n = 0; n < nFrames; ++n) outputs[c][n] = 2.0 * inputs[c][n] + 1.0;
    }
    bool shared = false, separate = false;
  } plugin;
  plugin.ConnectChannels(iplug::kInput, 2, 4, false);
  plugin.ConnectChannels(iplug::kOutput, 3, 3, false);
  std::vector<float> in[2], out[3];
  float* inPtrs[2];
  float* outPtrs[3];
  for (int c = 0; c < 3; ++c) {
    if (c < 2) in[c].assign(64, 0.25f * static_cast<float>(c + 1));
    if (c < 2) inPtrs[c] = in[c].data();
    out[c].assign(64, 9.0f);
    outPtrs[c] = out[c].data();
  }
  for (int block = 0; block < 2; ++block) {
    plugin.ProcessBuffers(inPtrs, outPtrs, 64, false);
    EXPECT_TRUE(plugin.shared);
    EXPECT_TRUE(plugin.separate);
    EXPECT_EQ(out[0][63], 1.5f);
    EXPECT_EQ(out[1][0], 2.0f);
    EXPECT_EQ(out[2][10], 1.0f) << block;  // the silent input, still silent
  }
}

TEST_F(PluginBase, DefaultProcessCopiesInputsAndClearsTheRest) {
  RecordingPlugin plugin;
  plugin.ConnectChannels(iplug::kInput, 1, 5, false);
  std::vector<double> in(4, 0.5), out0(4, 9.0), out1(4, 9.0);
  double* inPtrs[] = {in.data()};
  double* outPtrs[] = {out0.data(), out1.data(), out1.data(), out1.data(), out1.data(), out1.data()};
  plugin.ProcessBuffers(inPtrs, outPtrs, 4);
  EXPECT_EQ(out0[3], 0.5);
  EXPECT_EQ(out1[3], 0.0);
}

TEST_F(PluginBase, PresetBankRoundTripsAndReportsShortChunks) {
  RecordingPlugin plugin;
  plugin.GetParam(1)->SetValue(3.5);
  plugin.InitUninitializedPresets();
  EXPECT_STREQ(plugin.GetPreset(0)->name, "Empty");
  plugin.ModifyCurrentPreset("Init");

  ByteChunk bank;
  ASSERT_TRUE(plugin.SerializePresets(bank));
  ASSERT_EQ(bank.Size(), 4 + 4 + 1 + 3 * 8);
  std::int32_t length = 0;
  EXPECT_EQ(bank.GetInt32(length, 0), 4);
  EXPECT_EQ(length, 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bank.Data()) + 4, 4), "Init");
  EXPECT_EQ(bank.Data()[8], 1);

  plugin.GetParam(1)->SetValue(7.0);
  plugin.changes.clear();
  EXPECT_EQ(plugin.UnserializePresets(bank, 0), bank.Size());
  EXPECT_EQ(plugin.GetParam(1)->GetValue(), 3.5);
  EXPECT_FALSE(plugin.changes.empty());
  EXPECT_EQ(plugin.changes.back().second, ParamSource::PresetRecall);

  // A bank that ends inside the name: position -1, empty name, no state read.
  ByteChunk cut;
  cut.PutBytes(bank.Data(), 6);
  plugin.GetParam(1)->SetValue(7.0);
  EXPECT_EQ(plugin.UnserializePresets(cut, 0), -1);
  EXPECT_STREQ(plugin.GetPreset(0)->name, "");
  EXPECT_TRUE(plugin.GetPreset(0)->initialized);
}

TEST_F(PluginBase, LoadingAnUninitializedSlotStoresTheCurrentStateAsAUserPreset) {
  RecordingPlugin plugin(3);
  plugin.GetParam(0)->SetValue(2.0);
  ASSERT_TRUE(plugin.LoadPreset(1));
  EXPECT_STREQ(plugin.GetPreset(1)->name, "user preset 1");
  ASSERT_TRUE(plugin.LoadPreset(2));
  EXPECT_STREQ(plugin.GetPreset(2)->name, "user preset 2");
  EXPECT_EQ(plugin.GetCurrentPresetIdx(), 2);

  plugin.GetParam(0)->SetValue(9.0);
  plugin.GetTimer()->TickNow();  // empties the queue filled by the loads above
  plugin.editorUpdates.clear();
  {
    iplug::MainThreadScope mainThread;
    ASSERT_TRUE(plugin.LoadPreset(1));
  }
  EXPECT_EQ(plugin.GetParam(0)->GetValue(), 2.0);
  EXPECT_EQ(plugin.editorUpdates.size(), 3u);  // OnStateRestored reached the editor

  // Off the main thread the same values are queued for the next tick instead.
  plugin.editorUpdates.clear();
  ASSERT_TRUE(plugin.LoadPreset(1));
  EXPECT_TRUE(plugin.editorUpdates.empty());
  plugin.GetTimer()->TickNow();
  EXPECT_EQ(plugin.editorUpdates.size(), 3u);
  EXPECT_FALSE(plugin.LoadPreset(3));
  EXPECT_FALSE(plugin.LoadPreset(-1));
}

TEST_F(PluginBase, HostChangesReachThePluginAtOnceAndTheEditorAtTheNextTick) {
  RecordingPlugin plugin;
  plugin.SetParameterFromHost(2, 0.5);
  EXPECT_EQ(plugin.GetParam(2)->GetValue(), 5.0);
  ASSERT_EQ(plugin.changes.size(), 1u);
  EXPECT_EQ(plugin.changes[0], std::make_pair(2, ParamSource::Host));
  EXPECT_TRUE(plugin.editorUpdates.empty());  // the editor learns it on the next tick
  plugin.GetTimer()->TickNow();
  ASSERT_EQ(plugin.editorUpdates.size(), 1u);
  EXPECT_EQ(plugin.editorUpdates[0], std::make_pair(2, 5.0));
  EXPECT_EQ(plugin.idles, 1);

  EXPECT_TRUE(plugin.SetParameterTextFromHost(1, "2.3 units"));
  EXPECT_EQ(plugin.GetParam(1)->GetValue(), 2.5);
  plugin.SetParameterFromHost(99, 0.5);  // ignored
  EXPECT_EQ(plugin.changes.size(), 2u);

  // A NaN from the host changes nothing and never reaches the editor.
  plugin.editorUpdates.clear();
  plugin.SetParameterFromHost(2, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(plugin.GetParam(2)->GetValue(), 5.0);
  plugin.GetTimer()->TickNow();
  for (const auto& update : plugin.editorUpdates) EXPECT_FALSE(std::isnan(update.second));
}

TEST_F(PluginBase, TheEditorShowsEveryParametersValueOfNowWhateverWasQueued) {
  // Host values queued, then a state loaded on the main thread before the
  // next tick (a host restoring parameters, then the chunk): the tick shows
  // the loaded values, not the queued ones.
  RecordingPlugin plugin;
  plugin.SetParameterFromHost(0, 0.9);
  {
    iplug::MainThreadScope mainThread;
    plugin.GetParam(0)->SetValue(2.0);
    plugin.OnStateRestored();
  }
  plugin.editorUpdates.clear();
  plugin.GetTimer()->TickNow();
  ASSERT_EQ(plugin.editorUpdates.size(), 1u);
  EXPECT_EQ(plugin.editorUpdates[0], std::make_pair(0, 2.0));

  // A ring too full for the last change: every control is brought up to date.
  plugin.editorUpdates.clear();
  for (int n = 0; n < 512; ++n) plugin.SetParameterFromHost(0, 0.1);
  plugin.SetParameterFromHost(2, 0.9);
  iplug::Timer::TickAll();
  ASSERT_FALSE(plugin.editorUpdates.empty());
  EXPECT_EQ(plugin.editorUpdates.back(), std::make_pair(2, 9.0));
}

TEST_F(PluginBase, TicksStopWithTheTimerAndDoNotReachAPluginBeforeItIsReady) {
  class NotReady : public iplug::IPlugVST2 {
   public:
    NotReady() : iplug::IPlug(Config(1, "1-1")), iplug::IPlugVST2({}) {}
    ~NotReady() override { StopTimer(); }
    void OnIdle() override { ++idles; }
    int idles = 0;
  } early;
  iplug::Timer::TickAll();
  EXPECT_EQ(early.idles, 0);
  early.EnableTimerTicks();
  iplug::Timer::TickAll();
  EXPECT_EQ(early.idles, 1);
  early.StopTimer();
  iplug::Timer::TickAll();
  EXPECT_EQ(early.idles, 1);
  EXPECT_FALSE(early.GetTimer()->IsRunning());
}

TEST(Timer, TicksOnlyWhenAHostIdleCallFindsOneDueAndNeverAfterStop) {
  int ticks = 0;
  bool inScope = true;
  auto timer = iplug::Timer::Create(
      [&] {
        ++ticks;
        if (!iplug::InMainThreadScope()) inScope = false;
      },
      20);
  // No thread of the framework ticks it.
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  EXPECT_EQ(ticks, 0);
  timer->TickIfDue();
  EXPECT_EQ(ticks, 1);
  timer->TickIfDue();  // the next one is due 20 ms later
  EXPECT_EQ(ticks, 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(25));
  timer->TickIfDue();
  EXPECT_EQ(ticks, 2);
  EXPECT_TRUE(inScope);
  timer->Stop();
  std::this_thread::sleep_for(std::chrono::milliseconds(25));
  timer->TickIfDue();
  iplug::Timer::TickAll();
  EXPECT_EQ(ticks, 2);
}

TEST(Timer, TheMainThreadLockIsLetGoAroundHostCalls) {
  iplug::MainThreadScope outer;
  iplug::MainThreadScope inner;
  bool otherThreadGotIt = false;
  {
    iplug::MainThreadUnlock unlocked;
    EXPECT_FALSE(iplug::InMainThreadScope());
    std::thread other([&] {
      iplug::MainThreadScope scope;
      otherThreadGotIt = true;
    });
    other.join();
  }
  EXPECT_TRUE(otherThreadGotIt);
  EXPECT_TRUE(iplug::InMainThreadScope());
}

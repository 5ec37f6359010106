// A Kalvo5 whose host notifications are recorded, with a stand-in editor, and
// helpers that feed it audio the way the host binding does.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "module/Kalvo5VST2.h"
#include "support/ScratchFolder.h"

namespace kalvo5::test {

// A private data folder base for every test program that creates plug-ins,
// removed when the program ends.
inline std::string TestDataHome() { return testsupport::ProgramScratchFolder("kalvo5-test"); }

// An update check a test does not point at a server of its own goes to a
// loopback port nothing listens on: it never leaves the machine and ends at
// once, so no transfer is still running when the test program exits.
inline void UseClosedUpdateServer() { setenv("KALVO5_UPDATE_SERVER", "http://127.0.0.1:9/", 0); }

inline void UseTestDataHome() {
  setenv("XDG_DATA_HOME", TestDataHome().c_str(), 1);
  UseClosedUpdateServer();
}

struct HostNote {
  enum Kind { Automate, BeginGesture, EndGesture, Latency } kind;
  int index;
  double value;
};

class TestKalvo5 : public Kalvo5VST2<> {
 public:
  // The host has read every value, as after the entry point.
  TestKalvo5() : iplug::IPlug(Kalvo5Config()) { HostHeardCurrentValues(); }

  void SendParamToHost(int index, double normalized) override {
    NoteHostHeard(index, normalized);
    calls.push_back({HostNote::Automate, index, normalized});
  }
  void BeginParamGesture(int index) override { calls.push_back({HostNote::BeginGesture, index, 0}); }
  void EndParamGesture(int index) override { calls.push_back({HostNote::EndGesture, index, 0}); }
  void ChangeLatency(int samples) override {
    calls.push_back({HostNote::Latency, -1, static_cast<double>(samples)});
    iplug::IPlugVST2::ChangeLatency(samples);
  }
  // The processor's own latency store, without a host report.
  void StoreLatency(int samples) { iplug::IPlugProcessor::ChangeLatency(samples); }

  bool EditorExists() const override { return editorExists; }
  double EditorDrawScale() const override { return drawScale; }

  int CountCalls(HostNote::Kind kind, int index = -2) const {
    int n = 0;
    for (const HostNote& call : calls)
      if (call.kind == kind && (index == -2 || call.index == index)) ++n;
    return n;
  }

  // Host automation of a real value.
  void HostSets(int index, double value) {
    SetParameterFromHost(index, GetParam(index)->NormalizedFromValue(value));
  }
  // An editor control setting a real value.
  void EditorSets(int index, double value) {
    iplug::MainThreadScope mainThread;
    SetParamFromEditor(index, GetParam(index)->NormalizedFromValue(value));
  }
  // An editor control's request, with what it carries.
  void Command(ECommands code, const std::string& path = {}, int scaleEntry = -1) {
    iplug::MainThreadScope mainThread;
    Execute(EditorCommand(code, path, scaleEntry));
  }
  void Tick() { GetTimer()->TickNow(); }
  // The editor shown or hidden, as its window's opening and closing tell.
  void ShowEditor(bool shown) {
    iplug::MainThreadScope mainThread;
    if (shown) {
      OnEditorOpened();
    } else {
      OnEditorClosed();
    }
  }

  std::vector<HostNote> calls;
  bool editorExists = false;
  double drawScale = 1.0;
};

// Creates plug-ins; their timer ticks only when a test runs it.
class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseTestDataHome();
    plugin = std::make_unique<TestKalvo5>();
  }
  void TearDown() override { plugin.reset(); }

  std::unique_ptr<TestKalvo5> plugin;
};

// Planar audio for the 64-bit process path.
class Audio {
 public:
  Audio(int channels, int frames) : mData(static_cast<std::size_t>(channels)) {
    for (auto& channel : mData) channel.assign(static_cast<std::size_t>(frames), 0.0);
    for (auto& channel : mData) mPointers.push_back(channel.data());
  }
  std::vector<double>& operator[](int channel) { return mData[static_cast<std::size_t>(channel)]; }
  double** Pointers() { return mPointers.data(); }
  int Frames() const { return static_cast<int>(mData[0].size()); }
  int Channels() const { return static_cast<int>(mData.size()); }

 private:
  std::vector<std::vector<double>> mData;
  std::vector<double*> mPointers;
};

// Connects as many channels as the host passes buffers, as a host's speaker
// arrangement does.
inline void Connect(Kalvo5& plugin, int inputs, int outputs) {
  plugin.ConnectChannels(iplug::kInput, 0, inputs, true);
  plugin.ConnectChannels(iplug::kInput, inputs, 6, false);
  plugin.ConnectChannels(iplug::kOutput, 0, outputs, true);
  plugin.ConnectChannels(iplug::kOutput, outputs, 6, false);
}

// Feeds `in` to the plug-in in blocks of blockSize with `out` as outputs,
// taking the host's transport state per block.
inline void Feed(Kalvo5& plugin, Audio& in, Audio& out, int blockSize, bool playing = false) {
  Connect(plugin, in.Channels(), out.Channels());
  iplug::TimeInfo time;
  time.transportIsRunning = playing;
  for (int start = 0; start < in.Frames(); start += blockSize) {
    const int n = std::min(blockSize, in.Frames() - start);
    std::vector<double*> inPtrs, outPtrs;
    for (int c = 0; c < in.Channels(); ++c) inPtrs.push_back(in[c].data() + start);
    for (int c = 0; c < out.Channels(); ++c) outPtrs.push_back(out[c].data() + start);
    plugin.SetTimeInfo(time);
    plugin.ProcessBuffers(inPtrs.data(), outPtrs.data(), n);
  }
}

}  // namespace kalvo5::test

// One thread plays the host's audio thread, another its main thread, while
// the framework's UI thread ticks: run under ThreadSanitizer in CI.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "Kalvo5TestSupport.h"
#include "support/Signals.h"

namespace kalvo5::test {
namespace {

// Counts host notifications from any thread.
class CountingKalvo5 : public Kalvo5VST2<> {
 public:
  CountingKalvo5() : iplug::IPlug(Kalvo5Config()) {}
  void SendParamToHost(int, double) override { automations.fetch_add(1); }
  std::atomic<int> automations{0};
};

TEST(ThreadSafety, AudioParametersMatchResetAndTicksRunConcurrently) {
  UseTestDataHome();
  auto plugin = std::make_unique<CountingKalvo5>();
  {
    iplug::MainThreadScope mainThread;
    plugin->OnEditorOpened();
    plugin->SetHost("Logic Pro", 0);
  }
  plugin->SetParameterFromHost(kWriteAutomationData, 1.0);
  Connect(*plugin, 2, 2);

  std::atomic<bool> stop{false};
  std::atomic<long> blocks{0};

  std::thread audio([&] {
    constexpr int kFrames = 256;
    const std::vector<double> sine = Sine(997.0, 48000.0, 0.3, kFrames);
    std::vector<double> left(kFrames), right(kFrames);
    double* channels[] = {left.data(), right.data()};
    for (long n = 0; !stop.load(); ++n) {
      left = sine;
      right = sine;
      iplug::TimeInfo time;
      time.transportIsRunning = (n / 50) % 2 == 0;
      plugin->SetTimeInfo(time);
      plugin->ProcessBuffers(channels, channels, kFrames);  // in place
      plugin->OnBlockEnd();                                 // the automation output
      // Some hosts automate from the audio thread.
      if (n % 40 == 0) plugin->SetParameterFromHost(kRMSGain, (n % 80 == 0) ? 0.4 : 0.6);
      blocks.fetch_add(1);
    }
  });

  std::thread host([&] {
    const int toggles[] = {kType, kRMSChannelConfig, kEBUChannelConfig, kRMSMode, kRMSWFilterMode,
                           kSync, kTruePeak,         kNoLinkOutput};
    for (int n = 0; !stop.load(); ++n) {
      iplug::MainThreadScope dispatcher;
      const int index = toggles[n % 8];
      plugin->SetParameterFromHost(index, (n / 8) % 2 == 0 ? 1.0 : 0.0);
      plugin->SetParameterFromHost(kRMSWindow, (n % 3) * 0.1);
      plugin->SetParameterFromHost(kDIALWindow, (n % 2) * 0.01);
      const int trigger = kMatchRMSI + n % 11;
      plugin->SetParameterFromHost(trigger, 1.0);
      plugin->SetParameterFromHost(trigger, 0.0);
      plugin->SetParameterFromHost(kReset, n % 2);
      plugin->SetParamFromEditor(kEBUGain, 0.5);
      iplug::Timer::TickAll();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });

  std::this_thread::sleep_for(std::chrono::seconds(2));
  stop = true;
  audio.join();
  host.join();

  EXPECT_GT(blocks.load(), 100);
  EXPECT_GT(plugin->automations.load(), 0);
  for (int i : {kRMSGain, kEBUGain, kRMSWindow, kType}) {
    EXPECT_TRUE(std::isfinite(plugin->GetParam(i)->GetValue()));
  }
  plugin.reset();
}

// A host that announces a new block size or rate while its audio thread is
// inside a process call (against the rules, but it happens): the buffers of
// the running call stay valid until it ends, and the measurement goes on.
TEST(ThreadSafety, BlockSizeAndRateChangesDuringProcessingLeaveTheRunningCallItsBuffers) {
  UseTestDataHome();
  auto plugin = std::make_unique<CountingKalvo5>();
  vst2::AEffect& effect = plugin->GetEffect();
  const auto dispatch = [&effect](vst2::VstInt32 opcode, vst2::VstIntPtr value, float opt) {
    return effect.dispatcher(&effect, opcode, 0, value, nullptr, opt);
  };
  dispatch(vst2::effOpen, 0, 0.0f);
  dispatch(vst2::effSetSampleRate, 0, 48000.0f);
  dispatch(vst2::effSetBlockSize, 512, 0.0f);
  dispatch(vst2::effMainsChanged, 1, 0.0f);

  std::atomic<bool> stop{false};
  std::atomic<long> blocks{0};
  std::thread audio([&] {
    constexpr int kFrames = 4096;  // often longer than announced: processed in slices
    std::vector<float> buffers[6];
    float* channels[6];
    for (int c = 0; c < 6; ++c) {
      buffers[c] = std::vector<float>(kFrames, 0.25f);
      channels[c] = buffers[c].data();
    }
    for (long n = 0; !stop.load(); ++n) {
      effect.processReplacing(&effect, channels, channels, n % 2 == 0 ? kFrames : 300);
      blocks.fetch_add(1);
    }
  });
  for (int n = 0; n < 24; ++n) {
    dispatch(vst2::effSetBlockSize, n % 2 == 0 ? 64 : 8192, 0.0f);
    if (n % 4 == 0) dispatch(vst2::effSetSampleRate, 0, n % 8 == 0 ? 44100.0f : 48000.0f);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  stop = true;
  audio.join();
  EXPECT_GT(blocks.load(), 20);
  EXPECT_TRUE(std::isfinite(plugin->ReadMeasurement(kTypeRMS).rms.integrated));
  dispatch(vst2::effClose, 0, 0.0f);
  plugin.release();  // effClose deleted it
}

}  // namespace
}  // namespace kalvo5::test

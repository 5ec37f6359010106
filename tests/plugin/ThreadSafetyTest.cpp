// One thread plays the host's audio thread, another its main thread, while
// the framework's UI thread ticks: run under ThreadSanitizer in CI.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "Kalvo5TestSupport.h"
#include "support/Signals.h"

namespace kalvo5::test {
namespace {

// Counts host notifications from any thread.
class CountingKalvo5 : public Kalvo5 {
 public:
  CountingKalvo5() : Kalvo5(iplug::InstanceInfo{}) {}
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

}  // namespace
}  // namespace kalvo5::test

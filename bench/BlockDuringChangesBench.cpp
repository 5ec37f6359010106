// The audio thread's longest block while another thread keeps switching
// "Dial S-Window" between 50000 and 99999 ms, which doubles and halves the
// window's memory ("longest_block_us"; a 64-frame block lasts 1333 us at
// 48 kHz). The memory is obtained off the audio thread and exchanged there
// without waiting, so the longest block stays near the usual one.
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "BenchSupport.h"
#include "module/Kalvo5VST2.h"

namespace kalvo5::bench {
namespace {

void LongestBlockWhileTheDialogueWindowChanges(benchmark::State& state) {
  static const std::string base = [] {
    std::string templ = (std::filesystem::temp_directory_path() / "kalvo5-bench-lock-XXXXXX").string();
    const char* made = mkdtemp(templ.data());
    return std::string(made ? made : "/tmp");
  }();
  setenv("XDG_DATA_HOME", base.c_str(), 1);
  auto plugin = std::make_unique<Kalvo5VST2<>>();
  plugin->SetParameterFromHost(kType, 1.0);  // DIAL
  plugin->ConnectChannels(iplug::kInput, 2, 6, false);
  plugin->ConnectChannels(iplug::kOutput, 2, 6, false);
  const iplug::IParam& window = *plugin->GetParam(kDIALWindow);
  const double longWindow = window.NormalizedFromValue(99999.0);
  const double shortWindow = window.NormalizedFromValue(50000.0);

  std::atomic<bool> stop{false};
  std::thread changer([&] {
    for (int n = 0; !stop.load(); ++n) {
      plugin->SetParameterFromHost(kDIALWindow, n % 2 == 0 ? longWindow : shortWindow);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  double longestUs = 0.0;
  RunBlocks<double>(state, 2, 64, 48000.0, [&](double** in, double** out, int n) {
    const auto start = std::chrono::steady_clock::now();
    plugin->ProcessAudioBlock(in, out, n);
    const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
    longestUs = std::max(longestUs, took.count());
  });
  stop = true;
  changer.join();
  state.counters["longest_block_us"] = longestUs;
}

BENCHMARK(LongestBlockWhileTheDialogueWindowChanges)->MinTime(2.0)->UseRealTime();

}  // namespace
}  // namespace kalvo5::bench

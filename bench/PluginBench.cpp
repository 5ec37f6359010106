// One whole block of the plug-in (pre-gain, routing, the active analyzer,
// pass-through, pacing) per analyzer type, layout and block size. The
// "core_percent" counter is the share of one core that one instance uses to
// keep up with real time at 48 kHz.
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "module/Kalvo5VST2.h"

namespace kalvo5::bench {
namespace {

constexpr double kRate = 48000.0;

// Instances write their data folders into a private temporary base.
void UsePrivateDataFolder() {
  static const std::string base = [] {
    std::string templ = (std::filesystem::temp_directory_path() / "kalvo5-bench-XXXXXX").string();
    const char* made = mkdtemp(templ.data());
    return std::string(made ? made : "/tmp");
  }();
  setenv("XDG_DATA_HOME", base.c_str(), 1);
}

void ProcessBlock(benchmark::State& state) {
  const int type = static_cast<int>(state.range(0));
  const int channels = static_cast<int>(state.range(1));
  const int frames = static_cast<int>(state.range(2));

  UsePrivateDataFolder();
  auto plugin = std::make_unique<Kalvo5VST2<>>();
  const bool six = channels == 6;
  plugin->SetParameterFromHost(kType, type / 2.0);
  plugin->SetParameterFromHost(kRMSChannelConfig, six ? 1.0 : 0.0);   // "6 Ch." or "Stereo"
  plugin->SetParameterFromHost(kEBUChannelConfig, six ? 1.0 : 0.25);  // "5.1" or "2.0"
  plugin->SetParameterFromHost(kDIALChannelConfig, six ? 1.0 : 0.25);
  plugin->ConnectChannels(iplug::kInput, channels, 6, false);
  plugin->ConnectChannels(iplug::kOutput, channels, 6, false);

  RunBlocks<double>(state, channels, frames, kRate,
                    [&](double** in, double** out, int n) { plugin->ProcessAudioBlock(in, out, n); });
  plugin.reset();
}

BENCHMARK(ProcessBlock)
    ->ArgNames({"type", "channels", "block"})
    ->ArgsProduct({{kTypeRMS, kTypeEBU, kTypeDIAL}, {2, 6}, {64, 512}});

}  // namespace
}  // namespace kalvo5::bench

// The whole path of one audio block through the VST 2 process callback, as a
// host calls it: the transport and process-level questions to the host, the
// 32-bit buffers converted to and from double precision, and the plug-in's
// block. The "core_percent" counter is the share of one core one instance
// needs to keep up with real time at 48 kHz.
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "framework/iplug/IPlugVST2Entry.h"
#include "module/Kalvo5VST2.h"

namespace kalvo5::bench {
namespace {

constexpr double kRate = 48000.0;

// A host whose transport plays; every other question gets 0.
vst2::VstIntPtr PlayingHost(vst2::AEffect*, vst2::VstInt32 opcode, vst2::VstInt32, vst2::VstIntPtr, void*,
                            float) {
  static vst2::VstTimeInfo time = [] {
    vst2::VstTimeInfo t{};
    t.sampleRate = kRate;
    t.tempo = 120.0;
    t.flags = vst2::kVstTransportPlaying | vst2::kVstTempoValid;
    return t;
  }();
  if (opcode == vst2::audioMasterGetTime) return reinterpret_cast<vst2::VstIntPtr>(&time);
  if (opcode == vst2::audioMasterGetCurrentProcessLevel) return vst2::kVstProcessLevelRealtime;
  return 0;
}

iplug::IPlugVST2* MakeKalvo5(const iplug::InstanceInfo& info) { return new Kalvo5VST2<>(info); }

void ProcessCallback(benchmark::State& state) {
  const int type = static_cast<int>(state.range(0));
  const int channels = static_cast<int>(state.range(1));
  const int frames = static_cast<int>(state.range(2));

  // Instances write their data folders into a private temporary base.
  static const std::string base = [] {
    std::string templ = (std::filesystem::temp_directory_path() / "kalvo5-vst2-bench-XXXXXX").string();
    const char* made = mkdtemp(templ.data());
    return std::string(made ? made : "/tmp");
  }();
  setenv("XDG_DATA_HOME", base.c_str(), 1);

  vst2::AEffect* effect = iplug::CreateVST2Effect(&PlayingHost, &MakeKalvo5);
  auto dispatch = [effect](vst2::VstInt32 opcode, vst2::VstIntPtr value = 0, void* ptr = nullptr,
                           float opt = 0) { return effect->dispatcher(effect, opcode, 0, value, ptr, opt); };
  dispatch(vst2::effOpen);
  dispatch(vst2::effSetSampleRate, 0, nullptr, static_cast<float>(kRate));
  dispatch(vst2::effSetBlockSize, frames);
  vst2::VstSpeakerArrangement layout{};
  layout.numChannels = channels;
  dispatch(vst2::effSetSpeakerArrangement, reinterpret_cast<vst2::VstIntPtr>(&layout), &layout);
  const bool six = channels == 6;
  effect->setParameter(effect, kType, static_cast<float>(type) / 2.0f);
  effect->setParameter(effect, kRMSChannelConfig, six ? 1.0f : 0.0f);   // "6 Ch." or "Stereo"
  effect->setParameter(effect, kEBUChannelConfig, six ? 1.0f : 0.25f);  // "5.1" or "2.0"
  effect->setParameter(effect, kDIALChannelConfig, six ? 1.0f : 0.25f);
  effect->setParameter(effect, kWriteAutomationData, 1.0f);
  dispatch(vst2::effMainsChanged, 1);

  // 32-bit buffers, as most hosts pass them.
  RunBlocks<float>(state, channels, frames, kRate,
                   [&](float** in, float** out, int n) { effect->processReplacing(effect, in, out, n); });
  dispatch(vst2::effMainsChanged, 0);
  dispatch(vst2::effClose);
}

BENCHMARK(ProcessCallback)
    ->Name("VST2ProcessCallback")
    ->ArgNames({"type", "channels", "block"})
    ->ArgsProduct({{kTypeRMS, kTypeEBU, kTypeDIAL}, {2, 6}, {64, 512}});

}  // namespace
}  // namespace kalvo5::bench

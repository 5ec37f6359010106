// Prints the plug-in's throughput beside libebur128's, for the EBU analyzer
// in the layouts 1.0, 2.0 and 5.1 with true peak on and off. The plug-in runs
// whole, through the VST 2 process callback with 32-bit buffers, in two
// hosts' ways: one that announces the layout with effSetSpeakerArrangement
// ("arranged"), and one that never does and hands it all six buffers each
// way, the unused ones silent ("all six"). libebur128 measures I, LRA, M, S
// and true or sample peak on the same material. Each round times both on
// the same material one after the other (alternating which goes first), in
// thread CPU time; the table shows the medians.
//
//   kalvo5_throughput_table [--seconds S] [--rounds R] [--block N] [--only LAYOUT]
#include <ebur128.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "framework/iplug/IPlugVST2Entry.h"
#include "module/Kalvo5VST2.h"

namespace {

using namespace kalvo5;

constexpr double kRate = 48000.0;

struct Layout {
  const char* name;
  int channels;
  float configValue;  // normalized "EBU Channel Config"
};

constexpr Layout kLayouts[] = {{"1.0", 1, 0.0f}, {"2.0", 2, 0.25f}, {"5.1", 6, 1.0f}};

double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

vst2::VstIntPtr QuietHost(vst2::AEffect*, vst2::VstInt32 opcode, vst2::VstInt32, vst2::VstIntPtr, void*,
                          float) {
  if (opcode == vst2::audioMasterGetCurrentProcessLevel) return vst2::kVstProcessLevelRealtime;
  return 0;
}

iplug::IPlugVST2* MakeKalvo5(const iplug::InstanceInfo& info) { return new Kalvo5VST2<>(info); }

// Seconds of thread CPU time the plug-in needs for the material: the
// layout's channels, then silent ones up to the buffers the host passes.
double TimePlugin(const Layout& layout, bool truePeak, bool arranged,
                  const std::vector<std::vector<float>>& planar, int block) {
  vst2::AEffect* effect = iplug::CreateVST2Effect(&QuietHost, &MakeKalvo5);
  auto dispatch = [effect](vst2::VstInt32 opcode, vst2::VstIntPtr value = 0, void* ptr = nullptr,
                           float opt = 0) { return effect->dispatcher(effect, opcode, 0, value, ptr, opt); };
  dispatch(vst2::effOpen);
  dispatch(vst2::effSetSampleRate, 0, nullptr, static_cast<float>(kRate));
  dispatch(vst2::effSetBlockSize, block);
  if (arranged) {
    vst2::VstSpeakerArrangement arrangement{};
    arrangement.numChannels = layout.channels;
    dispatch(vst2::effSetSpeakerArrangement, reinterpret_cast<vst2::VstIntPtr>(&arrangement), &arrangement);
  }
  effect->setParameter(effect, kType, 0.5f);  // "EBU"
  effect->setParameter(effect, kEBUChannelConfig, layout.configValue);
  effect->setParameter(effect, kTruePeak, truePeak ? 1.0f : 0.0f);
  dispatch(vst2::effMainsChanged, 1);

  const std::size_t frames = planar[0].size();
  const std::size_t buffers = arranged ? planar.size() : 6;
  const std::vector<float> silence(static_cast<std::size_t>(block), 0.0f);
  std::vector<std::vector<float>> outputs(buffers, std::vector<float>(static_cast<std::size_t>(block)));
  std::vector<float*> in(buffers, const_cast<float*>(silence.data())), out(buffers);
  for (std::size_t c = 0; c < buffers; ++c) out[c] = outputs[c].data();
  const double start = ThreadSeconds();
  for (std::size_t n = 0; n + static_cast<std::size_t>(block) <= frames;
       n += static_cast<std::size_t>(block)) {
    for (std::size_t c = 0; c < planar.size(); ++c) in[c] = const_cast<float*>(planar[c].data() + n);
    effect->processReplacing(effect, in.data(), out.data(), block);
  }
  const double seconds = ThreadSeconds() - start;
  dispatch(vst2::effMainsChanged, 0);
  dispatch(vst2::effClose);
  return seconds;
}

double TimeLibebur128(const Layout& layout, bool truePeak, const std::vector<float>& interleaved, int block) {
  const int mode = EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_M | EBUR128_MODE_S |
                   (truePeak ? EBUR128_MODE_TRUE_PEAK : EBUR128_MODE_SAMPLE_PEAK);
  const auto channels = static_cast<unsigned>(layout.channels);
  ebur128_state* state = ebur128_init(channels, static_cast<unsigned long>(kRate), mode);
  if (channels == 6) {
    const int roles[6] = {EBUR128_LEFT,   EBUR128_RIGHT,         EBUR128_CENTER,
                          EBUR128_UNUSED, EBUR128_LEFT_SURROUND, EBUR128_RIGHT_SURROUND};
    for (unsigned c = 0; c < 6; ++c) ebur128_set_channel(state, c, roles[c]);
  }
  const std::size_t frames = interleaved.size() / channels;
  const double start = ThreadSeconds();
  for (std::size_t n = 0; n + static_cast<std::size_t>(block) <= frames; n += static_cast<std::size_t>(block))
    ebur128_add_frames_float(state, interleaved.data() + n * channels, static_cast<std::size_t>(block));
  double value = 0.0;
  ebur128_loudness_global(state, &value);
  ebur128_loudness_range(state, &value);
  const double seconds = ThreadSeconds() - start;
  ebur128_destroy(&state);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 120.0;
  int rounds = 5;
  int block = 512;
  std::string only;  // one layout, e.g. for a profiler
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--seconds"))
      seconds = std::atof(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--rounds"))
      rounds = std::atoi(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--block"))
      block = std::atoi(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--only"))
      only = argv[i + 1];
  }
  if (!(seconds >= 1.0) || rounds < 1 || block < 1) {
    std::fprintf(stderr, "usage: %s [--seconds S>=1] [--rounds R>=1] [--block N>=1] [--only 1.0|2.0|5.1]\n",
                 argv[0]);
    return 2;
  }

  // Instances write their data folders into a private temporary base.
  std::string base = (std::filesystem::temp_directory_path() / "kalvo5-table-XXXXXX").string();
  const bool privateBase = mkdtemp(base.data()) != nullptr;
  if (privateBase) setenv("XDG_DATA_HOME", base.c_str(), 1);

  const auto frames = static_cast<std::size_t>(seconds * kRate);
  std::vector<std::vector<float>> material;
  for (int c = 0; c < 6; ++c) {
    const std::vector<double> samples = kalvo5::bench::Material(frames, static_cast<unsigned>(c + 1));
    material.emplace_back(samples.begin(), samples.end());
  }

  std::printf("EBU, 48 kHz, %.0f s of noise, blocks of %d, median of %d paired rounds (thread CPU time)\n",
              seconds, block, rounds);
  std::printf("%-7s %-4s %-9s %16s %16s %8s\n", "layout", "TP", "host", "plug-in (x RT)", "libebur128 (x RT)",
              "ratio");
  for (const Layout& layout : kLayouts) {
    if (!only.empty() && only != layout.name) continue;
    const std::vector<std::vector<float>> planar(material.begin(), material.begin() + layout.channels);
    std::vector<float> interleaved(frames * static_cast<std::size_t>(layout.channels));
    for (std::size_t n = 0; n < frames; ++n)
      for (int c = 0; c < layout.channels; ++c)
        interleaved[n * static_cast<std::size_t>(layout.channels) + static_cast<std::size_t>(c)] =
            planar[static_cast<std::size_t>(c)][n];
    for (const bool truePeak : {true, false}) {
      for (const bool arranged : {true, false}) {
        std::vector<double> ours, theirs, ratios;
        for (int r = 0; r < rounds; ++r) {
          double a = 0.0, b = 0.0;
          if (r % 2 == 0) {
            a = TimePlugin(layout, truePeak, arranged, planar, block);
            b = TimeLibebur128(layout, truePeak, interleaved, block);
          } else {
            b = TimeLibebur128(layout, truePeak, interleaved, block);
            a = TimePlugin(layout, truePeak, arranged, planar, block);
          }
          ours.push_back(seconds / a);
          theirs.push_back(seconds / b);
          ratios.push_back(b / a);
        }
        std::printf("%-7s %-4s %-9s %16.1f %16.1f %7.2fx\n", layout.name, truePeak ? "on" : "off",
                    arranged ? "arranged" : "all six", Median(ours), Median(theirs), Median(ratios));
        std::fflush(stdout);
      }
    }
  }
  std::error_code ignored;
  if (privateBase) std::filesystem::remove_all(base, ignored);
  return 0;
}

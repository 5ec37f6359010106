// Per-frame cost of the RMS and EBU analyzers as the block driver calls
// them, the EBU analyzer beside libebur128 doing the same measurements on
// the same material, and the integrator's work per 100 ms block late in a
// long programme.
#include <benchmark/benchmark.h>
#include <ebur128.h>

#include <time.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "BenchSupport.h"
#include "engine/EBUAnalyzer.h"
#include "engine/GatedIntegrator.h"
#include "engine/RMSAnalyzer.h"
#include "engine/WeightingFilter.h"

namespace {

using kalvo5::kAnalyzerChannels;
constexpr std::size_t kFrames = 48000;  // one second at 48 kHz

// Six channels of material, frame by frame; channel c uses seed c + 1.
std::vector<double> Frames() {
  std::vector<double> frames(kFrames * kAnalyzerChannels);
  for (unsigned c = 0; c < kAnalyzerChannels; ++c) {
    const std::vector<double> channel = kalvo5::bench::Material(kFrames, c + 1);
    for (std::size_t n = 0; n < kFrames; ++n) frames[n * kAnalyzerChannels + c] = channel[n];
  }
  return frames;
}

const double (&Frame(const std::vector<double>& frames, std::size_t n))[kAnalyzerChannels] {
  return *reinterpret_cast<const double(*)[kAnalyzerChannels]>(&frames[n * kAnalyzerChannels]);
}

// The RMS path of the block driver per frame: clip lights, peaks with true
// peak, six weighting filters, the combination into the window. "Stereo".
void BM_RMSAnalyzer(benchmark::State& state) {
  const auto mode = static_cast<kalvo5::WeightingMode>(state.range(0));
  const std::vector<double> frames = Frames();
  auto analyzer = std::make_unique<kalvo5::RMSAnalyzer>();
  kalvo5::InitRMS(*analyzer, 10.0, 10000.0, 48000.0, 10000.0);
  kalvo5::WeightingFilter filters[kAnalyzerChannels];
  for (auto& f : filters) kalvo5::DesignWeighting(mode, 48000.0, f);
  const auto config = kalvo5::RMSChannelConfig::Stereo;
  const auto kind = kalvo5::RMSWeightingKindFor(mode);
  const bool leqM = mode == kalvo5::WeightingMode::LeqM;
  for (auto _ : state) {
    for (std::size_t n = 0; n < kFrames; ++n) {
      const auto& x = Frame(frames, n);
      kalvo5::ClipRMS(*analyzer, config, x);
      kalvo5::PeakRMS(*analyzer, config, x, true);
      double w[kAnalyzerChannels];
      for (int c = 0; c < kAnalyzerChannels; ++c) w[c] = kalvo5::ProcessWeighting(filters[c], x[c]);
      kalvo5::MeasureRMS(*analyzer, config, kind, leqM, w);
    }
    benchmark::DoNotOptimize(kalvo5::RMSIntegrated(*analyzer, true));
  }
  kalvo5::bench::SetPerSample(state, kFrames);
}
BENCHMARK(BM_RMSAnalyzer)->DenseRange(0, 6)->ArgName("weighting");

struct Layout {
  kalvo5::LoudnessChannelConfig config;
  unsigned channels;
  bool truePeak;
};

Layout LayoutFor(const benchmark::State& state) {
  if (state.range(0) == 0) return {kalvo5::LoudnessChannelConfig::FivePointOne, 6, true};
  return {kalvo5::LoudnessChannelConfig::Stereo, 2, false};
}

// CPU time of the calling thread in seconds: unlike the wall clock it does
// not count time the machine gave to other processes.
double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Runs the EBU analyzer per frame as the block driver does, and libebur128
// with modes I, LRA, M, S and true or sample peak over the same frames, one
// after the other in every iteration. The benchmark's time is ours; the
// counters give both costs per frame (thread CPU time) and their ratio
// (libebur128 / ours).
void BM_EBUVersusLibebur128(benchmark::State& state) {
  const Layout layout = LayoutFor(state);
  const std::vector<double> frames = Frames();
  std::vector<double> interleaved(kFrames * layout.channels);
  for (std::size_t n = 0; n < kFrames; ++n)
    for (unsigned c = 0; c < layout.channels; ++c)
      interleaved[n * layout.channels + c] = frames[n * kAnalyzerChannels + c];

  auto analyzer = std::make_unique<kalvo5::EBUAnalyzer>();
  kalvo5::InitEBU(*analyzer, 48000.0);
  const auto path = static_cast<kalvo5::SimdPath>(state.range(1));
  if (!kalvo5::SelectTruePeakBankPath(analyzer->truePeak, path) ||
      !kalvo5::SelectKWeightingBankPath(analyzer->kWeighting, path)) {
    state.SkipWithError("instruction set not available");
    return;
  }
  const int mode = EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_M | EBUR128_MODE_S |
                   (layout.truePeak ? EBUR128_MODE_TRUE_PEAK : EBUR128_MODE_SAMPLE_PEAK);
  ebur128_state* reference = ebur128_init(layout.channels, 48000, mode);
  if (layout.channels == 6) {
    const int roles[6] = {EBUR128_LEFT,   EBUR128_RIGHT,         EBUR128_CENTER,
                          EBUR128_UNUSED, EBUR128_LEFT_SURROUND, EBUR128_RIGHT_SURROUND};
    for (unsigned c = 0; c < 6; ++c) ebur128_set_channel(reference, c, roles[c]);
  }

  double oursSeconds = 0.0;
  double theirsSeconds = 0.0;
  for (auto _ : state) {
    const double start = ThreadSeconds();
    for (std::size_t n = 0; n < kFrames; ++n) {
      const auto& x = Frame(frames, n);
      kalvo5::MeterEBU(*analyzer, layout.config, layout.truePeak, x);
      kalvo5::MeasureEBU(*analyzer, layout.config, true, x);
    }
    benchmark::DoNotOptimize(kalvo5::EBUShortTerm(*analyzer));
    const double middle = ThreadSeconds();
    ebur128_add_frames_double(reference, interleaved.data(), kFrames);
    double shortTerm = 0.0;
    ebur128_loudness_shortterm(reference, &shortTerm);
    benchmark::DoNotOptimize(shortTerm);
    const double end = ThreadSeconds();

    oursSeconds += middle - start;
    theirsSeconds += end - middle;
    state.SetIterationTime(middle - start);
  }
  ebur128_destroy(&reference);

  const double totalFrames = static_cast<double>(state.iterations()) * kFrames;
  state.counters["ours_ns_per_frame"] = oursSeconds * 1e9 / totalFrames;
  state.counters["libebur128_ns_per_frame"] = theirsSeconds * 1e9 / totalFrames;
  state.counters["speedup"] = theirsSeconds / oursSeconds;
}
// layout 0: "5.1" with true peak; 1: "2.0" with sample peak. path 0: SSE2
// only; 1: AVX2 with FMA.
BENCHMARK(BM_EBUVersusLibebur128)
    ->ArgsProduct({{0, 1}, {1, 0}})
    ->ArgNames({"layout", "path"})
    ->UseManualTime();

// One momentary block into the EBU integrator after `hours` of 100 ms
// blocks (programme loudness spread around -23 LUFS): the work the analyzer
// adds to the sample that ends a block.
void BM_GatedIntegratorBlock(benchmark::State& state) {
  constexpr int kBlocksPerHour = 36000;
  std::mt19937 rng(3);
  std::normal_distribution<double> loudness(-23.0, 6.0);
  std::vector<double> values(1 << 16);
  for (double& v : values) v = std::pow(10.0, (loudness(rng) + 0.691) / 10.0);
  auto integrator = std::make_unique<kalvo5::GatedIntegrator>();
  kalvo5::InitGatedIntegrator(*integrator, kBlocksPerHour, -70.0, -10.0, -141.0);
  const auto history = static_cast<std::size_t>(state.range(0) * kBlocksPerHour);
  for (std::size_t n = 0; n < history; ++n)
    kalvo5::UpdateGatedIntegrator(*integrator, values[n % values.size()]);
  std::size_t n = 0;
  for (auto _ : state) {
    kalvo5::UpdateGatedIntegrator(*integrator, values[n++ % values.size()]);
    benchmark::DoNotOptimize(integrator->gated);
  }
}
BENCHMARK(BM_GatedIntegratorBlock)->Arg(1)->Arg(24)->ArgName("hours");

}  // namespace

// Per-sample cost of the weighting filters and the true-peak detector, and
// of libebur128's true-peak path on the same material.
#include <benchmark/benchmark.h>
#include <ebur128.h>

#include "BenchSupport.h"
#include "engine/TruePeakDetector.h"
#include "engine/WeightingFilter.h"

namespace {

constexpr std::size_t kSamples = 48000;

void BM_ProcessWeighting(benchmark::State& state) {
  const auto mode = static_cast<kalvo5::WeightingMode>(state.range(0));
  const std::vector<double> x = kalvo5::bench::Material(kSamples);
  kalvo5::WeightingFilter filter;
  kalvo5::DesignWeighting(mode, 48000.0, filter);
  for (auto _ : state) {
    double acc = 0;
    for (double v : x) acc += kalvo5::ProcessWeighting(filter, v);
    benchmark::DoNotOptimize(acc);
  }
  kalvo5::bench::SetPerSample(state, kSamples);
}
BENCHMARK(BM_ProcessWeighting)->DenseRange(0, 6)->ArgName("mode");

void BM_ProcessTruePeak(benchmark::State& state) {
  const double rate = static_cast<double>(state.range(0));
  const std::vector<double> x = kalvo5::bench::Material(kSamples);
  kalvo5::TruePeakDetector detector;
  kalvo5::InitTruePeak(detector, rate);
  for (auto _ : state) {
    for (double v : x) kalvo5::ProcessTruePeak(detector, v);
    benchmark::DoNotOptimize(detector.maxHold);
  }
  kalvo5::bench::SetPerSample(state, kSamples);
}
// 48 kHz: 4x, 96 kHz: 2x, 192 kHz: none.
BENCHMARK(BM_ProcessTruePeak)->Arg(48000)->Arg(96000)->Arg(192000)->ArgName("rate");

// libebur128 in true-peak mode on one channel (its per-sample path includes
// its own interpolator and sample-peak tracking).
void BM_Libebur128TruePeak(benchmark::State& state) {
  const auto rate = static_cast<unsigned long>(state.range(0));
  const std::vector<double> x = kalvo5::bench::Material(kSamples);
  ebur128_state* st = ebur128_init(1, rate, EBUR128_MODE_TRUE_PEAK);
  for (auto _ : state) {
    ebur128_add_frames_double(st, x.data(), x.size());
    double peak = 0;
    ebur128_true_peak(st, 0, &peak);
    benchmark::DoNotOptimize(peak);
  }
  ebur128_destroy(&st);
  kalvo5::bench::SetPerSample(state, kSamples);
}
BENCHMARK(BM_Libebur128TruePeak)->Arg(48000)->Arg(96000)->Arg(192000)->ArgName("rate");

}  // namespace

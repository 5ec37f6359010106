// Shared by the benchmarks: programme-like material and per-sample counters.
#pragma once

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

namespace kalvo5::bench {

// Reproducible noise with a slow level envelope, so filters and detectors
// see realistic values.
inline std::vector<double> Material(std::size_t count, unsigned seed = 1) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> dist(0.0, 0.2);
  std::vector<double> out(count);
  for (std::size_t n = 0; n < count; ++n)
    out[n] = dist(rng) * (0.6 + 0.4 * std::sin(static_cast<double>(n) * 1e-4));
  return out;
}

// Reports the time per processed sample (or frame) as "per_sample", printed
// with an SI prefix, beside the items-per-second rate.
inline void SetPerSample(benchmark::State& state, std::size_t samplesPerIteration) {
  const auto total = static_cast<double>(state.iterations()) * static_cast<double>(samplesPerIteration);
  state.SetItemsProcessed(static_cast<int64_t>(total));
  state.counters["per_sample"] =
      benchmark::Counter(total, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Runs `process(inputs, outputs, frames)` once per benchmark iteration over a
// few seconds of multi-channel material in Sample precision (double or
// float), walked through block by block, and reports "core_percent": the
// share of one core one instance needs to keep up with real time at the rate.
template <typename Sample, typename Process>
void RunBlocks(benchmark::State& state, int channels, int frames, double sampleRate, Process process) {
  const auto count = static_cast<std::size_t>(channels);
  const auto blockFrames = static_cast<std::size_t>(frames);
  const auto span = static_cast<std::size_t>(4 * sampleRate);
  std::vector<std::vector<Sample>> material;
  for (int c = 0; c < channels; ++c) {
    const std::vector<double> samples = Material(span + blockFrames, static_cast<unsigned>(c + 1));
    material.emplace_back(samples.begin(), samples.end());
  }
  std::vector<std::vector<Sample>> outputs(count, std::vector<Sample>(blockFrames));
  std::vector<Sample*> in(count), out(count);
  for (std::size_t c = 0; c < count; ++c) out[c] = outputs[c].data();

  std::size_t offset = 0;
  for (auto _ : state) {
    for (std::size_t c = 0; c < count; ++c) in[c] = material[c].data() + offset;
    process(in.data(), out.data(), frames);
    benchmark::DoNotOptimize(out[0][0]);
    offset = (offset + blockFrames) % span;
  }

  const double blockSeconds = frames / sampleRate;
  state.counters["core_percent"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * blockSeconds / 100.0,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  SetPerSample(state, blockFrames);
}

}  // namespace kalvo5::bench

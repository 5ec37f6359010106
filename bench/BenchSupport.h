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

}  // namespace kalvo5::bench

// Programme-like material shared by the benchmarks: reproducible noise with a
// slow level envelope, so filters and detectors see realistic values.
#pragma once

#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

namespace kalvo5::bench {

inline std::vector<double> Material(std::size_t count, unsigned seed = 1) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> dist(0.0, 0.2);
  std::vector<double> out(count);
  for (std::size_t n = 0; n < count; ++n)
    out[n] = dist(rng) * (0.6 + 0.4 * std::sin(static_cast<double>(n) * 1e-4));
  return out;
}

}  // namespace kalvo5::bench

#include "engine/FFT.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <numbers>
#include <vector>

#include "support/Signals.h"

namespace kalvo5 {
namespace {

// The O(n^2) definition in double precision.
std::vector<std::complex<double>> NaiveDft(const std::vector<float>& re, const std::vector<float>& im) {
  const std::size_t n = re.size();
  std::vector<std::complex<double>> out(n);
  for (std::size_t k = 0; k < n; ++k) {
    std::complex<double> acc = 0.0;
    for (std::size_t m = 0; m < n; ++m) {
      const double angle =
          -2.0 * std::numbers::pi * static_cast<double>((k * m) % n) / static_cast<double>(n);
      acc += std::complex<double>(re[m], im[m]) * std::polar(1.0, angle);
    }
    out[k] = acc;
  }
  return out;
}

std::vector<float> ToFloat(const std::vector<double>& x) { return {x.begin(), x.end()}; }

TEST(ComputeFFT, MatchesTheDefinitionAtEverySupportedLength) {
  for (int n : {128, 256, 512, 1024}) {
    const auto count = static_cast<std::size_t>(n);
    std::vector<float> re = ToFloat(test::Noise(static_cast<std::uint32_t>(n), 30000.0, count));
    std::vector<float> im = ToFloat(test::Noise(static_cast<std::uint32_t>(n + 1), 30000.0, count));
    const auto expected = NaiveDft(re, im);
    ASSERT_EQ(ComputeFFT(re.data(), im.data(), n), 0);
    // Relative to the spectrum's scale (sqrt(n) times the input's), single
    // precision with rotated twiddles stays within 7e-6 up to n = 1024.
    const double scale = 30000.0 * std::sqrt(static_cast<double>(n));
    for (std::size_t k = 0; k < count; ++k) {
      const double error = std::abs(std::complex<double>(re[k], im[k]) - expected[k]);
      ASSERT_LT(error, 2e-5 * scale) << "n " << n << " bin " << k;
    }
  }
}

TEST(ComputeFFT, RefusesOtherLengthsAndLeavesTheArraysAlone) {
  std::vector<float> re = ToFloat(test::Noise(3, 1.0, 2048));
  std::vector<float> im = ToFloat(test::Noise(4, 1.0, 2048));
  const std::vector<float> re0 = re, im0 = im;
  for (int n : {-1024, -1, 0, 1, 2, 64, 100, 127, 129, 384, 1000, 2048, 4096}) {
    EXPECT_EQ(ComputeFFT(re.data(), im.data(), n), -1) << n;
    ASSERT_EQ(std::memcmp(re.data(), re0.data(), re.size() * sizeof(float)), 0) << n;
    ASSERT_EQ(std::memcmp(im.data(), im0.data(), im.size() * sizeof(float)), 0) << n;
  }
  EXPECT_EQ(ComputeFFT(nullptr, im.data(), 256), -1);
  EXPECT_EQ(ComputeFFT(re.data(), nullptr, 256), -1);
}

}  // namespace
}  // namespace kalvo5

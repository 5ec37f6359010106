#include "support/Signals.h"

#include <cmath>
#include <numbers>
#include <random>

namespace kalvo5::test {

std::vector<double> Sine(double frequency, double sampleRate, double amplitude, std::size_t count,
                         double phase) {
  std::vector<double> out(count);
  const double w = 2.0 * std::numbers::pi * frequency / sampleRate;
  for (std::size_t n = 0; n < count; ++n) out[n] = amplitude * std::sin(w * static_cast<double>(n) + phase);
  return out;
}

std::vector<double> Noise(std::uint32_t seed, double amplitude, std::size_t count) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> dist(-amplitude, amplitude);
  std::vector<double> out(count);
  for (double& v : out) v = dist(rng);
  return out;
}

double FittedAmplitude(const std::vector<double>& y, double frequency, double sampleRate) {
  // Normal equations of y ~ a sin + b cos + c, solved by Cramer's rule.
  const double w = 2.0 * std::numbers::pi * frequency / sampleRate;
  double ss = 0, sc = 0, s1 = 0, cc = 0, c1 = 0, n1 = 0, ys = 0, yc = 0, y1 = 0;
  for (std::size_t n = 0; n < y.size(); ++n) {
    const double s = std::sin(w * static_cast<double>(n));
    const double c = std::cos(w * static_cast<double>(n));
    ss += s * s;
    sc += s * c;
    s1 += s;
    cc += c * c;
    c1 += c;
    n1 += 1.0;
    ys += y[n] * s;
    yc += y[n] * c;
    y1 += y[n];
  }
  const double m[3][3] = {{ss, sc, s1}, {sc, cc, c1}, {s1, c1, n1}};
  const double r[3] = {ys, yc, y1};
  auto det = [](const double a[3][3]) {
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
           a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  };
  const double d = det(m);
  double solution[2];
  for (int k = 0; k < 2; ++k) {
    double mk[3][3];
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) mk[i][j] = j == k ? r[i] : m[i][j];
    solution[k] = det(mk) / d;
  }
  return std::hypot(solution[0], solution[1]);
}

double MeanSquareDb(const double* y, std::size_t count) {
  double sum = 0.0;
  for (std::size_t n = 0; n < count; ++n) sum += y[n] * y[n];
  return 10.0 * std::log10(sum / static_cast<double>(count));
}

std::vector<double> Interleave(const std::vector<std::vector<double>>& channels) {
  const std::size_t frames = channels.empty() ? 0 : channels[0].size();
  std::vector<double> out(frames * channels.size());
  for (std::size_t n = 0; n < frames; ++n)
    for (std::size_t c = 0; c < channels.size(); ++c) out[n * channels.size() + c] = channels[c][n];
  return out;
}

}  // namespace kalvo5::test

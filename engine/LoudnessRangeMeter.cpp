#include "LoudnessRangeMeter.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "LevelScale.h"

namespace kalvo5 {
namespace {

constexpr double kFloor = -70.0;  // loudness of bin 0
constexpr double kCeiling = 30.0;

double BinLoudness(int k) { return k / 10.0 + kFloor; }

int BinOf(double loudness) {
  return static_cast<int>((std::min(std::max(loudness, kFloor), kCeiling) - kFloor) * 10.0);
}

// Position in the ascending list of a values nearest to the percentile.
std::int64_t PercentileIndex(std::int64_t a, double percentile) {
  return static_cast<std::int64_t>(std::floor(static_cast<double>(a - 1) * percentile / 100.0 + 0.5));
}

// The loudness of the element at `index` of the ascending list formed by the
// bins from `first` on, each repeated by its count.
double ListElement(const LoudnessRangeMeter& m, int first, std::int64_t index) {
  std::int64_t seen = 0;
  for (int k = first; k < kRangeBins; ++k) {
    seen += m.histogram[static_cast<std::size_t>(k)];
    if (seen > index) return BinLoudness(k);
  }
  return BinLoudness(kRangeBins - 1);
}

}  // namespace

void InitLoudnessRangeMeter(LoudnessRangeMeter& m, double absoluteGate, double relativeGate,
                            double lowPercentile, double highPercentile) {
  m.absoluteGate = absoluteGate;
  m.relativeGate = relativeGate;
  m.lowPercentile = lowPercentile;
  m.highPercentile = highPercentile;
  for (int k = 0; k < kRangeBins; ++k) {
    const double level = BinLoudness(k);
    m.binEnergy[static_cast<std::size_t>(k)] =
        level > kSilenceDb ? std::pow(10.0, (level + 0.691) / 10.0) : 0.0;
  }
  ResetLoudnessRangeMeter(m);
}

void ResetLoudnessRangeMeter(LoudnessRangeMeter& m) {
  m.count = 0;
  m.histogram.fill(0);
  m.energy = 0.0;
  m.gatedLoudness = kSilenceDb;
  m.relativeThreshold = kSilenceDb;
  m.low = kSilenceDb;
  m.high = kSilenceDb;
  m.lra = kSilenceDb;
}

void UpdateLoudnessRangeMeter(LoudnessRangeMeter& m, double s) {
  const double level = MeanSquareToLoudness(s);
  if (!std::isfinite(level) || !(level >= m.absoluteGate)) return;

  ++m.histogram[static_cast<std::size_t>(BinOf(level))];
  ++m.count;

  // Summed from the histogram rather than kept running: exact, and cheap at
  // one update per block.
  double energy = 0.0;
  for (int k = 0; k < kRangeBins; ++k)
    energy += static_cast<double>(m.histogram[static_cast<std::size_t>(k)]) *
              m.binEnergy[static_cast<std::size_t>(k)];
  m.energy = energy;
  m.gatedLoudness = MeanSquareToLoudness(energy / static_cast<double>(m.count));
  m.relativeThreshold = m.gatedLoudness + m.relativeGate;

  // The gated list starts at the first bin at or above the threshold.
  int first = 0;
  while (first < kRangeBins && BinLoudness(first) < m.relativeThreshold) ++first;
  std::int64_t a = 0;
  for (int k = first; k < kRangeBins; ++k) a += m.histogram[static_cast<std::size_t>(k)];
  if (a == 0) {
    m.low = m.high = m.gatedLoudness;
    m.lra = 0.0;
    return;
  }
  m.low = ListElement(m, first, PercentileIndex(a, m.lowPercentile));
  m.high = ListElement(m, first, PercentileIndex(a, m.highPercentile));
  m.lra = RoundToTenth(std::max(m.high - m.low, 0.0));
}

}  // namespace kalvo5

#include "GatedIntegrator.h"

#include <cmath>
#include <cstddef>

#include "LevelScale.h"

namespace kalvo5 {

bool InitGatedIntegrator(GatedIntegrator& g, int capacity, double absoluteGate, double relativeGate,
                         double emptyLoudness) {
  g.absoluteGate = absoluteGate;
  g.relativeGate = relativeGate;
  g.emptyLoudness = emptyLoudness;
  const bool allocated = AllocateSlidingSum(g.values, capacity) &&
                         g.loudness.Allocate(static_cast<std::size_t>(g.values.length));
  if (!allocated) g.values.length = 0;
  ResetGatedIntegrator(g);
  return allocated;
}

void ResetGatedIntegrator(GatedIntegrator& g) {
  ResetSlidingSum(g.values);
  g.ungated = g.emptyLoudness;
  g.gated = g.emptyLoudness;
}

void UpdateGatedIntegrator(GatedIntegrator& g, double v) {
  const double level = MeanSquareToLoudness(v);
  if (!std::isfinite(level) || !(level >= g.absoluteGate) || g.values.length == 0) return;

  g.loudness[static_cast<std::size_t>(g.values.pos)] = level;
  PushSlidingSum(g.values, v);

  const int n = StoredCount(g.values);
  g.ungated = MeanSquareToLoudness(g.values.sum / n);
  const double threshold = g.ungated + g.relativeGate;
  const double* stored = g.values.ring.data();
  const double* levels = g.loudness.data();
  double sum = 0.0;
  int count = 0;
  for (int i = 0; i < n; ++i) {
    if (levels[i] >= threshold) {
      sum += stored[i];
      ++count;
    }
  }
  g.gated = MeanSquareToLoudness(count > 0 ? sum / count : 0.0);
}

}  // namespace kalvo5

#include "LoudnessPiece.h"

#include <cmath>

#include "SimdVector.h"

namespace kalvo5 {
namespace {

// The true peak and meter of a channel fed zeros stay as they are once the
// detector's history is zero and the meter has fallen to 0.
bool MeterAtRest(const LoudnessPieceParts& parts, int c, bool truePeakOn) {
  const ChannelPeakMeter& m = parts.meters[c];
  return m.peak == 0.0 && m.light == 0.0 && (!truePeakOn || ChannelHistoryIsZero(parts.truePeak, c));
}

// Every sample of x[0 ... n-1] is finite: x - x is 0 exactly for a finite x
// and NaN otherwise, so the differences sum to 0 or to NaN. Reads only, in
// two-lane registers.
bool AllFinite(const double* x, int n) {
  simd::Vec2 sum0 = {}, sum1 = {};
  int k = 0;
  for (; k + 4 <= n; k += 4) {
    const simd::Vec2 a = simd::Load<simd::Vec2>(x + k);
    const simd::Vec2 b = simd::Load<simd::Vec2>(x + k + 2);
    sum0 += a - a;
    sum1 += b - b;
  }
  const simd::Vec2 sum = sum0 + sum1;
  double rest = sum[0] + sum[1];
  for (; k < n; ++k) rest += x[k] - x[k];
  return rest == 0.0;
}

}  // namespace

void InitLoudnessPieceState(LoudnessPieceState& state, double fs) {
  // The slowest K-weighting pole (the 38 Hz high-pass) fades by far more
  // than 10^-20 in amplitude within a second.
  state.filterSettle = static_cast<std::int64_t>(fs) + 1;
  ResetLoudnessPieceState(state);
}

void ResetLoudnessPieceState(LoudnessPieceState& state) {
  for (std::int64_t& idle : state.filterIdle)
    idle = state.filterSettle;  // cleared filters have nothing to fade
}

void MarkAllChannelsFiltered(LoudnessPieceState& state) {
  for (std::int64_t& idle : state.filterIdle) idle = 0;
}

LoudnessPiece PrepareLoudnessPiece(LoudnessPieceState& state, const LoudnessPieceParts& parts,
                                   LoudnessChannelConfig config, bool truePeakOn, bool measuring,
                                   const double* const* x, int done, int n) {
  static constexpr double kZeros[kLoudnessPieceFrames] = {};
  LoudnessPiece piece;
  piece.frames = n;
  const int count = MeasuredChannels(config).count;  // every layout starts at channel 0

  // The layout's samples, non-finite ones as 0 (x - x is 0 exactly for
  // finite x); zeros for the other channels. Samples that are all finite,
  // as they nearly always are, are taken where they are.
  for (int c = 0; c < kAnalyzerChannels; ++c) {
    if (c >= count) {
      piece.input[c] = kZeros;
      continue;
    }
    const double* src = x[c] + done;
    if (AllFinite(src, n)) {
      piece.input[c] = src;
      continue;
    }
    double* dst = state.input[c];
    for (int k = 0; k < n; ++k) dst[k] = src[k] - src[k] == 0.0 ? src[k] : 0.0;
    piece.input[c] = dst;
  }

  // True peaks, or sample magnitudes, of the metered channels (or, for
  // meters that take them, the samples themselves).
  const double* metered[kAnalyzerChannels];
  double* estimates[kAnalyzerChannels];
  const double* magnitudes[kAnalyzerChannels];
  for (int c = 0; c < kAnalyzerChannels; ++c) {
    metered[c] = c < count || !MeterAtRest(parts, c, truePeakOn) ? piece.input[c] : nullptr;
    estimates[c] = state.estimate[c];
    magnitudes[c] = estimates[c];
  }
  if (truePeakOn) {
    ProcessTruePeakBankBlock(parts.truePeak, metered, n, estimates);
  } else if (parts.metersTake == MeterValues::Samples) {
    for (int c = 0; c < kAnalyzerChannels; ++c) magnitudes[c] = metered[c];
    piece.meterValues = MeterValues::Samples;
  } else {
    for (int c = 0; c < kAnalyzerChannels; ++c)
      if (metered[c])
        for (int k = 0; k < n; ++k) estimates[c][k] = std::fabs(metered[c][k]);
  }
  for (int c = 0; c < kAnalyzerChannels; ++c) {
    if (!metered[c]) continue;
    piece.meters[piece.meterCount] = &parts.meters[c];
    piece.magnitudes[piece.meterCount++] = magnitudes[c];
  }

  // K-weighting of the layout and of the channels still fading.
  int extent = count;
  for (int c = count; c < kAnalyzerChannels; ++c)
    if (state.filterIdle[c] < state.filterSettle) extent = c + 1;
  double* y[kAnalyzerChannels];
  for (int c = 0; c < kAnalyzerChannels; ++c) y[c] = state.weighted[c];
  const int filtered = ProcessKWeightingBankBlock(parts.kWeighting, extent, piece.input, y, n);
  for (int c = 0; c < filtered; ++c) state.filterIdle[c] = c < count ? 0 : state.filterIdle[c] + n;
  if (!measuring) return piece;

  // The weighted squares of the layout and of the channels still fading; a
  // channel filtered only because it shares a register with one of them
  // has settled, and its residue is dropped. The first channel's terms are
  // stored as they are (0 + t is t), the others added in channel order, as
  // the per-sample forms sum them.
  const LoudnessWeights& weights = LoudnessChannelWeights(config);
  double* z = state.power;
  const double g0 = extent > 0 ? weights.g[0] : 0.0;
  int next = 1;
  if (extent >= 2) {
    const double g1 = weights.g[1];
    for (int k = 0; k < n; ++k) z[k] = g0 * (y[0][k] * y[0][k]) + g1 * (y[1][k] * y[1][k]);
    next = 2;
  } else {
    for (int k = 0; k < n; ++k) z[k] = g0 * (y[0][k] * y[0][k]);
  }
  for (int c = next; c < extent; ++c) {
    const double g = weights.g[c];
    const double* yc = y[c];
    for (int k = 0; k < n; ++k) z[k] += g * (yc[k] * yc[k]);
  }
  piece.power = z;
  return piece;
}

}  // namespace kalvo5

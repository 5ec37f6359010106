#include "TruePeakBank.h"

#include "SimdVector.h"

namespace kalvo5 {

void InitTruePeakBank(TruePeakBank& bank, double sampleRate, TruePeakSums sums) {
  TruePeakDesign& d = bank.design;
  DesignTruePeak(d, sampleRate);
  bank.sums = sums;
  for (auto& row : bank.pairSum)
    for (double& v : row) v = 0.0;
  for (auto& row : bank.pairDiff)
    for (double& v : row) v = 0.0;
  if (d.factor > 1) {
    // Halving is exact, so S + D and S - D are the phases' own sums.
    for (int j = 0; j < d.factor / 2; ++j) {
      for (int m = 0; m < d.history / 2; ++m) {
        const double a = d.phaseTaps[m][j];
        const double b = d.phaseTaps[d.history - 1 - m][j];
        bank.pairSum[j][m] = (a + b) * 0.5;
        bank.pairDiff[j][m] = (a - b) * 0.5;
      }
    }
  }
  ResetTruePeakBank(bank);
}

void ResetTruePeakBank(TruePeakBank& bank) {
  for (auto& row : bank.history)
    for (double& v : row) v = 0.0;
  for (double& v : bank.current) v = 0.0;
  for (double& v : bank.maxHold) v = 0.0;
  bank.writePos = 0;
}

bool SelectTruePeakBankPath(TruePeakBank& bank, SimdPath path) {
  if (!SimdPathSupported(path)) return false;
  bank.design.path = path;
  return true;
}

double LargestMaxHold(const TruePeakBank& bank) {
  double hold = 0.0;
  for (int c = 0; c < kTruePeakBankChannels; ++c)
    if (bank.maxHold[c] > hold) hold = bank.maxHold[c];
  return hold;
}

namespace {

using simd::Vec2;
using simd::Vec4;

// One group of lanes (channels 0-3 as Vec4 or 4-5 as Vec2) starting at lane
// kFirst, for oversampling L with kHistory = 48 / L input samples per phase.
template <int L, typename V, int kFirst>
[[gnu::always_inline]] inline void InterpolateLanes(TruePeakBank& bank, const double* x, int pos) {
  constexpr int kHistory = kTruePeakTaps / L;
  constexpr int kPairs = L / 2;
  const TruePeakDesign& d = bank.design;
  const V input = simd::GatherLanes<V, kFirst>(x);
  const V scaled = d.factorAsDouble * input;
  simd::Store(&bank.history[pos][kFirst], scaled);
  simd::Store(&bank.history[pos + kHistory][kFirst], scaled);
  // Row newest - m holds the input m samples back.
  const int newest = pos + kHistory;

  V sum[kPairs] = {};
  V diff[kPairs] = {};
  for (int m = 0; m < kHistory / 2; ++m) {
    const V recent = m == 0 ? scaled : simd::Load<V>(&bank.history[newest - m][kFirst]);
    const V old = simd::Load<V>(&bank.history[newest - (kHistory - 1 - m)][kFirst]);
    const V u = recent + old;
    const V w = recent - old;
    for (int j = 0; j < kPairs; ++j) {
      sum[j] += bank.pairSum[j][m] * u;
      diff[j] += bank.pairDiff[j][m] * w;
    }
  }
  // The raw sample takes part in the maximum and is scaled like the rest.
  V peak = simd::Abs(input);
  for (int j = 0; j < kPairs; ++j) peak = simd::Max(peak, simd::Abs(sum[j]) + simd::Abs(diff[j]));
  const V current = peak * d.norm;
  simd::Store(&bank.current[kFirst], current);
  simd::Store(&bank.maxHold[kFirst], simd::Max(simd::Load<V>(&bank.maxHold[kFirst]), current));
}

// The lane groups: three of two lanes where registers hold two (SSE2),
// channels 0-3 and 4-5 where they hold four (AVX).
template <int L, bool kWide>
[[gnu::always_inline]] inline void Interpolate(TruePeakBank& bank, const double* x) {
  constexpr int kHistory = kTruePeakTaps / L;
  const int pos = bank.writePos;
  if constexpr (kWide) {
    InterpolateLanes<L, Vec4, 0>(bank, x, pos);
  } else {
    InterpolateLanes<L, Vec2, 0>(bank, x, pos);
    InterpolateLanes<L, Vec2, 2>(bank, x, pos);
  }
  InterpolateLanes<L, Vec2, 4>(bank, x, pos);
  bank.writePos = pos + 1 == kHistory ? 0 : pos + 1;
}

// No oversampling: the sample magnitude, scaled by norm (1).
[[gnu::always_inline]] inline void SamplePeaks(TruePeakBank& bank, const double* x) {
  for (int c = 0; c < kTruePeakBankChannels; ++c) {
    const double current = (x[c] < 0.0 ? -x[c] : x[c]) * bank.design.norm;
    bank.current[c] = current;
    if (current > bank.maxHold[c]) bank.maxHold[c] = current;
  }
}

template <bool kWide>
[[gnu::always_inline]] inline void Process(TruePeakBank& bank, const double* x) {
  switch (bank.design.factor) {
    case 4:
      return Interpolate<4, kWide>(bank, x);
    case 2:
      return Interpolate<2, kWide>(bank, x);
    default:
      return SamplePeaks(bank, x);
  }
}

void ProcessBaseline(TruePeakBank& bank, const double* x) { Process<false>(bank, x); }

KALVO5_AVX2_FMA_TARGET void ProcessAvx2Fma(TruePeakBank& bank, const double* x) { Process<true>(bank, x); }

// The block form works per channel, across time: the channel's history
// (oldest first) followed by the block's scaled samples lies in one line, and
// each vector holds the estimates of consecutive samples. Each estimate sums
// the same products in the same order as InterpolateLanes.
constexpr int kLineHistory = kTruePeakTaps - 1;

// Estimates for samples n ... n + width(V) - 1; `line` points at the scaled
// sample n, the history of length kHistory before it.
template <int L, typename V>
[[gnu::always_inline]] inline V EstimateAt(const TruePeakBank& bank, const double* line, const double* raw) {
  constexpr int kHistory = kTruePeakTaps / L;
  constexpr int kPairs = L / 2;
  V sum[kPairs] = {};
  V diff[kPairs] = {};
  for (int m = 0; m < kHistory / 2; ++m) {
    const V recent = simd::Load<V>(line - m);
    const V old = simd::Load<V>(line - (kHistory - 1 - m));
    const V u = recent + old;
    const V w = recent - old;
    for (int j = 0; j < kPairs; ++j) {
      sum[j] += bank.pairSum[j][m] * u;
      diff[j] += bank.pairDiff[j][m] * w;
    }
  }
  V peak = simd::Abs(simd::Load<V>(raw));
  for (int j = 0; j < kPairs; ++j) peak = simd::Max(peak, simd::Abs(sum[j]) + simd::Abs(diff[j]));
  return peak * bank.design.norm;
}

// The same estimates summed as TruePeakDetector sums them: each phase's
// products in the order m = 0, 1, ..., as kSplit interleaved partial sums
// (even and odd m when 2) added at the end. Each lane repeats the
// detector's operations on its phase lane, so the bits are the detector's.
template <int L, typename V, int kSplit>
[[gnu::always_inline]] inline V EstimatePhaseByPhase(const TruePeakBank& bank, const double* line,
                                                     const double* raw) {
  constexpr int kHistory = kTruePeakTaps / L;
  const TruePeakDesign& d = bank.design;
  V acc[kSplit][L] = {};
  for (int m = 0; m < kHistory; m += kSplit) {
    for (int s = 0; s < kSplit; ++s) {
      const V input = simd::Load<V>(line - (m + s));
      for (int i = 0; i < L; ++i) acc[s][i] += d.phaseTaps[m + s][i] * input;
    }
  }
  V peak = simd::Abs(simd::Load<V>(raw));
  for (int i = 0; i < L; ++i) {
    V sum = acc[0][i];
    for (int s = 1; s < kSplit; ++s) sum += acc[s][i];
    peak = simd::Max(peak, simd::Abs(sum));
  }
  return peak * d.norm;
}

template <int L, typename V, TruePeakSums kSums, int kSplit>
[[gnu::always_inline]] inline V Estimate(const TruePeakBank& bank, const double* line, const double* raw) {
  if constexpr (kSums == TruePeakSums::PhaseByPhase)
    return EstimatePhaseByPhase<L, V, kSplit>(bank, line, raw);
  else
    return EstimateAt<L, V>(bank, line, raw);
}

// The largest of `hold` and x[0 ... n-1], each estimate replacing the hold
// only when greater (so a NaN never does), in lanes side by side rather
// than one chain of comparisons. Exact, as every maximum is.
template <typename V>
[[gnu::always_inline]] inline double HoldOf(const double* x, int n, double hold) {
  constexpr int kWidth = static_cast<int>(sizeof(V) / sizeof(double));
  V top0 = V{} + hold;
  V top1 = top0;
  int k = 0;
  for (; k + 2 * kWidth <= n; k += 2 * kWidth) {
    top0 = simd::Max(simd::Load<V>(x + k), top0);
    top1 = simd::Max(simd::Load<V>(x + k + kWidth), top1);
  }
  hold = simd::LargestLane(simd::Max(top0, top1));
  for (; k < n; ++k) hold = x[k] > hold ? x[k] : hold;
  return hold;
}

template <int L, typename V, TruePeakSums kSums, int kSplit>
[[gnu::always_inline]] inline void ChannelBlock(TruePeakBank& bank, int c, const double* x, int frames,
                                                double* current) {
  constexpr int kHistory = kTruePeakTaps / L;
  constexpr int kWidth = static_cast<int>(sizeof(V) / sizeof(double));
  const TruePeakDesign& d = bank.design;
  // line[kLineHistory - 1 - a] holds the input a samples before the block.
  double line[kLineHistory + kTruePeakBlockFrames];
  const int pos = bank.writePos;
  for (int a = 0; a < kHistory - 1; ++a) {
    const int row = (pos - 1 - a + 2 * kHistory) % kHistory;
    line[kLineHistory - 1 - a] = bank.history[row][c];
  }
  double* block = line + kLineHistory;
  for (int n = 0; n < frames; ++n) block[n] = d.factorAsDouble * x[n];

  int n = 0;
  for (; n + kWidth <= frames; n += kWidth)
    simd::Store(current + n, Estimate<L, V, kSums, kSplit>(bank, block + n, x + n));
  for (; n < frames; ++n) current[n] = Estimate<L, double, kSums, kSplit>(bank, block + n, x + n);

  bank.maxHold[c] = HoldOf<V>(current, frames, bank.maxHold[c]);
  bank.current[c] = current[frames - 1];

  // The newest kHistory inputs back into the ring, at the positions the
  // per-sample form would have written them.
  const int newPos = (pos + frames) % kHistory;
  for (int a = 0; a < kHistory; ++a) {
    const int row = (newPos - 1 - a + 2 * kHistory) % kHistory;
    const double v = block[frames - 1 - a];
    bank.history[row][c] = v;
    bank.history[row + kHistory][c] = v;
  }
}

template <typename V, TruePeakSums kSums, int kSplit>
[[gnu::always_inline]] inline void Block(TruePeakBank& bank, const double* const* x, int frames,
                                         double* const* current) {
  const int factor = bank.design.factor;
  for (int c = 0; c < kTruePeakBankChannels; ++c) {
    if (!x[c]) continue;
    if (factor == 4) {
      ChannelBlock<4, V, kSums, kSplit>(bank, c, x[c], frames, current[c]);
    } else if (factor == 2) {
      ChannelBlock<2, V, kSums, kSplit>(bank, c, x[c], frames, current[c]);
    } else {
      double hold = bank.maxHold[c];
      for (int n = 0; n < frames; ++n) {
        const double v = (x[c][n] < 0.0 ? -x[c][n] : x[c][n]) * bank.design.norm;
        current[c][n] = v;
        hold = v > hold ? v : hold;
      }
      bank.maxHold[c] = hold;
      bank.current[c] = current[c][frames - 1];
    }
  }
  const int history = bank.design.history;
  if (factor > 1) bank.writePos = (bank.writePos + frames) % history;
}

// The detector's paths sum each phase in one chain (SSE2) or in two (AVX2,
// where a fused multiply-add is slow to complete).
void BlockBaseline(TruePeakBank& bank, const double* const* x, int frames, double* const* current) {
  if (bank.sums == TruePeakSums::PhaseByPhase)
    Block<Vec2, TruePeakSums::PhaseByPhase, 1>(bank, x, frames, current);
  else
    Block<Vec2, TruePeakSums::Paired, 1>(bank, x, frames, current);
}

KALVO5_AVX2_FMA_TARGET void BlockAvx2Fma(TruePeakBank& bank, const double* const* x, int frames,
                                         double* const* current) {
  if (bank.sums == TruePeakSums::PhaseByPhase)
    Block<Vec4, TruePeakSums::PhaseByPhase, 2>(bank, x, frames, current);
  else
    Block<Vec4, TruePeakSums::Paired, 1>(bank, x, frames, current);
}

}  // namespace

void ProcessTruePeakBankBlock(TruePeakBank& bank, const double* const (&x)[kTruePeakBankChannels], int frames,
                              double* const (&current)[kTruePeakBankChannels]) {
  for (int done = 0; done < frames;) {
    const int n = frames - done < kTruePeakBlockFrames ? frames - done : kTruePeakBlockFrames;
    const double* xs[kTruePeakBankChannels];
    double* cs[kTruePeakBankChannels];
    for (int c = 0; c < kTruePeakBankChannels; ++c) {
      xs[c] = x[c] ? x[c] + done : nullptr;
      cs[c] = x[c] ? current[c] + done : nullptr;
    }
    if (bank.design.path == SimdPath::Avx2Fma)
      BlockAvx2Fma(bank, xs, n, cs);
    else
      BlockBaseline(bank, xs, n, cs);
    done += n;
  }
}

bool ChannelHistoryIsZero(const TruePeakBank& bank, int c) {
  for (const auto& row : bank.history)
    if (row[c] != 0.0) return false;
  return true;
}

void ProcessTruePeakBank(TruePeakBank& bank, const double (&x)[kTruePeakBankChannels]) {
  if (bank.sums == TruePeakSums::PhaseByPhase) {
    // One sample of the block form: the estimates' bits do not depend on the
    // split.
    double estimates[kTruePeakBankChannels];
    const double* in[kTruePeakBankChannels];
    double* out[kTruePeakBankChannels];
    for (int c = 0; c < kTruePeakBankChannels; ++c) {
      in[c] = &x[c];
      out[c] = &estimates[c];
    }
    ProcessTruePeakBankBlock(bank, in, 1, out);
    return;
  }
  if (bank.design.path == SimdPath::Avx2Fma)
    ProcessAvx2Fma(bank, x);
  else
    ProcessBaseline(bank, x);
}

}  // namespace kalvo5

#include "KWeightingBank.h"

#include "SimdVector.h"

namespace kalvo5 {

void InitKWeightingBank(KWeightingBank& bank, double fs, KWeightingOrder order, double antiDenormal,
                        KWeightingBlockSums blockSums) {
  bank.order = order;
  bank.blockSums = blockSums;
  bank.antiDenormal = antiDenormal;
  if (order == KWeightingOrder::ShelfFirst) {
    DesignKShelf(bank.first, fs);
    DesignKHighPass(bank.second, fs);
  } else {
    DesignKHighPass(bank.first, fs);
    DesignKShelf(bank.second, fs);
  }
  bank.path = BestSimdPath();
  ResetKWeightingBank(bank);
}

void ResetKWeightingBank(KWeightingBank& bank) {
  bank.state[0] = KWeightingBankState{};
  bank.state[1] = KWeightingBankState{};
}

bool SelectKWeightingBankPath(KWeightingBank& bank, SimdPath path) {
  if (!SimdPathSupported(path)) return false;
  bank.path = path;
  return true;
}

namespace {

using simd::Vec2;
using simd::Vec4;

// One stage on the lanes kFirst ... kFirst + width - 1, in the order of
// StepNormalisedBiquad: ((((b0 x + b1 x1) + b2 x2) - a1 y1) - a2 y2) + offset.
template <typename V, int kFirst>
[[gnu::always_inline]] inline V Step(const BiquadCoefficients& c, KWeightingBankState& s, V x,
                                     double offset) {
  const V x1 = simd::Load<V>(&s.x1[kFirst]);
  const V x2 = simd::Load<V>(&s.x2[kFirst]);
  const V y1 = simd::Load<V>(&s.y1[kFirst]);
  const V y2 = simd::Load<V>(&s.y2[kFirst]);
  const V y = c.b0 * x + c.b1 * x1 + c.b2 * x2 - c.a1 * y1 - c.a2 * y2 + offset;
  simd::Store(&s.x2[kFirst], x1);
  simd::Store(&s.x1[kFirst], x);
  simd::Store(&s.y2[kFirst], y1);
  simd::Store(&s.y1[kFirst], y);
  return y;
}

template <typename V, int kFirst>
[[gnu::always_inline]] inline void Lanes(KWeightingBank& bank, const double* x, double* y) {
  const double offset = bank.antiDenormal;
  const V input = simd::GatherLanes<V, kFirst>(x) + offset;
  const V first = Step<V, kFirst>(bank.first.coefficients, bank.state[0], input, offset);
  simd::Store(y + kFirst, Step<V, kFirst>(bank.second.coefficients, bank.state[1], first + offset, offset));
}

// SSE2 registers hold two lanes: three groups of two.
void ProcessBaseline(KWeightingBank& bank, const double* x, double* y) {
  Lanes<Vec2, 0>(bank, x, y);
  Lanes<Vec2, 2>(bank, x, y);
  Lanes<Vec2, 4>(bank, x, y);
}

// AVX registers hold four: channels 0-3, then 4-5.
KALVO5_AVX2_FMA_TARGET void ProcessAvx2Fma(KWeightingBank& bank, const double* x, double* y) {
  Lanes<Vec4, 0>(bank, x, y);
  Lanes<Vec2, 4>(bank, x, y);
}

// One stage's history for a group of lanes, held in registers through a
// block.
template <typename V>
struct StageRegisters {
  V x1, x2, y1, y2;
};

template <typename V, int kFirst>
[[gnu::always_inline]] inline StageRegisters<V> LoadStage(const KWeightingBankState& s) {
  return {simd::Load<V>(&s.x1[kFirst]), simd::Load<V>(&s.x2[kFirst]), simd::Load<V>(&s.y1[kFirst]),
          simd::Load<V>(&s.y2[kFirst])};
}

template <typename V, int kFirst>
[[gnu::always_inline]] inline void StoreStage(KWeightingBankState& s, const StageRegisters<V>& r) {
  simd::Store(&s.x1[kFirst], r.x1);
  simd::Store(&s.x2[kFirst], r.x2);
  simd::Store(&s.y1[kFirst], r.y1);
  simd::Store(&s.y2[kFirst], r.y2);
}

// The sum of Step on registers, with the latest output's term added last:
// everything else is ready before the previous sample's output is, so the
// recursion waits for one multiply-add per sample instead of four. The
// result differs from Step's only in rounding.
template <typename V, typename Coefficients>
[[gnu::always_inline]] inline V StepRegisters(const Coefficients& c, StageRegisters<V>& r, V x,
                                              double offset) {
  const V early = c.b0 * x + c.b1 * r.x1 + c.b2 * r.x2 - c.a2 * r.y2 + offset;
  const V y = early - c.a1 * r.y1;
  r.x2 = r.x1;
  r.x1 = x;
  r.y2 = r.y1;
  r.y1 = y;
  return y;
}

// Step's sum on registers, term by term in its order.
template <typename V>
[[gnu::always_inline]] inline V StepRegistersAsPerSample(const BiquadCoefficients& c, StageRegisters<V>& r,
                                                         V x, double offset) {
  const V y = c.b0 * x + c.b1 * r.x1 + c.b2 * r.x2 - c.a1 * r.y1 - c.a2 * r.y2 + offset;
  r.x2 = r.x1;
  r.x1 = x;
  r.y2 = r.y1;
  r.y1 = y;
  return y;
}

template <KWeightingBlockSums kSums, typename V>
[[gnu::always_inline]] inline V StepBlock(const BiquadCoefficients& c, StageRegisters<V>& r, V x,
                                          double offset) {
  if constexpr (kSums == KWeightingBlockSums::AsPerSample)
    return StepRegistersAsPerSample(c, r, x, offset);
  else
    return StepRegisters(c, r, x, offset);
}

template <KWeightingBlockSums kSums, typename V, int kFirst>
[[gnu::always_inline]] inline void GroupBlock(KWeightingBank& bank, const double* const* x, double* const* y,
                                              int frames) {
  constexpr int kWidth = static_cast<int>(sizeof(V) / sizeof(double));
  const double offset = bank.antiDenormal;
  const BiquadCoefficients first = bank.first.coefficients;
  const BiquadCoefficients second = bank.second.coefficients;
  StageRegisters<V> s0 = LoadStage<V, kFirst>(bank.state[0]);
  StageRegisters<V> s1 = LoadStage<V, kFirst>(bank.state[1]);
  for (int n = 0; n < frames; ++n) {
    V in;
    for (int i = 0; i < kWidth; ++i) in[i] = x[kFirst + i][n];
    const V a = StepBlock<kSums>(first, s0, in + offset, offset);
    const V b = StepBlock<kSums>(second, s1, a + offset, offset);
    for (int i = 0; i < kWidth; ++i) y[kFirst + i][n] = b[i];
  }
  StoreStage<V, kFirst>(bank.state[0], s0);
  StoreStage<V, kFirst>(bank.state[1], s1);
}

template <KWeightingBlockSums kSums>
[[gnu::always_inline]] inline int GroupsBaseline(KWeightingBank& bank, int channels, const double* const* x,
                                                 double* const* y, int frames) {
  GroupBlock<kSums, Vec2, 0>(bank, x, y, frames);
  if (channels <= 2) return 2;
  GroupBlock<kSums, Vec2, 2>(bank, x, y, frames);
  if (channels <= 4) return 4;
  GroupBlock<kSums, Vec2, 4>(bank, x, y, frames);
  return 6;
}

// The paired kernel passes four-lane vectors through helpers of no target
// of their own, which GCC inlines into it and clang refuses; a clang build
// (the fuzzers') takes the two-lane path, which gives the same bits.
#if !defined(__clang__)
// Channels 0 and 1 through both stages in the four lanes of one AVX
// register: stage 1 of sample n in lanes 0 and 1 beside stage 2 of sample
// n - kPairSkew in lanes 2 and 3, which takes the stage 1 outputs kept from
// kPairSkew samples before. One register's operations then step both
// stages, and the value passed from stage 1 to stage 2 was ready long before
// (the lanes of one operation wait for each other). The first kPairSkew
// samples run stage 1 alone and the last kPairSkew stage 2 alone. Each lane
// computes what StepRegisters computes for it, operation for operation.
constexpr int kPairSkew = 16;

struct LaneCoefficients {
  Vec4 b0, b1, b2, a1, a2;
};

[[gnu::always_inline]] inline Vec4 Join(Vec2 low, Vec2 high) {
  return __builtin_shufflevector(low, high, 0, 1, 2, 3);
}
[[gnu::always_inline]] inline Vec2 Low(Vec4 v) { return __builtin_shufflevector(v, v, 0, 1); }
[[gnu::always_inline]] inline Vec2 High(Vec4 v) { return __builtin_shufflevector(v, v, 2, 3); }

KALVO5_AVX2_FMA_TARGET void PairBothStages(KWeightingBank& bank, const double* const* x, double* const* y,
                                           int frames) {
  const double offset = bank.antiDenormal;
  const BiquadCoefficients& f = bank.first.coefficients;
  const BiquadCoefficients& g = bank.second.coefficients;
  StageRegisters<Vec2> s0 = LoadStage<Vec2, 0>(bank.state[0]);
  StageRegisters<Vec2> s1 = LoadStage<Vec2, 0>(bank.state[1]);
  Vec2 first[kPairSkew];  // stage 1 output of sample m at [m % kPairSkew]
  for (int n = 0; n < kPairSkew; ++n)
    first[n] = StepRegisters(f, s0, Vec2{x[0][n], x[1][n]} + offset, offset);

  const LaneCoefficients c = {Vec4{f.b0, f.b0, g.b0, g.b0}, Vec4{f.b1, f.b1, g.b1, g.b1},
                              Vec4{f.b2, f.b2, g.b2, g.b2}, Vec4{f.a1, f.a1, g.a1, g.a1},
                              Vec4{f.a2, f.a2, g.a2, g.a2}};
  StageRegisters<Vec4> r = {Join(s0.x1, s1.x1), Join(s0.x2, s1.x2), Join(s0.y1, s1.y1), Join(s0.y2, s1.y2)};
  for (int n = kPairSkew; n < frames; ++n) {
    const int m = n - kPairSkew;
    Vec2& slot = first[n % kPairSkew];  // holds sample m's, takes sample n's
    const Vec4 out = StepRegisters(c, r, Join(Vec2{x[0][n], x[1][n]}, slot) + offset, offset);
    slot = Low(out);
    y[0][m] = out[2];
    y[1][m] = out[3];
  }
  s0 = {Low(r.x1), Low(r.x2), Low(r.y1), Low(r.y2)};
  s1 = {High(r.x1), High(r.x2), High(r.y1), High(r.y2)};

  for (int m = frames - kPairSkew; m < frames; ++m) {
    const Vec2 out = StepRegisters(g, s1, first[m % kPairSkew] + offset, offset);
    y[0][m] = out[0];
    y[1][m] = out[1];
  }
  StoreStage<Vec2, 0>(bank.state[0], s0);
  StoreStage<Vec2, 0>(bank.state[1], s1);
}
#endif

template <KWeightingBlockSums kSums>
[[gnu::always_inline]] inline int GroupsAvx2Fma(KWeightingBank& bank, int channels, const double* const* x,
                                                double* const* y, int frames) {
  if (channels <= 2) {
#if !defined(__clang__)
    if (kSums == KWeightingBlockSums::LatestLast && frames >= kPairSkew) {
      PairBothStages(bank, x, y, frames);
      return 2;
    }
#endif
    GroupBlock<kSums, Vec2, 0>(bank, x, y, frames);
    return 2;
  }
  GroupBlock<kSums, Vec4, 0>(bank, x, y, frames);
  if (channels <= 4) return 4;
  GroupBlock<kSums, Vec2, 4>(bank, x, y, frames);
  return 6;
}

int BlockBaseline(KWeightingBank& bank, int channels, const double* const* x, double* const* y, int frames) {
  if (bank.blockSums == KWeightingBlockSums::AsPerSample)
    return GroupsBaseline<KWeightingBlockSums::AsPerSample>(bank, channels, x, y, frames);
  return GroupsBaseline<KWeightingBlockSums::LatestLast>(bank, channels, x, y, frames);
}

KALVO5_AVX2_FMA_TARGET int BlockAvx2Fma(KWeightingBank& bank, int channels, const double* const* x,
                                        double* const* y, int frames) {
  if (bank.blockSums == KWeightingBlockSums::AsPerSample)
    return GroupsAvx2Fma<KWeightingBlockSums::AsPerSample>(bank, channels, x, y, frames);
  return GroupsAvx2Fma<KWeightingBlockSums::LatestLast>(bank, channels, x, y, frames);
}

}  // namespace

int ProcessKWeightingBankBlock(KWeightingBank& bank, int channels,
                               const double* const (&x)[kKWeightingBankChannels],
                               double* const (&y)[kKWeightingBankChannels], int frames) {
  if (channels <= 0 || frames <= 0) return 0;
  if (bank.path == SimdPath::Avx2Fma) return BlockAvx2Fma(bank, channels, x, y, frames);
  return BlockBaseline(bank, channels, x, y, frames);
}

void ProcessKWeightingBank(KWeightingBank& bank, const double (&x)[kKWeightingBankChannels],
                           double (&y)[kKWeightingBankChannels]) {
  if (bank.path == SimdPath::Avx2Fma)
    ProcessAvx2Fma(bank, x, y);
  else
    ProcessBaseline(bank, x, y);
}

}  // namespace kalvo5

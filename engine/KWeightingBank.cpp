#include "KWeightingBank.h"

#include "SimdVector.h"

namespace kalvo5 {

void InitKWeightingBank(KWeightingBank& bank, double fs, KWeightingOrder order, double antiDenormal) {
  bank.order = order;
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

}  // namespace

void ProcessKWeightingBank(KWeightingBank& bank, const double (&x)[kKWeightingBankChannels],
                           double (&y)[kKWeightingBankChannels]) {
  if (bank.path == SimdPath::Avx2Fma)
    ProcessAvx2Fma(bank, x, y);
  else
    ProcessBaseline(bank, x, y);
}

}  // namespace kalvo5

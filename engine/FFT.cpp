#include "FFT.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>

#include "SimdPath.h"
#include "SimdVector.h"

namespace kalvo5 {

namespace {

constexpr int kLargestLength = 1024;

// The twiddles of every stage span from 2 to kLargestLength: span b's run of
// b / 2 values starts at b / 2 - 1. A span's twiddles are the same at every
// transform length, so one table serves them all. Beside them, for each
// length, the pairs of places that bit reversal swaps.
struct TransformTables {
  float re[kLargestLength - 1] = {};
  float im[kLargestLength - 1] = {};
  bool avx2 = false;                  // the butterflies' path on this processor
  static constexpr int kLengths = 4;  // 128, 256, 512, 1024
  std::uint16_t swapFrom[kLengths][kLargestLength / 2] = {};
  std::uint16_t swapTo[kLengths][kLargestLength / 2] = {};
  int swaps[kLengths] = {};
};

// The entry of the tables for length n (128 ... 1024).
int LengthEntry(int n) { return n == 128 ? 0 : n == 256 ? 1 : n == 512 ? 2 : 3; }

TransformTables MakeTransformTables() {
  TransformTables t;
  for (int span = 2; span <= kLargestLength; span <<= 1) {
    const int half = span / 2;
    const float angle = 2.0f * std::numbers::pi_v<float> / static_cast<float>(span);
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    // w = e^(-2 pi i j / span), advanced by one rotation per j.
    float wr = 1.0f;
    float wi = 0.0f;
    for (int j = 0; j < half; ++j) {
      t.re[half - 1 + j] = wr;
      t.im[half - 1 + j] = wi;
      const float nextR = wr * c + wi * s;
      wi = wi * c - wr * s;
      wr = nextR;
    }
  }
  t.avx2 = SimdPathSupported(SimdPath::Avx2Fma);
  for (int n = 128; n <= kLargestLength; n <<= 1) {
    const int entry = LengthEntry(n);
    for (int i = 1, j = 0; i < n; ++i) {
      int bit = n >> 1;
      for (; (j & bit) != 0; bit >>= 1) j ^= bit;
      j |= bit;
      if (i < j) {
        t.swapFrom[entry][t.swaps[entry]] = static_cast<std::uint16_t>(i);
        t.swapTo[entry][t.swaps[entry]] = static_cast<std::uint16_t>(j);
        ++t.swaps[entry];
      }
    }
  }
  return t;
}

const TransformTables& Tables() {
  static const TransformTables table = MakeTransformTables();
  return table;
}

void ReverseBitOrder(float* re, float* im, int n, const TransformTables& t) {
  const int entry = LengthEntry(n);
  for (int k = 0; k < t.swaps[entry]; ++k) {
    std::swap(re[t.swapFrom[entry][k]], re[t.swapTo[entry][k]]);
    std::swap(im[t.swapFrom[entry][k]], im[t.swapTo[entry][k]]);
  }
}

// One group's butterflies, one at a time.
[[gnu::always_inline]] inline void Butterflies(float* topR, float* topI, float* bottomR, float* bottomI,
                                               const float* twR, const float* twI, int half) {
  for (int j = 0; j < half; ++j) {
    const float dr = topR[j] - bottomR[j];
    const float di = topI[j] - bottomI[j];
    topR[j] += bottomR[j];
    topI[j] += bottomI[j];
    bottomR[j] = dr * twR[j] - di * twI[j];
    bottomI[j] = dr * twI[j] + di * twR[j];
  }
}

// Every stage, widest span first. The butterflies of a stage are
// independent: each group's run over j is contiguous.
void Stages(float* re, float* im, int n, const TransformTables& t) {
  for (int span = n; span >= 2; span >>= 1) {
    const int half = span / 2;
    for (int group = 0; group < n; group += span)
      Butterflies(re + group, im + group, re + group + half, im + group + half, t.re + half - 1,
                  t.im + half - 1, half);
  }
}

// The butterflies of a stage whose groups are narrower than eight (half 1, 2
// or 4), four at a time: each run of eight values holds 8 / (2 half) groups,
// whose tops and bottoms are gathered into one vector each and put back.
template <int kHalf>
[[gnu::always_inline]] inline void NarrowStage(float* re, float* im, int n, const float* twR,
                                               const float* twI) {
  using simd::Floats4;
  using simd::Floats8;
  using simd::Load;
  using simd::Store;
  static_assert(kHalf == 1 || kHalf == 2 || kHalf == 4);
  const auto tops = [](Floats8 v) {
    if constexpr (kHalf == 1) return __builtin_shufflevector(v, v, 0, 2, 4, 6);
    if constexpr (kHalf == 2) return __builtin_shufflevector(v, v, 0, 1, 4, 5);
    if constexpr (kHalf == 4) return __builtin_shufflevector(v, v, 0, 1, 2, 3);
  };
  const auto bottoms = [](Floats8 v) {
    if constexpr (kHalf == 1) return __builtin_shufflevector(v, v, 1, 3, 5, 7);
    if constexpr (kHalf == 2) return __builtin_shufflevector(v, v, 2, 3, 6, 7);
    if constexpr (kHalf == 4) return __builtin_shufflevector(v, v, 4, 5, 6, 7);
  };
  const auto together = [](Floats4 top, Floats4 bottom) {
    if constexpr (kHalf == 1) return __builtin_shufflevector(top, bottom, 0, 4, 1, 5, 2, 6, 3, 7);
    if constexpr (kHalf == 2) return __builtin_shufflevector(top, bottom, 0, 1, 4, 5, 2, 3, 6, 7);
    if constexpr (kHalf == 4) return __builtin_shufflevector(top, bottom, 0, 1, 2, 3, 4, 5, 6, 7);
  };
  Floats4 wr;
  Floats4 wi;
  for (int lane = 0; lane < 4; ++lane) {
    wr[lane] = twR[lane % kHalf];
    wi[lane] = twI[lane % kHalf];
  }
  for (int at = 0; at < n; at += 8) {
    const Floats8 r = Load<Floats8>(re + at);
    const Floats8 i = Load<Floats8>(im + at);
    const Floats4 tr = tops(r);
    const Floats4 ti = tops(i);
    const Floats4 br = bottoms(r);
    const Floats4 bi = bottoms(i);
    const Floats4 dr = tr - br;
    const Floats4 di = ti - bi;
    Store(re + at, together(tr + br, dr * wr - di * wi));
    Store(im + at, together(ti + bi, dr * wi + di * wr));
  }
}

// The same stages eight butterflies at a time in groups of eight or more
// (spans of 16 and up), four at a time in the narrower ones. Each lane does
// the scalar operations in their order, and the target has no fused
// multiply-add to merge them, so the results are the same bits. The vector
// code is inlined into the target's function, whose interface carries no
// vectors.
[[gnu::always_inline]] inline void WideStages(float* re, float* im, int n, const TransformTables& t) {
  using simd::Floats8;
  using simd::Load;
  using simd::Store;
  for (int span = n; span >= 16; span >>= 1) {
    const int half = span / 2;
    const float* twR = t.re + half - 1;
    const float* twI = t.im + half - 1;
    for (int group = 0; group < n; group += span) {
      float* topR = re + group;
      float* topI = im + group;
      float* bottomR = re + group + half;
      float* bottomI = im + group + half;
      for (int j = 0; j < half; j += 8) {
        const Floats8 tr = Load<Floats8>(topR + j);
        const Floats8 ti = Load<Floats8>(topI + j);
        const Floats8 br = Load<Floats8>(bottomR + j);
        const Floats8 bi = Load<Floats8>(bottomI + j);
        const Floats8 wr = Load<Floats8>(twR + j);
        const Floats8 wi = Load<Floats8>(twI + j);
        const Floats8 dr = tr - br;
        const Floats8 di = ti - bi;
        Store(topR + j, tr + br);
        Store(topI + j, ti + bi);
        Store(bottomR + j, dr * wr - di * wi);
        Store(bottomI + j, dr * wi + di * wr);
      }
    }
  }
  NarrowStage<4>(re, im, n, t.re + 3, t.im + 3);
  NarrowStage<2>(re, im, n, t.re + 1, t.im + 1);
  NarrowStage<1>(re, im, n, t.re, t.im);
}

KALVO5_AVX2_TARGET void StagesAvx2(float* re, float* im, int n, const TransformTables& t) {
  WideStages(re, im, n, t);
}

}  // namespace

void PrepareFFT() { Tables(); }

int ComputeFFT(float* re, float* im, int n) {
  if (re == nullptr || im == nullptr || (n != 128 && n != 256 && n != 512 && n != 1024)) return -1;
  const TransformTables& t = Tables();
  if (t.avx2)
    StagesAvx2(re, im, n, t);
  else
    Stages(re, im, n, t);
  ReverseBitOrder(re, im, n, t);
  return 0;
}

}  // namespace kalvo5

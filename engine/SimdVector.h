// Small vector helpers for the multi-channel kernels, on GCC vector types.
// A 4-wide vector of doubles becomes one AVX register where the function is
// compiled for AVX, and two SSE2 registers elsewhere. Include only from .cpp
// files: the helpers pass vectors by value and are always inlined, so no
// call ever crosses the differing vector ABIs, and the warning about those
// ABIs is off for the rest of the including file (template instances are
// checked at its end).
#pragma once

#pragma GCC diagnostic ignored "-Wpsabi"

#include <algorithm>
#include <type_traits>

// Marks the function compiled for the AVX2 path. Elsewhere than on x86 that
// path is never chosen (SimdPathSupported) and the function is plain code.
// KALVO5_AVX2_TARGET is the same path without fused multiply-adds, for
// kernels whose sums must keep the baseline's bits: the compiler cannot fuse
// what the target lacks.
#if defined(__x86_64__) || defined(__i386__)
#define KALVO5_AVX2_FMA_TARGET __attribute__((target("avx2,fma")))
#define KALVO5_AVX2_TARGET __attribute__((target("avx2")))
#else
#define KALVO5_AVX2_FMA_TARGET
#define KALVO5_AVX2_TARGET
#endif

namespace kalvo5::simd {

using Vec4 = double __attribute__((vector_size(32)));
using Vec2 = double __attribute__((vector_size(16)));
using Floats8 = float __attribute__((vector_size(32)));
using Floats4 = float __attribute__((vector_size(16)));

// Unaligned loads and stores of a vector of doubles or floats.
template <typename V, typename T>
[[gnu::always_inline]] inline V Load(const T* p) {
  V v;
  __builtin_memcpy(&v, p, sizeof v);
  return v;
}

template <typename V, typename T>
[[gnu::always_inline]] inline void Store(T* p, V v) {
  __builtin_memcpy(p, &v, sizeof v);
}

template <typename V>
[[gnu::always_inline]] inline V Max(V a, V b) {
  return a > b ? a : b;
}

template <typename V>
[[gnu::always_inline]] inline V Abs(V v) {
  return Max(v, -v);
}

// Lanes first ... first + width - 1 of x read with scalar loads. For inputs
// the caller has just stored one by one: a vector load spanning several
// fresh stores waits until they reach the cache.
template <typename V, int kFirst>
[[gnu::always_inline]] inline V GatherLanes(const double* x) {
  V v;
  for (int i = 0; i < static_cast<int>(sizeof(V) / sizeof(double)); ++i) {
    double lane = x[kFirst + i];
#if defined(__SSE2__)
    asm("" : "+x"(lane));  // keeps the compiler from merging the loads again
#endif
    v[i] = lane;
  }
  return v;
}

// The largest of `from` and map(x[0]) ... map(x[n-1]), in two-lane
// registers: several maxima at once instead of one chain of them. Exact, as
// every maximum is. map takes and gives a Vec2 or a double.
template <typename Map>
[[gnu::always_inline]] inline double LargestOfMapped(const double* x, int n, double from, Map map) {
  Vec2 top0 = {from, from};
  Vec2 top1 = top0;
  int k = 0;
  for (; k + 4 <= n; k += 4) {
    top0 = Max(top0, map(Load<Vec2>(x + k)));
    top1 = Max(top1, map(Load<Vec2>(x + k + 2)));
  }
  const Vec2 top = Max(top0, top1);
  double largest = std::max(top[0], top[1]);
  for (; k < n; ++k) largest = std::max(largest, map(x[k]));
  return largest;
}

// The largest of `from` and x[0 ... n-1].
[[gnu::always_inline]] inline double LargestOf(const double* x, int n, double from) {
  return LargestOfMapped(x, n, from, [](auto v) { return v; });
}

// The largest of `from` and |x[0]| ... |x[n-1]|.
[[gnu::always_inline]] inline double LargestMagnitudeOf(const double* x, int n, double from) {
  const auto magnitude = [](auto v) {
    if constexpr (std::is_same_v<decltype(v), double>)
      return __builtin_fabs(v);
    else
      return Vec2{__builtin_fabs(v[0]), __builtin_fabs(v[1])};
  };
  return LargestOfMapped(x, n, from, magnitude);
}

// The largest magnitude of x[0 ... n-1] (0 when n is 0), in lanes side by
// side rather than one chain of comparisons. Exact, as every maximum is.
[[gnu::always_inline]] inline float LargestMagnitude(const float* x, int n) {
  Floats4 top = {};
  int i = 0;
  for (; i + 4 <= n; i += 4) top = Max(top, Abs(Load<Floats4>(x + i)));
  float largest = std::max({top[0], top[1], top[2], top[3]});
  for (; i < n; ++i) largest = std::max(largest, x[i] < 0.0f ? -x[i] : x[i]);
  return largest;
}

[[gnu::always_inline]] inline double LargestLane(Vec2 v) { return v[0] > v[1] ? v[0] : v[1]; }

[[gnu::always_inline]] inline double LargestLane(Vec4 v) {
  const Vec2 half = {v[0] > v[2] ? v[0] : v[2], v[1] > v[3] ? v[1] : v[3]};
  return LargestLane(half);
}

}  // namespace kalvo5::simd

#include "TruePeakDetector.h"

#include <cmath>

#include "SimdVector.h"

namespace kalvo5 {

const double kTruePeakTapsA[kTruePeakTaps] = {
    0.001708984375,   -0.0291748046875, -0.0189208984375, -0.00830078125,   0.010986328125,
    0.029296875,      0.0330810546875,  0.0148925781250,  -0.0196533203125, -0.0517578125,
    -0.0582275390625, -0.0266113281250, 0.033203125,      0.0891113281250,  0.1015625,
    0.0476074218750,  -0.0594482421875, -0.16650390625,   -0.2003173828125, -0.102294921875,
    0.1373291015625,  0.465087890625,   0.77978515625,    0.97216796875,    0.97216796875,
    0.77978515625,    0.465087890625,   0.1373291015625,  -0.102294921875,  -0.2003173828125,
    -0.16650390625,   -0.0594482421875, 0.0476074218750,  0.1015625,        0.0891113281250,
    0.033203125,      -0.0266113281250, -0.0582275390625, -0.0517578125,    -0.0196533203125,
    0.0148925781250,  0.0330810546875,  0.029296875,      0.010986328125,   -0.00830078125,
    -0.0189208984375, -0.0291748046875, 0.001708984375,
};

const double kTruePeakTapsB[kTruePeakTaps] = {
    -0.012421945913447892, -0.024823832091983064, 0.019434940547226703,  0.014052821368491314,
    -0.018333256940687492, -0.022660521518825905, 0.02611513759705972,   0.0296900702193718,
    -0.03435201828784526,  -0.03925865005387791,  0.045167818431985335,  0.05151163332103437,
    -0.05926649498744107,  -0.06787615144145479,  0.07859318044406559,   0.0910219580947544,
    -0.10695736031990728,  -0.12683668373336432,  0.1539508183818843,    0.19181534789583438,
    -0.25100243289004,     -0.35544951153620047,  0.5975877215058337,    1.7995978372665244,
    1.7995978372665244,    0.5975877215058337,    -0.35544951153620047,  -0.25100243289004,
    0.19181534789583438,   0.1539508183818843,    -0.12683668373336432,  -0.10695736031990728,
    0.0910219580947544,    0.07859318044406559,   -0.06787615144145479,  -0.05926649498744107,
    0.05151163332103437,   0.045167818431985335,  -0.03925865005387791,  -0.03435201828784526,
    0.0296900702193718,    0.02611513759705972,   -0.022660521518825905, -0.018333256940687492,
    0.014052821368491314,  0.019434940547226703,  -0.024823832091983064, -0.012421945913447892,
};

void DesignTruePeak(TruePeakDesign& d, double sampleRate) {
  d = TruePeakDesign{};
  d.path = BestSimdPath();

  const long rate = std::isfinite(sampleRate) ? static_cast<long>(sampleRate) : 0;
  const double* taps = nullptr;
  if (rate <= 48000) {
    d.factor = 4;
    taps = kTruePeakTapsA;
  } else if (rate <= 96000) {
    d.factor = 2;
    taps = kTruePeakTapsB;
  }
  d.factorAsDouble = d.factor;
  d.history = kTruePeakTaps / d.factor;

  if (taps != nullptr) {
    d.tapSum = 0.0;
    for (int i = 0; i < kTruePeakTaps; ++i) d.tapSum += taps[i];
    d.norm = 1.0 / d.tapSum;
    // Output phase i weighs the input m samples back with tap 47 - i - L m.
    for (int m = 0; m < d.history; ++m)
      for (int i = 0; i < d.factor; ++i) d.phaseTaps[m][i] = taps[kTruePeakTaps - 1 - i - d.factor * m];
  }
}

void InitTruePeak(TruePeakDetector& detector, double sampleRate) {
  DesignTruePeak(detector.design, sampleRate);
  ResetTruePeak(detector);
}

bool SelectTruePeakPath(TruePeakDetector& detector, SimdPath path) {
  if (!SimdPathSupported(path)) return false;
  detector.design.path = path;
  return true;
}

void ResetTruePeak(TruePeakDetector& detector) {
  for (double& v : detector.delay) v = 0.0;
  detector.writePos = 0;
  detector.current = 0.0;
  detector.maxHold = 0.0;
}

namespace {

// The interpolation runs on vectors holding the outputs of all phases of
// one channel, so each input sample of the history costs one multiply-add per
// channel.
template <int L>
struct PhaseVector;
template <>
struct PhaseVector<4> {
  using Type = simd::Vec4;
};
template <>
struct PhaseVector<2> {
  using Type = simd::Vec2;
};

// The newest scaled input goes into the delay line twice, so the last
// `history` inputs lie contiguously below the returned pointer.
[[gnu::always_inline]] inline const double* PushHistory(TruePeakDetector& d, double scaled) {
  const int h = d.design.history;
  const int pos = d.writePos;
  d.delay[pos] = scaled;
  d.delay[pos + h] = scaled;
  d.writePos = pos + 1 == h ? 0 : pos + 1;
  return &d.delay[pos + h];
}

// The raw sample takes part in the maximum and is scaled like the rest.
[[gnu::always_inline]] inline void Finish(TruePeakDetector& d, double interpolated, double x) {
  const double magnitude = std::fabs(x);
  const double peak = interpolated > magnitude ? interpolated : magnitude;
  d.current = peak * d.design.norm;
  if (d.current > d.maxHold) d.maxHold = d.current;
}

// kChannels detectors sharing one design with oversampling L. With kSplit =
// 2 each phase is summed as two interleaved partial sums (even and odd m),
// halving the chain of dependent additions where a fused multiply-add is
// slow to complete; kSplit = 1 sums in order m = 0, 1, ...
template <int L, int kChannels, int kSplit>
[[gnu::always_inline]] inline void Interpolate(TruePeakDetector* d, const double* x) {
  using V = typename PhaseVector<L>::Type;
  constexpr int kHistory = kTruePeakTaps / L;
  const TruePeakDesign& design = d[0].design;
  const double* newest[kChannels];
  V acc[kSplit][kChannels] = {};
  for (int c = 0; c < kChannels; ++c) newest[c] = PushHistory(d[c], design.factorAsDouble * x[c]);
  for (int m = 0; m < kHistory; m += kSplit) {
    for (int s = 0; s < kSplit; ++s) {
      const V taps = simd::Load<V>(design.phaseTaps[m + s]);
      for (int c = 0; c < kChannels; ++c) acc[s][c] += taps * newest[c][-(m + s)];
    }
  }
  for (int c = 0; c < kChannels; ++c) {
    V sum = acc[0][c];
    for (int s = 1; s < kSplit; ++s) sum += acc[s][c];
    Finish(d[c], simd::LargestLane(simd::Abs(sum)), x[c]);
  }
}

template <int kChannels, int kSplit>
[[gnu::always_inline]] inline void ProcessGroup(TruePeakDetector* d, const double* x) {
  switch (d[0].design.factor) {
    case 4:
      Interpolate<4, kChannels, kSplit>(d, x);
      break;
    case 2:
      Interpolate<2, kChannels, kSplit>(d, x);
      break;
    default:
      for (int c = 0; c < kChannels; ++c) Finish(d[c], 0.0, x[c]);
      break;
  }
}

template <int kSplit>
[[gnu::always_inline]] inline void ProcessUpToSix(TruePeakDetector* d, const double* x, int count) {
  switch (count) {
    case 1:
      return ProcessGroup<1, kSplit>(d, x);
    case 2:
      return ProcessGroup<2, kSplit>(d, x);
    case 3:
      return ProcessGroup<3, kSplit>(d, x);
    case 4:
      return ProcessGroup<4, kSplit>(d, x);
    case 5:
      return ProcessGroup<5, kSplit>(d, x);
    case 6:
      return ProcessGroup<6, kSplit>(d, x);
    default:
      return;
  }
}

// Separate additions and multiplications finish quickly: one chain per phase
// keeps the register count within SSE2's sixteen.
void ProcessBaseline(TruePeakDetector* d, const double* x, int count) { ProcessUpToSix<1>(d, x, count); }

KALVO5_AVX2_FMA_TARGET void ProcessAvx2Fma(TruePeakDetector* d, const double* x, int count) {
  ProcessUpToSix<2>(d, x, count);
}

void ProcessSameDesign(TruePeakDetector* d, const double* x, int count) {
  if (d[0].design.path == SimdPath::Avx2Fma)
    ProcessAvx2Fma(d, x, count);
  else
    ProcessBaseline(d, x, count);
}

}  // namespace

void ProcessTruePeak(TruePeakDetector& detector, double x) { ProcessSameDesign(&detector, &x, 1); }

void ProcessTruePeaks(TruePeakDetector* detectors, const double* x, int count) {
  constexpr int kGroup = 6;
  while (count > 0) {
    // A group shares the first detector's design; a detector designed for
    // another rate starts a new group.
    int n = 1;
    while (n < count && n < kGroup && detectors[n].design.factor == detectors[0].design.factor &&
           detectors[n].design.path == detectors[0].design.path)
      ++n;
    ProcessSameDesign(detectors, x, n);
    detectors += n;
    x += n;
    count -= n;
  }
}

}  // namespace kalvo5

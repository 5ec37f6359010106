#include "TruePeakDetector.h"

#include <cmath>

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

void InitTruePeak(TruePeakDetector& detector, double sampleRate) {
  TruePeakDesign& d = detector.design;
  d = TruePeakDesign{};

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
  ResetTruePeak(detector);
}

void ResetTruePeak(TruePeakDetector& detector) {
  for (double& v : detector.delay) v = 0.0;
  detector.writePos = 0;
  detector.current = 0.0;
  detector.maxHold = 0.0;
}

namespace {

// One output per phase. Each phase is summed as two interleaved partial sums
// (even and odd m) added at the end: the same products, half the dependent
// additions in a row. newest points at the latest scaled input; older ones
// lie below it.
template <int L>
double InterpolatedPeak(const TruePeakDesign& d, const double* newest) {
  constexpr int kHistory = kTruePeakTaps / L;
  double even[L] = {};
  double odd[L] = {};
  for (int m = 0; m < kHistory; m += 2) {
    const double x0 = newest[-m];
    const double x1 = newest[-m - 1];
    for (int i = 0; i < L; ++i) {
      even[i] += d.phaseTaps[m][i] * x0;
      odd[i] += d.phaseTaps[m + 1][i] * x1;
    }
  }
  double peak = 0.0;
  for (int i = 0; i < L; ++i) peak = std::fmax(peak, std::fabs(even[i] + odd[i]));
  return peak;
}

}  // namespace

void ProcessTruePeak(TruePeakDetector& detector, double x) {
  const TruePeakDesign& d = detector.design;
  const double magnitude = std::fabs(x);
  double peak = magnitude;

  if (d.factor > 1) {
    const double scaled = d.factorAsDouble * x;
    const int h = d.history;
    const int pos = detector.writePos;
    detector.delay[pos] = scaled;
    detector.delay[pos + h] = scaled;
    const double* newest = &detector.delay[pos + h];
    const double interpolated =
        d.factor == 4 ? InterpolatedPeak<4>(d, newest) : InterpolatedPeak<2>(d, newest);
    peak = std::fmax(interpolated, magnitude);
    detector.writePos = pos + 1 == h ? 0 : pos + 1;
  }
  // The raw sample takes part in the maximum and is scaled like the rest.
  detector.current = peak * d.norm;
  if (detector.current > detector.maxHold) detector.maxHold = detector.current;
}

}  // namespace kalvo5

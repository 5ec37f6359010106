#include "DIALAnalyzer.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <utility>

#include "DecayMeterBlock.h"
#include "LevelScale.h"
#include "SampleCount.h"
#include "SimdVector.h"

namespace kalvo5 {
namespace {

// Added to each K-weighting stage's input and output: keeps the recursion out
// of the denormal range on silence.
constexpr double kAntiDenormal = 1e-25;
constexpr double kShortestWindowMs = 10.0;
constexpr double kLongestWindowMs = 99999.0;
constexpr double kDefaultWindowMs = 10000.0;
// The downmix is clipped here before it becomes single precision: far beyond
// any real level, it keeps the conversion defined whatever the input.
constexpr double kLargestDownmix = 1.0e6;

double ClampWindowMs(double ms) { return std::clamp(ms, kShortestWindowMs, kLongestWindowMs); }

// Blocks of the adjustable window about every 100 ms: hop = (1 - overlap) N.
double OverlapFor(double ms) { return 1.0 - 100.0 / ms; }

// The six samples of the layout; other channels, and non-finite samples,
// become 0.
void LayoutSamples(LoudnessChannelConfig config, const double (&x)[kAnalyzerChannels],
                   double (&out)[kAnalyzerChannels]) {
  const ChannelRange range = MeasuredChannels(config);
  for (int c = 0; c < kAnalyzerChannels; ++c) out[c] = range.Contains(c) && std::isfinite(x[c]) ? x[c] : 0.0;
}

// The mean of the layout's channels, the LFE included; s(c) gives channel c,
// one sample (a double) or several side by side (a vector of them).
template <LoudnessChannelConfig kConfig, typename Samples>
[[gnu::always_inline]] inline auto MeanOfLayout(const Samples& s) -> decltype(s(0)) {
  if constexpr (kConfig == LoudnessChannelConfig::Mono) return s(0);
  if constexpr (kConfig == LoudnessChannelConfig::Stereo) return (s(0) + s(1)) * 0.5;
  if constexpr (kConfig == LoudnessChannelConfig::Quad) return (s(0) + s(1) + s(2) + s(3)) * 0.25;
  if constexpr (kConfig == LoudnessChannelConfig::QuadLfe) return (s(0) + s(1) + s(2) + s(3) + s(4)) / 5.0;
  if constexpr (kConfig == LoudnessChannelConfig::FivePointOne)
    return (s(0) + s(1) + s(2) + s(3) + s(4) + s(5)) / 6.0;
  return decltype(s(0)){};
}

// The downmix as the speech detector takes it: clipped far beyond any real
// level, which keeps the conversion defined whatever the input.
template <LoudnessChannelConfig kConfig, typename Samples>
[[gnu::always_inline]] inline float DetectorSample(const Samples& s) {
  return static_cast<float>(std::clamp(MeanOfLayout<kConfig>(s), -kLargestDownmix, kLargestDownmix));
}

// Samples at ... at + 3 of each channel, side by side. Never called, always
// inlined: the vector it returns crosses no call.
struct FourSamples {
  const double* const* input;
  int at;
  [[gnu::always_inline]] simd::Vec4 operator()(int c) const { return simd::Load<simd::Vec4>(input[c] + at); }
};

// DetectorSample of four samples side by side, each lane computed as it
// computes one.
template <LoudnessChannelConfig kConfig, typename Samples>
[[gnu::always_inline]] inline simd::Floats4 DetectorSamples(const Samples& s) {
  const simd::Vec4 mean = MeanOfLayout<kConfig>(s);
  const simd::Vec4 clipped =
      mean < -kLargestDownmix ? -kLargestDownmix : (kLargestDownmix < mean ? kLargestDownmix : mean);
  return __builtin_convertvector(clipped, simd::Floats4);
}

// Calls f with the configuration as a compile-time constant.
template <typename F>
[[gnu::always_inline]] inline void WithLayout(LoudnessChannelConfig config, const F& f) {
  switch (config) {
    case LoudnessChannelConfig::Mono:
      return f(std::integral_constant<LoudnessChannelConfig, LoudnessChannelConfig::Mono>{});
    case LoudnessChannelConfig::Stereo:
      return f(std::integral_constant<LoudnessChannelConfig, LoudnessChannelConfig::Stereo>{});
    case LoudnessChannelConfig::Quad:
      return f(std::integral_constant<LoudnessChannelConfig, LoudnessChannelConfig::Quad>{});
    case LoudnessChannelConfig::QuadLfe:
      return f(std::integral_constant<LoudnessChannelConfig, LoudnessChannelConfig::QuadLfe>{});
    case LoudnessChannelConfig::FivePointOne:
      return f(std::integral_constant<LoudnessChannelConfig, LoudnessChannelConfig::FivePointOne>{});
  }
}

float DetectorSample(LoudnessChannelConfig config, const double (&s)[kAnalyzerChannels]) {
  float v = 0.0f;
  WithLayout(config, [&](auto layout) { v = DetectorSample<layout.value>([&](int c) { return s[c]; }); });
  return v;
}

// A completed 100 ms block: through the dialogue gate, then the window value
// paired with it into the speech range when it was speech.
void CompleteBlock(DIALAnalyzer& a) {
  const DialogGateBlock b =
      GateDialogBlock(a.gate, a.momentary.blockValue, a.sWindow.blockValue, a.block.data());
  if (b.speech) UpdateLoudnessRangeMeter(a.speechRange, b.windowValue);
}

// One sample while measuring, after the K-weighting: z is its weighted
// square, s the layout's samples.
[[gnu::always_inline]] inline void MeasureWeighted(DIALAnalyzer& a, LoudnessChannelConfig config, double z,
                                                   const double (&s)[kAnalyzerChannels]) {
  StepLoudnessWindowBlocks(a.momentary, z);
  StepLoudnessWindowBlocks(a.sWindow, z);
  if (a.blockLength > 0) {
    a.block[static_cast<std::size_t>(a.blockIndex)] = DetectorSample(config, s);
    if (++a.blockIndex == a.blockLength) {
      a.blockIndex = 0;
      a.blockReady = true;
      CompleteBlock(a);
    }
  }
  if (a.sWindow.newBlock && a.sWindow.values.full)
    UpdateLoudnessRangeMeter(a.windowRange, a.sWindow.blockValue);
}

// Both windows through a run of `steps` values in which neither ends a
// block nor wraps its ring: PushSlidingSum's steps in its order, on copies
// the compiler keeps in registers. kFullA and kFullB say whether each ring
// was full (its values then replace stored ones).
template <bool kFullA, bool kFullB>
void PushQuietRun(LoudnessWindow& wa, LoudnessWindow& wb, const double* z, int steps) {
  SlidingSum& a = wa.values;
  SlidingSum& b = wb.values;
  double* ringA = a.ring.data() + a.pos;
  double* ringB = b.ring.data() + b.pos;
  double sumA = a.sum, sumB = b.sum, passA = a.passSum, passB = b.passSum;
  for (int k = 0; k < steps; ++k) {
    const double v = z[k];
    const double oldA = kFullA ? ringA[k] : 0.0;
    const double oldB = kFullB ? ringB[k] : 0.0;
    ringA[k] = v;
    ringB[k] = v;
    sumA += v;
    if constexpr (kFullA) {
      sumA -= oldA;
      sumA = sumA < 0.0 ? 0.0 : sumA;
    }
    sumB += v;
    if constexpr (kFullB) {
      sumB -= oldB;
      sumB = sumB < 0.0 ? 0.0 : sumB;
    }
    passA += v;
    passB += v;
  }
  a.sum = sumA;
  b.sum = sumB;
  a.passSum = passA;
  b.passSum = passB;
  a.pos += steps;
  b.pos += steps;
  wa.count += steps;
  wb.count += steps;
  wa.newBlock = wb.newBlock = false;
}

// Samples from the next on in which the window neither ends a block nor
// wraps its ring.
int QuietSamples(const LoudnessWindow& w) {
  return std::min(w.hop - w.count, w.values.length - w.values.pos) - 1;
}

// A prepared piece while measuring: runs in which nothing but the sums and
// the block's samples move, each followed by a sample stepped as the
// per-sample form steps it.
void MeasurePiece(DIALAnalyzer& a, LoudnessChannelConfig config, const LoudnessPiece& piece) {
  const bool runs = a.momentary.values.length > 0 && a.sWindow.values.length > 0 && a.blockLength > 0;
  for (int k = 0; k < piece.frames;) {
    int quiet = 0;
    if (runs) {
      quiet = std::min({piece.frames - k, QuietSamples(a.momentary), QuietSamples(a.sWindow),
                        a.blockLength - a.blockIndex - 1});
    }
    if (quiet > 0) {
      a.blockReady = false;
      const bool fullA = a.momentary.values.full;
      const bool fullB = a.sWindow.values.full;
      if (fullA && fullB)
        PushQuietRun<true, true>(a.momentary, a.sWindow, piece.power + k, quiet);
      else if (fullA)
        PushQuietRun<true, false>(a.momentary, a.sWindow, piece.power + k, quiet);
      else if (fullB)
        PushQuietRun<false, true>(a.momentary, a.sWindow, piece.power + k, quiet);
      else
        PushQuietRun<false, false>(a.momentary, a.sWindow, piece.power + k, quiet);
      float* block = a.block.data() + a.blockIndex;
      WithLayout(config, [&](auto layout) {
        int i = 0;
        for (; i + 4 <= quiet; i += 4)
          simd::Store(block + i, DetectorSamples<layout.value>(FourSamples{piece.input, k + i}));
        for (; i < quiet; ++i)
          block[i] = DetectorSample<layout.value>([&](int c) { return piece.input[c][k + i]; });
      });
      a.blockIndex += quiet;
      k += quiet;
      continue;
    }
    a.blockReady = false;
    double s[kAnalyzerChannels];
    for (int c = 0; c < kAnalyzerChannels; ++c) s[c] = piece.input[c][k];
    MeasureWeighted(a, config, piece.power[k], s);
    ++k;
  }
}

}  // namespace

int DIALWindowRingSamples(double fs, double ms) {
  return SamplesFor(std::isfinite(ms) ? ClampWindowMs(ms) : kDefaultWindowMs, fs);
}

bool InitDIAL(DIALAnalyzer& a, double fs, double windowMs, bool withMemory) {
  a.sampleRate = fs;
  a.windowMs = std::isfinite(windowMs) ? ClampWindowMs(windowMs) : kDefaultWindowMs;
  InitTruePeakBank(a.truePeak, fs, TruePeakSums::PhaseByPhase);
  for (ChannelPeakMeter& m : a.meters) InitChannelPeakMeter(m, fs, PeakFallKind::Decay);
  InitKWeightingBank(a.kWeighting, fs, KWeightingOrder::HighPassFirst, kAntiDenormal,
                     KWeightingBlockSums::AsPerSample);
  InitLoudnessPieceState(a.pieces, fs);
  int gateBlockLength = SamplesFor(100.0, fs);
  bool ok = true;
  if (withMemory) {
    ok = InitLoudnessWindow(a.momentary, fs, 400.0, 0.75);
    ok = InitLoudnessWindow(a.sWindow, fs, a.windowMs, OverlapFor(a.windowMs)) && ok;
    a.blockLength = gateBlockLength;
    ok = a.block.Allocate(static_cast<std::size_t>(a.blockLength)) && ok;
    if (a.block.size() == 0) a.blockLength = gateBlockLength = 0;
  } else {
    a.momentary = LoudnessWindow{};
    a.sWindow = LoudnessWindow{};
    a.block = FixedArray<float>{};
    a.blockLength = 0;
  }
  InitLoudnessRangeMeter(a.speechRange, -70.0, -144.0, 10.0, 95.0);
  InitLoudnessRangeMeter(a.windowRange, -70.0, -20.0, 10.0, 95.0);
  // The gate stays disabled at unsupported rates, which is not a failure.
  SpeechRoute route;
  if (!InitDialogGate(a.gate, fs, gateBlockLength) && FindSpeechRoute(fs, route)) ok = false;
  ResetDIAL(a);
  return ok;
}

void ExchangeDIALMemory(DIALAnalyzer& a, DIALAnalyzer& other) {
  std::swap(a.momentary, other.momentary);
  std::swap(a.sWindow, other.sWindow);
  std::swap(a.windowMs, other.windowMs);
  std::swap(a.block, other.block);
  std::swap(a.blockLength, other.blockLength);
  ResetDIAL(a);
}

bool SetDIALWindow(DIALAnalyzer& a, double ms) {
  FixedArray<double> spare = DIALWindowMemoryFor(a, ms);
  return SetDIALWindow(a, ms, spare);
}

FixedArray<double> DIALWindowMemoryFor(const DIALAnalyzer& a, double ms) {
  FixedArray<double> memory;
  if (!std::isfinite(ms)) return memory;
  const auto length = static_cast<std::size_t>(SamplesFor(ClampWindowMs(ms), a.sampleRate));
  if (length > a.sWindow.values.ring.size()) memory.Allocate(length);
  return memory;
}

bool SetDIALWindow(DIALAnalyzer& a, double ms, FixedArray<double>& spare) {
  if (!std::isfinite(ms)) return false;
  ms = ClampWindowMs(ms);
  a.windowMs = ms;
  if (spare.size() > a.sWindow.values.ring.size()) a.sWindow.values.ring.swap(spare);
  return ResizeLoudnessWindow(a.sWindow, a.sampleRate, ms, OverlapFor(ms));
}

void ResetDIAL(DIALAnalyzer& a) {
  ResetTruePeakBank(a.truePeak);
  for (ChannelPeakMeter& m : a.meters) ResetChannelPeakMeter(m);
  ResetKWeightingBank(a.kWeighting);
  ResetLoudnessPieceState(a.pieces);
  ResetLoudnessWindow(a.momentary);
  ResetLoudnessWindow(a.sWindow);
  a.blockIndex = 0;
  a.blockReady = false;
  ResetLoudnessRangeMeter(a.speechRange);
  ResetLoudnessRangeMeter(a.windowRange);
  ResetDialogGate(a.gate);
}

void MeterDIAL(DIALAnalyzer& a, LoudnessChannelConfig config, bool truePeakOn,
               const double (&x)[kAnalyzerChannels]) {
  a.config = config;
  double s[kAnalyzerChannels];
  LayoutSamples(config, x, s);
  if (truePeakOn) {
    ProcessTruePeakBank(a.truePeak, s);
    for (int c = 0; c < kAnalyzerChannels; ++c) UpdateChannelPeakMeter(a.meters[c], a.truePeak.current[c]);
  } else {
    for (int c = 0; c < kAnalyzerChannels; ++c) UpdateChannelPeakMeter(a.meters[c], std::fabs(s[c]));
  }
}

void MeasureDIAL(DIALAnalyzer& a, LoudnessChannelConfig config, bool measuring,
                 const double (&x)[kAnalyzerChannels]) {
  a.config = config;
  a.blockReady = false;
  double s[kAnalyzerChannels];
  LayoutSamples(config, x, s);
  double y[kAnalyzerChannels];
  ProcessKWeightingBank(a.kWeighting, s, y);
  MarkAllChannelsFiltered(a.pieces);  // for the block form, which follows the layout
  if (!measuring) return;

  const LoudnessWeights& weights = LoudnessChannelWeights(config);
  double z = 0.0;
  for (int c = 0; c < kAnalyzerChannels; ++c) z += weights.g[c] * (y[c] * y[c]);
  MeasureWeighted(a, config, z, s);
}

void ProcessDIALBlock(DIALAnalyzer& a, LoudnessChannelConfig config, bool truePeakOn, bool measuring,
                      const double* const* x, int frames) {
  a.config = config;
  const LoudnessPieceParts parts{a.truePeak, a.kWeighting, a.meters};
  for (int done = 0; done < frames;) {
    const int n = frames - done < kDIALBlockFrames ? frames - done : kDIALBlockFrames;
    const LoudnessPiece piece =
        PrepareLoudnessPiece(a.pieces, parts, config, truePeakOn, measuring, x, done, n);
    UpdateDecayMetersBlock(piece.meters, piece.magnitudes, piece.meterCount, n);
    if (measuring)
      MeasurePiece(a, config, piece);
    else
      a.blockReady = false;
    done += n;
  }
}

double DIALIntegrated(const DIALAnalyzer& a) { return RoundToTenth(MeanSquareToLoudness(a.gate.mean)); }
bool DIALIntegratedValid(const DIALAnalyzer& a) { return HasValue(a.gate); }

double DIALSpeechRatio(const DIALAnalyzer& a) {
  return a.gate.totalBlocks == 0
             ? 0.0
             : static_cast<double>(a.gate.speechBlocks) / static_cast<double>(a.gate.totalBlocks);
}

double DIALShortTerm(const DIALAnalyzer& a) { return MeanSquareToLoudness(a.sWindow.blockValue); }
double DIALShortTermMax(const DIALAnalyzer& a) {
  return RoundToTenth(MeanSquareToLoudness(a.sWindow.blockMax));
}

double DIALTruePeakMax(const DIALAnalyzer& a) { return MagnitudeToDb(LargestMaxHold(a.truePeak)); }

double DIALSpeechRange(const DIALAnalyzer& a) { return a.speechRange.lra; }
bool DIALSpeechRangeValid(const DIALAnalyzer& a) { return HasValue(a.speechRange) && HasValue(a.gate); }
double DIALRange(const DIALAnalyzer& a) { return a.windowRange.lra; }
bool DIALRangeValid(const DIALAnalyzer& a) { return HasValue(a.windowRange); }
bool DIALDetectsSpeech(const DIALAnalyzer& a) { return a.gate.enabled; }

}  // namespace kalvo5

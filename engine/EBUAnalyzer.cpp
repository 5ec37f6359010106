#include "EBUAnalyzer.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "EnvelopeMeterBlock.h"
#include "LevelScale.h"
#include "SimdVector.h"

namespace kalvo5 {
namespace {

// Added to each K-weighting stage's input and output: keeps the recursion out
// of the denormal range on silence.
constexpr double kAntiDenormal = 1e-25;
// Momentary values the integrator keeps exactly: one hour of 100 ms blocks.
constexpr int kExactHistory = 36000;

// Lanes kFirst ... of the layout's samples: lanes beyond `count` and
// non-finite samples become 0. Without branches: x - x is 0 exactly for
// finite x.
template <typename V, int kFirst>
[[gnu::always_inline]] inline void LayoutLanes(int count, const double* x, double* out) {
  V lane;
  for (int i = 0; i < static_cast<int>(sizeof(V) / sizeof(double)); ++i) lane[i] = kFirst + i;
  const V v = simd::GatherLanes<V, kFirst>(x);
  const auto keep = (lane < static_cast<double>(count)) & (v - v == 0.0);
  simd::Store(out + kFirst, keep ? v : V{});
}

// The six samples of the layout; other channels, and non-finite samples,
// become 0.
void LayoutSamples(LoudnessChannelConfig config, const double (&x)[kAnalyzerChannels],
                   double (&out)[kAnalyzerChannels]) {
  const int count = MeasuredChannels(config).count;  // every layout starts at channel 0
  LayoutLanes<simd::Vec2, 0>(count, x, out);
  LayoutLanes<simd::Vec2, 2>(count, x, out);
  LayoutLanes<simd::Vec2, 4>(count, x, out);
}

void UpdateMeter(ChannelPeakMeter& m, double magnitude) {
  UpdateChannelPeakMeterOf<PeakFallKind::Envelope>(m, magnitude);
}

// The integrator and the range meter take the blocks the windows' latest
// step ended.
void FeedEndedBlocks(EBUAnalyzer& a) {
  // The blocks ending while the 400 ms window still fills (100, 200, 300 ms)
  // give an early estimate; the first complete block replaces them.
  if (a.momentary.newBlock) {
    if (a.momentary.values.full)
      UpdateGatedIntegrator(a.integrator, a.momentary.mean);
    else
      UpdateGatedIntegratorEarly(a.integrator, a.momentary.mean);
  }
  if (a.shortTerm.newBlock && a.shortTerm.values.full) UpdateLoudnessRangeMeter(a.range, a.shortTerm.mean);
}

// A window step of one weighted square.
void MeasurePower(EBUAnalyzer& a, double z) {
  StepLoudnessWindow(a.momentary, z);
  StepLoudnessWindow(a.shortTerm, z);
  FeedEndedBlocks(a);
}

// A loudness window's state copied out for a run of samples, so the compiler
// keeps it in registers (the ring's stores cannot alias it).
struct WindowRun {
  double* ring;
  int length, pos, hop, count;
  bool full, newBlock;
  double sum, passSum, mean, blockMax, blockMin;
  double prevSum = 0.0;

  explicit WindowRun(LoudnessWindow& w)
      : ring(w.values.ring.data()),
        length(w.values.length),
        pos(w.values.pos),
        hop(w.hop),
        count(w.count),
        full(w.values.full),
        newBlock(w.newBlock),
        sum(w.values.sum),
        passSum(w.values.passSum),
        mean(w.mean),
        blockMax(w.blockMax),
        blockMin(w.blockMin) {}

  void StoreTo(LoudnessWindow& w) const {
    w.values.pos = pos;
    w.count = count;
    w.values.full = full;
    w.newBlock = newBlock;
    w.values.sum = sum;
    w.values.passSum = passSum;
    w.mean = mean;
    w.blockMax = blockMax;
    w.blockMin = blockMin;
  }

  // The samples until the window's next event: a block end or the wrap of
  // its ring. Runs are cut there, so inside a run only the sums change.
  int ToEvent() const {
    const int toBlock = hop - count;
    return length - pos < toBlock ? length - pos : toBlock;
  }

  // After a run that ended at the ring's end: every stored value was added
  // in this pass, so the running sum restarts from them (as PushSlidingSum
  // does).
  void Wrap() {
    pos = 0;
    full = true;
    sum = passSum;
    passSum = 0.0;
  }
  // What StepLoudnessWindow does besides the sums, for a run of `steps`
  // pushes that ended at an event or at the end of the block; fullBefore is
  // whether the ring was full when the run began. Only the last two samples
  // of the run can change the extremes, and the mean is the last sample's,
  // each computed as the per-sample step computes it.
  void Settle(int steps, bool fullBefore) {
    count += steps;
    newBlock = count >= hop;
    if (newBlock) count = 0;
    const double next = sum / static_cast<double>(length);
    const double previous = prevSum / static_cast<double>(length);  // the mean before the last sample
    if (!full) {
      blockMax = blockMin = next;
    } else {
      if (!fullBefore && steps >= 2) blockMax = blockMin = previous;  // the sample before still filled
      if (newBlock) {
        if (previous > blockMax) blockMax = previous;
        if (previous < blockMin) blockMin = previous;
      }
    }
    mean = next;
  }
};

// Both windows through `steps` values up to their next event, in one loop
// so that their recursions run side by side; kFullA and kFullB say whether
// each ring was full (its values then replace stored ones). These are
// PushSlidingSum's steps with the leaving value taken from the new one
// before either meets the sum, so each sum waits for one add per value: it
// differs from the per-sample form's in rounding only, and the same way at
// every block split.
template <bool kFullA, bool kFullB>
void PushRuns(WindowRun& a, WindowRun& b, const double* z, int steps) {
  double* slotA = a.ring + a.pos;
  double* slotB = b.ring + b.pos;
  double sumA = a.sum, sumB = b.sum, passA = a.passSum, passB = b.passSum;
  double beforeA = sumA, beforeB = sumB;
  for (int k = 0; k < steps; ++k) {
    const double v = z[k];
    beforeA = sumA;
    beforeB = sumB;
    if constexpr (kFullA) {
      sumA += v - slotA[k];
      sumA = sumA < 0.0 ? 0.0 : sumA;
    } else {
      sumA += v;
    }
    if constexpr (kFullB) {
      sumB += v - slotB[k];
      sumB = sumB < 0.0 ? 0.0 : sumB;
    } else {
      sumB += v;
    }
    slotA[k] = v;
    slotB[k] = v;
    passA += v;
    passB += v;
  }
  a.prevSum = beforeA;
  b.prevSum = beforeB;
  a.sum = sumA;
  b.sum = sumB;
  a.passSum = passA;
  b.passSum = passB;
  a.pos += steps;
  b.pos += steps;
  if (a.pos >= a.length) a.Wrap();
  if (b.pos >= b.length) b.Wrap();
}

// The windows through a piece's weighted squares on copies the compiler
// keeps in registers, in runs cut at every event of either window: inside a
// run there are no calls and no divisions.
void MeasurePowerRuns(EBUAnalyzer& a, const double* z, int n) {
  WindowRun momentary(a.momentary);
  WindowRun shortTerm(a.shortTerm);
  for (int k = 0; k < n;) {
    const bool momentaryFull = momentary.full;
    const bool shortTermFull = shortTerm.full;
    const int steps = std::min({n - k, momentary.ToEvent(), shortTerm.ToEvent()});
    if (momentaryFull && shortTermFull)
      PushRuns<true, true>(momentary, shortTerm, z + k, steps);
    else if (momentaryFull)
      PushRuns<true, false>(momentary, shortTerm, z + k, steps);
    else if (shortTermFull)
      PushRuns<false, true>(momentary, shortTerm, z + k, steps);
    else
      PushRuns<false, false>(momentary, shortTerm, z + k, steps);
    k += steps;
    momentary.Settle(steps, momentaryFull);
    shortTerm.Settle(steps, shortTermFull);
    momentary.StoreTo(a.momentary);
    shortTerm.StoreTo(a.shortTerm);
    FeedEndedBlocks(a);
  }
}

// The meters, then, when measuring, the windows (run by run when they have
// their memory, else step by step).
void MetersAndWindows(EBUAnalyzer& a, const LoudnessPiece& piece, bool measuring, int n) {
  UpdateEnvelopeMetersBlock(piece.meters, piece.magnitudes, piece.meterCount, n, piece.meterValues);
  const double* z = piece.power;
  if (!measuring) return;
  if (a.momentary.values.length > 0 && a.shortTerm.values.length > 0) {
    MeasurePowerRuns(a, z, n);
  } else {
    for (int k = 0; k < n; ++k) MeasurePower(a, z[k]);
  }
}

}  // namespace

bool InitEBU(EBUAnalyzer& a, double fs, bool withMemory) {
  if (!(fs > 0.0 && std::isfinite(fs))) return false;  // keep what the analyzer had
  a.sampleRate = fs;
  InitLoudnessPieceState(a.pieces, fs);
  InitTruePeakBank(a.truePeak, fs);
  InitKWeightingBank(a.kWeighting, fs, KWeightingOrder::ShelfFirst, kAntiDenormal);
  for (ChannelPeakMeter& m : a.meters) InitChannelPeakMeter(m, fs, PeakFallKind::Envelope);
  bool ok = true;
  if (withMemory) {
    ok = InitLoudnessWindow(a.momentary, fs, 400.0, 0.75);
    ok = InitLoudnessWindow(a.shortTerm, fs, 3000.0, 0.9666666666666667) && ok;
  } else {
    a.momentary = LoudnessWindow{};
    a.shortTerm = LoudnessWindow{};
  }
  ok = InitGatedIntegrator(a.integrator, withMemory ? kExactHistory : 0, -70.0, -10.0, -141.0) && ok;
  InitLoudnessRangeMeter(a.range, -70.0, -20.0, 10.0, 95.0);
  ResetEBU(a);
  return ok;
}

void ExchangeEBUMemory(EBUAnalyzer& a, EBUAnalyzer& other) {
  std::swap(a.momentary, other.momentary);
  std::swap(a.shortTerm, other.shortTerm);
  std::swap(a.integrator, other.integrator);
  ResetEBU(a);
}

void ResetEBU(EBUAnalyzer& a) {
  ResetTruePeakBank(a.truePeak);
  ResetKWeightingBank(a.kWeighting);
  for (ChannelPeakMeter& m : a.meters) ResetChannelPeakMeter(m);
  ResetLoudnessWindow(a.momentary);
  ResetLoudnessWindow(a.shortTerm);
  ResetGatedIntegrator(a.integrator);
  ResetLoudnessRangeMeter(a.range);
  ResetLoudnessPieceState(a.pieces);
}

void MeterEBU(EBUAnalyzer& a, LoudnessChannelConfig config, bool truePeakOn,
              const double (&x)[kAnalyzerChannels]) {
  a.config = config;
  double s[kAnalyzerChannels];
  LayoutSamples(config, x, s);
  if (truePeakOn) {
    ProcessTruePeakBank(a.truePeak, s);
    for (int c = 0; c < kAnalyzerChannels; ++c) UpdateMeter(a.meters[c], a.truePeak.current[c]);
  } else {
    for (int c = 0; c < kAnalyzerChannels; ++c) UpdateMeter(a.meters[c], std::fabs(s[c]));
  }
}

void MeasureEBU(EBUAnalyzer& a, LoudnessChannelConfig config, bool measuring,
                const double (&x)[kAnalyzerChannels]) {
  a.config = config;
  double s[kAnalyzerChannels];
  LayoutSamples(config, x, s);
  double y[kAnalyzerChannels];
  ProcessKWeightingBank(a.kWeighting, s, y);
  MarkAllChannelsFiltered(a.pieces);  // for the block form, which follows the layout
  if (!measuring) return;

  const LoudnessWeights& weights = LoudnessChannelWeights(config);
  double z = 0.0;
  for (int c = 0; c < kAnalyzerChannels; ++c) z += weights.g[c] * (y[c] * y[c]);
  MeasurePower(a, z);
}

void ProcessEBUBlock(EBUAnalyzer& a, LoudnessChannelConfig config, bool truePeakOn, bool measuring,
                     const double* const* x, int frames) {
  a.config = config;
  const LoudnessPieceParts parts{a.truePeak, a.kWeighting, a.meters, MeterValues::Samples};
  for (int done = 0; done < frames;) {
    const int n = frames - done < kEBUBlockFrames ? frames - done : kEBUBlockFrames;
    const LoudnessPiece piece =
        PrepareLoudnessPiece(a.pieces, parts, config, truePeakOn, measuring, x, done, n);
    MetersAndWindows(a, piece, measuring, n);
    done += n;
  }
}

double EBUMomentary(const EBUAnalyzer& a) { return MeanSquareToLoudness(a.momentary.mean); }
double EBUMomentaryMax(const EBUAnalyzer& a) {
  return RoundToTenth(MeanSquareToLoudness(a.momentary.blockMax));
}
double EBUShortTerm(const EBUAnalyzer& a) { return MeanSquareToLoudness(a.shortTerm.mean); }
double EBUShortTermMax(const EBUAnalyzer& a) {
  return RoundToTenth(MeanSquareToLoudness(a.shortTerm.blockMax));
}
double EBUIntegrated(const EBUAnalyzer& a) { return RoundToTenth(a.integrator.gated); }
double EBULoudnessRange(const EBUAnalyzer& a) { return a.range.lra; }
bool EBUIntegratedValid(const EBUAnalyzer& a) { return HasValue(a.integrator); }
bool EBUIntegratedEarly(const EBUAnalyzer& a) { return HasValue(a.integrator) && a.integrator.earlyOnly; }
bool EBURangeValid(const EBUAnalyzer& a) { return HasValue(a.range); }

double EBUTruePeakMax(const EBUAnalyzer& a) { return MagnitudeToDb(LargestMaxHold(a.truePeak)); }

}  // namespace kalvo5

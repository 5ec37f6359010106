#include "RMSAnalyzer.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "LevelScale.h"
#include "SampleCount.h"

namespace kalvo5 {
namespace {

constexpr double kAES17WindowMs = 600.0;
constexpr double kAES17OffsetDb = 3.0103;
constexpr double kLeqMShortWindowMs = 200.0;
constexpr int kLeqMIntegratorCapacity = 36000;  // one hour of 100 ms updates
// The Leq(M) levels are shown on the loudness scale with its -0.691 undone.
constexpr double kLeqMLoudnessOffset = 0.691;

// Non-finite samples are measured as silence.
double Finite(double x) { return std::isfinite(x) ? x : 0.0; }

// An offset moves measured levels only: "no level" stays -144 in every mode.
double WithOffset(double db, double offset) { return db <= kSilenceDb ? kSilenceDb : db + offset; }

double RMSLevelDb(double meanSquare) { return MagnitudeToDb(std::sqrt(meanSquare)); }

double LeqMLevelDb(double roundedLoudness) {
  return roundedLoudness <= kSilenceDb ? kSilenceDb : roundedLoudness + kLeqMLoudnessOffset;
}

// The integrated level before the meter mode's offset: the unrounded RMS
// level, or for Leq(M) the rounded gated loudness + 0.691.
double IntegratedLevelDb(const RMSAnalyzer& a) {
  if (a.leqM) return LeqMLevelDb(RoundToTenth(a.leqMIntegrator.gated));
  return RMSLevelDb(a.integratedMean);
}

// Sets the window length, keeping the Leq(M) long window equally long.
void ApplyWindow(RMSAnalyzer& a, double ms) {
  a.windowMs = ms;
  a.overlap = 0.75;
  const int capacity = static_cast<int>(a.window.ring.size());
  if (capacity > 0) SetSlidingSumLength(a.window, std::min(SamplesFor(ms, a.sampleRate), capacity));
  ResizeMeanSquareWindow(a.longWindow, a.sampleRate, ms);
}

void UpdateBlockMean(RMSAnalyzer& a) {
  a.blockMean = a.window.sum / static_cast<double>(a.window.length);
  if (a.blockMean > a.blockMeanMax) a.blockMeanMax = a.blockMean;
}

void WindowStep(RMSAnalyzer& a, double v) {
  a.totalSum += v;
  a.totalCount += 1;
  a.integratedMean = a.totalSum / static_cast<double>(std::max<std::int64_t>(a.totalCount, 1));
  if (a.window.length == 0) return;

  PushSlidingSum(a.window, v);
  a.hopCount += 1;
  if (!a.window.full) {
    // The first N samples after a reset: a window filling up from zeros.
    UpdateBlockMean(a);
  } else if (static_cast<double>(a.hopCount) > (1.0 - a.overlap) * a.window.length) {
    a.hopCount = 0;
    UpdateBlockMean(a);
  }
}

void LeqMStep(RMSAnalyzer& a, double v) {
  StepMeanSquareWindow(a.shortWindow, v);
  StepMeanSquareWindow(a.longWindow, v);
  if (!a.shortWindow.newBlock) return;
  const double e = std::fabs(a.shortWindow.mean);
  a.envelope = e + (a.envelope - e) * (e > a.envelope ? a.envelopeAttack : a.envelopeRelease);
  UpdateGatedIntegrator(a.leqMIntegrator, a.envelope);
}

}  // namespace

bool InitRMS(RMSAnalyzer& a, double minWindowMs, double maxWindowMs, double fs, double capacityMs,
             bool withMemory) {
  if (!(fs > 0.0 && std::isfinite(fs))) return false;  // keep what the analyzer had
  a.sampleRate = fs;
  a.minWindowMs = minWindowMs;
  a.maxWindowMs = maxWindowMs;
  const double ringMs = std::max(capacityMs, kAES17WindowMs);
  bool ok = true;
  if (withMemory) {
    ok = AllocateSlidingSum(a.window, SamplesFor(ringMs, fs));
    ok = InitMeanSquareWindow(a.shortWindow, fs, kLeqMShortWindowMs, kLeqMShortWindowMs) && ok;
    ok = InitMeanSquareWindow(a.longWindow, fs, kAES17WindowMs, ringMs) && ok;
  } else {
    a.window = SlidingSum{};
    a.shortWindow = MeanSquareWindow{};
    a.longWindow = MeanSquareWindow{};
  }
  const int exactValues = withMemory ? kLeqMIntegratorCapacity : 0;
  ok = InitGatedIntegrator(a.leqMIntegrator, exactValues, kSilenceDb, kSilenceDb, kSilenceDb) && ok;
  ApplyWindow(a, kAES17WindowMs);
  a.meterMode = RMSMeterMode::Sum;
  a.dbOffset = 0.0;
  a.peakOffset = 0.0;
  a.envelopeAttack = 0.0;
  a.envelopeRelease = std::pow(10.0, -1.0 / (fs * 7.5e-05));
  for (TruePeakDetector& d : a.truePeak) InitTruePeak(d, fs);
  for (ChannelPeakMeter& m : a.meters) InitChannelPeakMeter(m, fs, PeakFallKind::Decay);
  ResetRMS(a);
  return ok;
}

int RMSWindowRingSamples(double fs, double ms) { return SamplesFor(std::max(ms, kAES17WindowMs), fs); }

void ExchangeRMSMemory(RMSAnalyzer& a, RMSAnalyzer& other) {
  std::swap(a.window, other.window);
  std::swap(a.shortWindow, other.shortWindow);
  std::swap(a.longWindow, other.longWindow);
  std::swap(a.leqMIntegrator, other.leqMIntegrator);
  ApplyWindow(a, a.windowMs);
  ResetRMS(a);
}

void SetRMSWindow(RMSAnalyzer& a, double ms) {
  if (!(ms >= a.minWindowMs && ms <= a.maxWindowMs) || ms == a.windowMs) return;
  ApplyWindow(a, ms);
  ResetRMS(a);
}

void SetRMSMeterMode(RMSAnalyzer& a, RMSMeterMode mode) {
  bool changed = mode != a.meterMode;
  a.meterMode = mode;
  a.dbOffset = 0.0;
  a.peakOffset = 0.0;
  if (mode == RMSMeterMode::AES17) {
    a.dbOffset = kAES17OffsetDb;
    if (a.windowMs != kAES17WindowMs) {
      ApplyWindow(a, kAES17WindowMs);
      changed = true;
    }
  }
  if (changed) ResetRMS(a);
}

void ResetRMS(RMSAnalyzer& a) {
  ResetSlidingSum(a.window);
  a.hopCount = 0;
  a.blockMean = 0.0;
  a.blockMeanMax = 0.0;
  a.totalSum = 0.0;
  a.totalCount = 0;
  a.integratedMean = 0.0;
  a.samplePeak = 0.0;
  a.peakMax = 0.0;
  for (TruePeakDetector& d : a.truePeak) ResetTruePeak(d);
  for (ChannelPeakMeter& m : a.meters) ResetChannelPeakMeter(m);
  ResetMeanSquareWindow(a.shortWindow);
  ResetMeanSquareWindow(a.longWindow);
  a.envelope = 0.0;
  ResetGatedIntegrator(a.leqMIntegrator);
}

void ClipRMS(RMSAnalyzer& a, RMSChannelConfig config, const double (&x)[kAnalyzerChannels]) {
  const ChannelRange range = MeasuredChannels(config);
  for (int c = range.first; c < range.first + range.count; ++c)
    UpdateChannelPeakMeter(a.meters[c], std::fabs(Finite(x[c])));
}

void PeakRMS(RMSAnalyzer& a, RMSChannelConfig config, const double (&x)[kAnalyzerChannels], bool truePeakOn) {
  const ChannelRange range = MeasuredChannels(config);
  double samples[kAnalyzerChannels];
  double peak = 0.0;
  for (int c = 0; c < range.count; ++c) {
    samples[c] = Finite(x[range.first + c]);
    peak = std::max(peak, std::fabs(samples[c]));
  }
  if (truePeakOn) ProcessTruePeaks(&a.truePeak[range.first], samples, range.count);
  a.samplePeak = peak;
  if (peak > a.peakMax) a.peakMax = peak;
}

void MeasureRMS(RMSAnalyzer& a, RMSChannelConfig config, RMSWeightingKind kind, bool isLeqM,
                const double (&w)[kAnalyzerChannels]) {
  double g[kAnalyzerChannels] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
  if (kind == RMSWeightingKind::BS1770 && config == RMSChannelConfig::SixChannels) {
    g[3] = 0.0;
    g[4] = 1.41;
    g[5] = 1.41;
  } else if (kind == RMSWeightingKind::LeqM) {
    g[3] = 0.5;
    g[4] = 0.5;
    g[5] = 1.0;
  }
  const ChannelRange range = MeasuredChannels(config);
  double v = 0.0;
  for (int c = range.first; c < range.first + range.count; ++c) {
    const double y = Finite(w[c]);
    v += g[c] * (y * y);
  }
  if ((a.meterMode == RMSMeterMode::AES17 || a.meterMode == RMSMeterMode::Average) && range.count > 0)
    v /= range.count;

  a.leqM = isLeqM;
  if (isLeqM)
    LeqMStep(a, v);
  else
    WindowStep(a, v);
}

double RMSMomentary(const RMSAnalyzer& a) {
  if (a.leqM)
    return WithOffset(LeqMLevelDb(RoundToTenth(MeanSquareToLoudness(a.longWindow.mean))), a.dbOffset);
  return WithOffset(RoundToTenth(RMSLevelDb(a.blockMean)), a.dbOffset);
}

double RMSMomentaryMax(const RMSAnalyzer& a) {
  if (a.leqM)
    return WithOffset(LeqMLevelDb(RoundToTenth(MeanSquareToLoudness(a.longWindow.meanMax))), a.dbOffset);
  return WithOffset(RoundToTenth(RMSLevelDb(a.blockMeanMax)), a.dbOffset);
}

double RMSIntegrated(const RMSAnalyzer& a, bool rounded) {
  // The Leq(M) level is rounded on the loudness scale already.
  const double db = IntegratedLevelDb(a);
  return WithOffset(rounded && !a.leqM ? RoundToTenth(db) : db, a.dbOffset);
}

double RMSPeakMax(const RMSAnalyzer& a, bool rounded) {
  const double db = MagnitudeToDb(a.peakMax);
  return WithOffset(rounded ? RoundToTenth(db) : db, a.peakOffset);
}

double RMSTruePeakMax(const RMSAnalyzer& a) {
  double hold = 0.0;
  for (const TruePeakDetector& d : a.truePeak) hold = std::max(hold, d.maxHold);
  return WithOffset(RoundToTenth(MagnitudeToDb(hold)), a.peakOffset);
}

double RMSCrest(const RMSAnalyzer& a) {
  if (!(RMSIntegrated(a, true) > kSilenceDb)) return 0.0;
  const double peakDb = MagnitudeToDb(a.peakMax) + a.peakOffset;
  return RoundToTenth(peakDb - (IntegratedLevelDb(a) + a.dbOffset));
}

}  // namespace kalvo5

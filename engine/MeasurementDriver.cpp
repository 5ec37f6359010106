#include "engine/MeasurementDriver.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>

#include "engine/LevelScale.h"

namespace kalvo5 {

namespace {

constexpr double kMinWindowMs = 10.0;
constexpr double kMaxWindowMs = 10000.0;

// The channels a configuration measures and passes gained; none for a type
// outside RMS, EBU and DIAL.
ChannelRange ActiveChannels(int type, int config) {
  switch (type) {
    case kAnalyzerRMS:
      return MeasuredChannels(static_cast<RMSChannelConfig>(config));
    case kAnalyzerEBU:
    case kAnalyzerDIAL:
      return MeasuredChannels(static_cast<LoudnessChannelConfig>(config));
    default:
      return {0, 0};
  }
}

double ClampRMSWindowMs(double ms) {
  return std::isfinite(ms) ? std::clamp(ms, kMinWindowMs, kMaxWindowMs) : 600.0;
}

// The ring length an analyzer holds (MemorySizes): 0 unless it has all of
// its memory.
int RMSHeld(const RMSAnalyzer& a) {
  if (a.shortWindow.values.length == 0 || a.leqMIntegrator.binCount == 0) return 0;
  return std::min(RMSWindowCapacity(a), static_cast<int>(a.longWindow.values.ring.size()));
}
int DIALHeld(const DIALAnalyzer& a) { return DIALHasMemory(a) ? DIALWindowCapacity(a) : 0; }

// An output written overlaps the input of another of the first `gained`
// channels, or its own in part: writing it could change what is still to be
// read.
bool OutputsOverlapOtherInputs(const double* const* inputs, int gained, double* const* outputs, int nOut,
                               const bool (&writes)[kAnalyzerChannels], int nFrames) {
  const auto span = static_cast<std::uintptr_t>(nFrames) * sizeof(double);
  for (int o = 0; o < nOut; ++o) {
    if (!writes[o]) continue;
    const auto out = reinterpret_cast<std::uintptr_t>(outputs[o]);
    for (int i = 0; i < gained; ++i) {
      const auto in = reinterpret_cast<std::uintptr_t>(inputs[i]);
      const bool overlap = out < in + span && in < out + span;
      if (overlap && (i != o || in != out)) return true;
    }
  }
  return false;
}

}  // namespace

ChannelRange ProcessedChannels(const BlockSettings& settings) {
  if (settings.allOutputs) return {0, kAnalyzerChannels};
  const bool knownType = settings.type >= kAnalyzerRMS && settings.type <= kAnalyzerDIAL;
  return ActiveChannels(settings.type, knownType ? settings.config : 0);
}

MemorySizes MemorySizesFor(double sampleRate, const AnalyzerSetup& setup) {
  MemorySizes sizes;
  if (setup.type == kAnalyzerDIAL) {
    sizes.dialWindow = DIALWindowRingSamples(sampleRate, setup.dialWindowMs);
  } else {
    sizes.rmsWindow = RMSWindowRingSamples(sampleRate, ClampRMSWindowMs(setup.rmsWindowMs));
    sizes.ebu = true;
  }
  return sizes;
}

bool ObtainMemory(AnalyzerMemory& m, double sampleRate, const AnalyzerSetup& setup, const MemorySizes& have) {
  m.sampleRate = sampleRate;
  const MemorySizes need = MemorySizesFor(sampleRate, setup);
  // A ring fits when it is long enough, and absent when nothing is needed.
  const auto fits = [](int held, int needed) { return held >= needed && (needed > 0 || held == 0); };
  bool ok = true;
  if (!fits(have.rmsWindow, need.rmsWindow)) {
    m.rms.reset(new (std::nothrow) RMSAnalyzer);
    ok = m.rms && InitRMS(*m.rms, kMinWindowMs, kMaxWindowMs, sampleRate, ClampRMSWindowMs(setup.rmsWindowMs),
                          need.rmsWindow > 0);
  }
  if (ok && have.ebu != need.ebu) {
    m.ebu.reset(new (std::nothrow) EBUAnalyzer);
    ok = m.ebu && InitEBU(*m.ebu, sampleRate, need.ebu);
  }
  if (ok && !fits(have.dialWindow, need.dialWindow)) {
    m.dial.reset(new (std::nothrow) DIALAnalyzer);
    ok = m.dial && InitDIAL(*m.dial, sampleRate, setup.dialWindowMs, need.dialWindow > 0);
  }
  return ok;
}

MemorySizes MemoryAfter(const MemorySizes& have, const AnalyzerMemory& m) {
  MemorySizes after = have;
  if (m.rms) after.rmsWindow = RMSHeld(*m.rms);
  if (m.ebu) after.ebu = EBUHasMemory(*m.ebu);
  if (m.dial) after.dialWindow = DIALHeld(*m.dial);
  return after;
}

void MeasurementDriver::Init(double sampleRate, const AnalyzerSetup& setup) {
  if (std::isfinite(sampleRate) && sampleRate > 0.0) mSampleRate = sampleRate;

  const MemorySizes need = MemorySizesFor(mSampleRate, setup);
  InitRMS(mRms, kMinWindowMs, kMaxWindowMs, mSampleRate, ClampRMSWindowMs(setup.rmsWindowMs),
          need.rmsWindow > 0);
  SetRMSWindow(setup.rmsWindowMs);
  SetRMSMeterMode(setup.rmsMeterMode);
  InitEBU(mEbu, mSampleRate, need.ebu);
  InitDIAL(mDial, mSampleRate, setup.dialWindowMs, need.dialWindow > 0);
  DesignWeightings(setup.weightingMode);
}

MemorySizes MeasurementDriver::Held() const { return {RMSHeld(mRms), EBUHasMemory(mEbu), DIALHeld(mDial)}; }

void MeasurementDriver::AdoptMemory(AnalyzerMemory& memory) {
  if (memory.sampleRate != mSampleRate) return;
  if (memory.rms) ExchangeRMSMemory(mRms, *memory.rms);
  if (memory.ebu) ExchangeEBUMemory(mEbu, *memory.ebu);
  if (memory.dial) ExchangeDIALMemory(mDial, *memory.dial);
}

bool MeasurementDriver::Configure(const AnalyzerSetup& setup) {
  Reset();
  if (!Covers(Held(), MemorySizesFor(mSampleRate, setup))) return false;
  SetRMSWindow(setup.rmsWindowMs);
  SetRMSMeterMode(setup.rmsMeterMode);
  DesignWeightings(setup.weightingMode);
  FixedArray<double> none;
  kalvo5::SetDIALWindow(mDial, setup.dialWindowMs, none);
  return true;
}

void MeasurementDriver::Reset() {
  ResetRMS(mRms);
  ResetEBU(mEbu);
  ResetDIAL(mDial);
  for (WeightingFilter& filter : mWeighting) ResetWeighting(filter);
}

void MeasurementDriver::SetRMSWindow(double ms) { kalvo5::SetRMSWindow(mRms, ms); }

void MeasurementDriver::SetRMSMeterMode(int mode) {
  kalvo5::SetRMSMeterMode(mRms, static_cast<RMSMeterMode>(mode));
}

void MeasurementDriver::DesignWeightings(int weightingMode) {
  for (WeightingFilter& filter : mWeighting)
    DesignWeighting(static_cast<WeightingMode>(weightingMode), mSampleRate, filter);
}

void MeasurementDriver::MeasureSample(int type, int config, bool measuring, bool truePeak,
                                      const double (&m)[kAnalyzerChannels]) {
  if (type != kAnalyzerRMS) return;  // EBU and DIAL run block-wise
  const auto rmsConfig = static_cast<RMSChannelConfig>(config);
  ClipRMS(mRms, rmsConfig, m);
  if (!measuring) return;
  PeakRMS(mRms, rmsConfig, m, truePeak);
  double w[kAnalyzerChannels];
  for (int i = 0; i < kAnalyzerChannels; ++i) w[i] = ProcessWeighting(mWeighting[i], m[i]);
  const WeightingMode mode = mWeighting[0].mode;
  MeasureRMS(mRms, rmsConfig, RMSWeightingKindFor(mode), mode == WeightingMode::LeqM, w);
}

void MeasurementDriver::ProcessLoudnessBlocks(const double* const* inputs, int nIn, double* const* outputs,
                                              int nOut, int nFrames, const BlockSettings& settings,
                                              double gain, bool measuring,
                                              const bool (&writes)[kAnalyzerChannels]) {
  const auto config = static_cast<LoudnessChannelConfig>(settings.config);
  const int count = MeasuredChannels(config).count;  // every layout starts at channel 0
  // At unity gain the pass-through values are the inputs themselves: the
  // analyzer reads them in place, unless an output could overwrite an input
  // it has still to read.
  const bool inPlace =
      gain == 1.0 && !OutputsOverlapOtherInputs(inputs, std::min(nIn, count), outputs, nOut, writes, nFrames);
  for (int done = 0; done < nFrames;) {
    const int n = nFrames - done < kLoudnessPieceFrames ? nFrames - done : kLoudnessPieceFrames;
    // Every input of the piece is read before any output is written, so
    // in-place buffers are safe.
    const double* pass[kAnalyzerChannels] = {};
    for (int c = 0; c < kAnalyzerChannels; ++c) {
      double* copy = mPass[c];
      pass[c] = copy;
      const bool gained = c < count;
      if (!gained && !writes[c]) continue;
      if (c >= nIn) {
        for (int k = 0; k < n; ++k) copy[k] = 0.0;
      } else if (gained && inPlace) {
        pass[c] = inputs[c] + done;
      } else if (gained) {
        const double* x = inputs[c] + done;
        for (int k = 0; k < n; ++k) copy[k] = gain * x[k];
      } else {
        const double* x = inputs[c] + done;
        for (int k = 0; k < n; ++k) copy[k] = x[k];
      }
    }
    // The analyzer measures a non-finite sample as silence; it still passes.
    if (settings.type == kAnalyzerEBU)
      ProcessEBUBlock(mEbu, config, settings.truePeak, measuring, pass, n);
    else
      ProcessDIALBlock(mDial, config, settings.truePeak, measuring, pass, n);
    for (int c = 0; c < nOut; ++c) {
      if (!writes[c]) continue;
      double* out = outputs[c] + done;
      const double* from = pass[c];
      if (out != from)
        for (int k = 0; k < n; ++k) out[k] = from[k];
    }
    done += n;
  }
}

bool MeasurementDriver::Process(const double* const* inputs, int nIn, double* const* outputs, int nOut,
                                int nFrames, const BlockSettings& settings, bool playing) {
  nIn = std::clamp(nIn, 0, kAnalyzerChannels);
  nOut = std::clamp(nOut, 0, kAnalyzerChannels);
  if (nIn == 0 || nOut == 0 || nFrames <= 0) return false;

  const int type = settings.type;
  const bool knownType = type >= kAnalyzerRMS && type <= kAnalyzerDIAL;
  const int config = knownType ? settings.config : 0;
  const ChannelRange active = ActiveChannels(type, config);
  const bool truePeak = settings.truePeak;
  const bool allOutputs = settings.allOutputs;
  int nSampleFrames = nFrames;  // frames left for the per-sample loop

  double gain = 1.0;
  if (knownType) gain = settings.gainDb <= kSilenceDb ? 0.0 : DbToGain(settings.gainDb);

  // Transport sync: a start of playback resets once; while stopped nothing
  // is measured (the meters keep moving).
  bool measuring = true;
  if (settings.sync) {
    if (playing && !mRunning && !settings.noResetOnSync) Reset();
    mRunning = playing;
    measuring = mRunning;
  }

  bool writes[kAnalyzerChannels];
  for (int i = 0; i < kAnalyzerChannels; ++i) writes[i] = i < nOut && (allOutputs || active.Contains(i));

  if (type == kAnalyzerEBU || type == kAnalyzerDIAL) {
    ProcessLoudnessBlocks(inputs, nIn, outputs, nOut, nFrames, settings, gain, measuring, writes);
    nSampleFrames = 0;
  }
  for (int n = 0; n < nSampleFrames; ++n) {
    double pass[kAnalyzerChannels];
    double measured[kAnalyzerChannels];
    for (int i = 0; i < kAnalyzerChannels; ++i) {
      const double x = i < nIn ? inputs[i][n] : 0.0;
      if (active.Contains(i)) {
        pass[i] = gain * x;
        // A non-finite sample passes through but is measured as silence, so
        // it cannot poison the meters until the next reset.
        measured[i] = std::isfinite(pass[i]) ? pass[i] : 0.0;
      } else {
        pass[i] = x;
        measured[i] = 0.0;
      }
    }
    MeasureSample(type, config, measuring, truePeak, measured);
    // All inputs of this sample are read before any output is written, so
    // in-place buffers are safe.
    for (int i = 0; i < nOut; ++i)
      if (writes[i]) outputs[i][n] = pass[i];
  }

  return true;
}

MeasurementReadings MeasurementDriver::Read(int type) const {
  MeasurementReadings readings;
  readings.sampleRate = mSampleRate;
  const ChannelPeakMeter* meters = type == kAnalyzerRMS    ? mRms.meters
                                   : type == kAnalyzerEBU  ? mEbu.meters
                                   : type == kAnalyzerDIAL ? mDial.meters
                                                           : nullptr;
  for (int c = 0; meters && c < kAnalyzerChannels; ++c)
    readings.channels[c] = {meters[c].maxHold, meters[c].peak, meters[c].light};
  switch (type) {
    case kAnalyzerRMS: {
      RMSReadings& r = readings.rms;
      r.integrated = RMSIntegrated(mRms, true);
      r.momentary = RMSMomentary(mRms);
      r.momentaryMax = RMSMomentaryMax(mRms);
      r.peakMax = RMSPeakMax(mRms, true);
      r.truePeakMax = RMSTruePeakMax(mRms);
      r.crest = RMSCrest(mRms);
      break;
    }
    case kAnalyzerEBU: {
      EBUReadings& r = readings.ebu;
      r.integrated = EBUIntegrated(mEbu);
      r.integratedValid = EBUIntegratedValid(mEbu);
      r.integratedEarly = EBUIntegratedEarly(mEbu);
      r.momentary = EBUMomentary(mEbu);
      r.momentaryMax = EBUMomentaryMax(mEbu);
      r.shortTerm = EBUShortTerm(mEbu);
      r.shortTermMax = EBUShortTermMax(mEbu);
      r.truePeakMax = EBUTruePeakMax(mEbu);
      r.loudnessRange = EBULoudnessRange(mEbu);
      r.rangeValid = EBURangeValid(mEbu);
      break;
    }
    case kAnalyzerDIAL: {
      DIALReadings& r = readings.dial;
      r.integrated = DIALIntegrated(mDial);
      r.integratedValid = DIALIntegratedValid(mDial);
      r.speechRange = DIALSpeechRange(mDial);
      r.speechRangeValid = DIALSpeechRangeValid(mDial);
      r.speechRatio = DIALSpeechRatio(mDial);
      r.shortTerm = DIALShortTerm(mDial);
      r.shortTermMax = DIALShortTermMax(mDial);
      r.truePeakMax = DIALTruePeakMax(mDial);
      r.range = DIALRange(mDial);
      r.rangeValid = DIALRangeValid(mDial);
      r.speechDetection = DIALDetectsSpeech(mDial);
      break;
    }
    default:
      break;
  }
  return readings;
}

}  // namespace kalvo5

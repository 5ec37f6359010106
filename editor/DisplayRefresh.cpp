// The periodic refresh of the meter columns and of the visible page's
// read-outs from one snapshot of the readings.
#include <cmath>

#include "Kalvo5WithEditor.h"
#include "ReadoutFormat.h"
#include "framework/igraphics/IGraphics.h"

namespace kalvo5 {

namespace {

constexpr double kLevelFloor = -143.0;    // dB values below print "-inf"
constexpr double kLoudnessFloor = -70.0;  // loudness values below print "-inf"

}  // namespace

void Kalvo5WithEditor::FormatReadout(int position, bool offsetOn, bool valid, int decimals, double value,
                                     double reference, double floor) {
  SetLabel(position, FormatReadoutText(offsetOn, valid, decimals, value, reference, floor));
}

bool Kalvo5WithEditor::ReadForDisplay(MeasurementReadings& readings) {
  const int type = Settings().GetInt(kType);
  if (type != kTypeRMS && type != kTypeEBU && type != kTypeDIAL) return false;
  return TryReadMeasurement(type, readings);
}

void Kalvo5WithEditor::RefreshMeters() {
  MeasurementReadings r;
  if (!ReadForDisplay(r)) {
    mMetersDirty.store(true);  // the audio thread held the lock: next tick
    return;
  }
  const bool dial = Settings().GetInt(kType) == kTypeDIAL;
  for (int k = 0; k < kAnalyzerChannels; ++k) {
    const ChannelMeterReading& c = r.channels[k];
    ShowMeterChannel(dial ? mIndices.mDialMeterIdx[k] : mIndices.mMeterIdx[k], mIndices.mMeterValueIdx[k],
                     dial ? mIndices.mDialClipIdx[k] : mIndices.mClipIdx[k], DisplayDb(c.peak),
                     DisplayDb(c.maxHold), c.clipLight);
  }
}

void Kalvo5WithEditor::RefreshReadouts() {
  MeasurementReadings r;
  if (!ReadForDisplay(r)) {
    mReadoutsDirty.store(true);
    return;
  }
  const SettingsMirror& s = Settings();
  switch (s.GetInt(kType)) {
    case kTypeRMS: {
      const int* at = mIndices.mRMSReadoutIdx;
      const bool offset = s.GetInt(kRMSDelta) == 1;
      const double ref = s.Get(kRMSRefLevel);
      FormatReadout(at[0], offset, true, 1, r.rms.integrated, ref, kLevelFloor);
      FormatReadout(at[2], offset, true, 1, r.rms.momentary, ref, kLevelFloor);
      FormatReadout(at[4], offset, true, 1, r.rms.momentaryMax, ref, kLevelFloor);
      FormatReadout(at[6], false, true, 1, r.rms.peakMax, 0.0, kLevelFloor);
      FormatReadout(at[8], false, true, 1, r.rms.truePeakMax, 0.0, kLevelFloor);
      FormatReadout(at[10], false, true, 1, r.rms.crest, 0.0, kLevelFloor);
      break;
    }
    case kTypeEBU: {
      const int* at = mIndices.mEBUReadoutIdx;
      const bool offset = s.GetInt(kEBUDelta) == 1;
      const double ref = s.Get(kEBURefLevel);
      const EBUReadings& e = r.ebu;
      FormatReadout(at[0], offset, e.integratedValid, 1, e.integrated, ref, kLoudnessFloor);
      FormatReadout(at[2], offset, true, 1, Tenths(e.shortTerm), ref, kLoudnessFloor);
      FormatReadout(at[4], offset, true, 1, e.shortTermMax, ref, kLoudnessFloor);
      FormatReadout(at[6], offset, true, 1, Tenths(e.momentary), ref, kLoudnessFloor);
      FormatReadout(at[8], offset, true, 1, e.momentaryMax, ref, kLoudnessFloor);
      FormatReadout(at[10], false, true, 1, e.truePeakMax, 0.0, kLevelFloor);
      FormatReadout(at[12], false, e.rangeValid, 1, e.loudnessRange, 0.0, 0.0);
      break;
    }
    case kTypeDIAL: {
      const int* at = mIndices.mDIALReadoutIdx;
      const bool offset = s.GetInt(kDIALDelta) == 1;
      const double ref = s.Get(kDIALRefLevel);
      const DIALReadings& d = r.dial;
      FormatReadout(at[0], offset, d.integratedValid, 1, d.integrated, ref, kLoudnessFloor);
      FormatReadout(at[2], offset, true, 1, Tenths(d.shortTerm), ref, kLoudnessFloor);
      FormatReadout(at[4], offset, true, 1, d.shortTermMax, ref, kLoudnessFloor);
      FormatReadout(at[6], false, d.speechRangeValid, 1, d.speechRange, 0.0, 0.0);
      FormatReadout(at[8], false, d.integratedValid, 0, 100.0 * d.speechRatio, 0.0, 0.0);
      FormatReadout(at[10], false, true, 1, d.truePeakMax, 0.0, kLevelFloor);
      FormatReadout(at[12], false, d.rangeValid, 1, d.range, 0.0, 0.0);
      break;
    }
    default:
      break;
  }
}

}  // namespace kalvo5

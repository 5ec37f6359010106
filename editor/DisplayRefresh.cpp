// The periodic refresh of the meter columns and of the visible page's
// read-outs from one snapshot of the readings.
#include <cmath>
#include <initializer_list>

#include "Kalvo5WithEditor.h"
#include "ReadoutFormat.h"
#include "framework/igraphics/IGraphics.h"

namespace kalvo5 {

namespace {

constexpr double kLevelFloor = -143.0;    // dB values below print "-inf"
constexpr double kLoudnessFloor = -70.0;  // loudness values below print "-inf"

// One read-out of a page: its entry, the value, the floor below which it
// reads "-inf", whether the page's offset applies, whether there is a value
// yet, and its decimals.
struct Readout {
  int entry;
  double value;
  double floor;
  bool offset = false;
  bool valid = true;
  int decimals = 1;
};

void FormatReadouts(Kalvo5WithEditor& editor, const int* positions, bool offsetOn, double reference,
                    std::initializer_list<Readout> readouts) {
  for (const Readout& r : readouts)
    editor.FormatReadout(positions[r.entry], offsetOn && r.offset, r.valid, r.decimals, r.value, reference,
                         r.floor);
}

}  // namespace

void Kalvo5WithEditor::FormatReadout(int position, bool offsetOn, bool valid, int decimals, double value,
                                     double reference, double floor) {
  SetLabel(position, FormatReadoutText(offsetOn, valid, decimals, value, reference, floor));
}

bool Kalvo5WithEditor::ReadForDisplay(MeasurementReadings& readings) {
  const int type = Settings().GetInt(kType);
  if (type != kTypeRMS && type != kTypeEBU && type != kTypeDIAL) return false;
  readings = ReadMeasurement(type);
  return true;
}

void Kalvo5WithEditor::RefreshMeters() {
  MeasurementReadings r;
  if (!ReadForDisplay(r)) return;
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
  if (!ReadForDisplay(r)) return;
  const SettingsMirror& s = Settings();
  switch (s.GetInt(kType)) {
    case kTypeRMS: {
      const RMSReadings& m = r.rms;
      FormatReadouts(*this, mIndices.mRMSReadoutIdx, s.GetInt(kRMSDelta) == 1, s.Get(kRMSRefLevel),
                     {{0, m.integrated, kLevelFloor, true},
                      {2, m.momentary, kLevelFloor, true},
                      {4, m.momentaryMax, kLevelFloor, true},
                      {6, m.peakMax, kLevelFloor},
                      {8, m.truePeakMax, kLevelFloor},
                      {10, m.crest, kLevelFloor}});
      break;
    }
    case kTypeEBU: {
      const EBUReadings& e = r.ebu;
      FormatReadouts(*this, mIndices.mEBUReadoutIdx, s.GetInt(kEBUDelta) == 1, s.Get(kEBURefLevel),
                     {{0, e.integrated, kLoudnessFloor, true, e.integratedValid},
                      {2, Tenths(e.shortTerm), kLoudnessFloor, true},
                      {4, e.shortTermMax, kLoudnessFloor, true},
                      {6, Tenths(e.momentary), kLoudnessFloor, true},
                      {8, e.momentaryMax, kLoudnessFloor, true},
                      {10, e.truePeakMax, kLevelFloor},
                      {12, e.loudnessRange, 0.0, false, e.rangeValid}});
      break;
    }
    case kTypeDIAL: {
      const DIALReadings& d = r.dial;
      FormatReadouts(*this, mIndices.mDIALReadoutIdx, s.GetInt(kDIALDelta) == 1, s.Get(kDIALRefLevel),
                     {{0, d.integrated, kLoudnessFloor, true, d.integratedValid},
                      {2, Tenths(d.shortTerm), kLoudnessFloor, true},
                      {4, d.shortTermMax, kLoudnessFloor, true},
                      {6, d.speechRange, 0.0, false, d.speechRangeValid},
                      {8, 100.0 * d.speechRatio, 0.0, false, d.integratedValid, 0},
                      {10, d.truePeakMax, kLevelFloor},
                      {12, d.range, 0.0, false, d.rangeValid}});
      break;
    }
    default:
      break;
  }
}

}  // namespace kalvo5

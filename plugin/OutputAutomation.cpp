#include "OutputAutomation.h"

#include <cmath>

#include "Kalvo5.h"
#include "engine/LevelScale.h"

namespace kalvo5 {

namespace {

void Add(OutputValues& out, int index, double value) {
  out.index[out.count] = index;
  out.value[out.count] = value;
  ++out.count;
}

// Hosts whose automation writes are bracketed by a gesture.
bool WantsGestures(int host) {
  return host == iplug::kHostCakewalk || host == iplug::kHostLogic || host == iplug::kHostGarageBand ||
         host == iplug::kHostBitwig;
}

}  // namespace

OutputValues OutputValuesFor(int type, const MeasurementReadings& r) {
  OutputValues out;
  switch (type) {
    case kTypeRMS:
      Add(out, kOutRMSIL, r.rms.integrated);
      Add(out, kOutRMSML, r.rms.momentary);
      Add(out, kOutRMSMLMax, r.rms.momentaryMax);
      Add(out, kOutRMSPeakMax, r.rms.peakMax);
      Add(out, kOutRMSTPMax, r.rms.truePeakMax);
      Add(out, kOutRMSCrest, r.rms.crest);
      break;
    case kTypeEBU:
      Add(out, kOutEBUIL, r.ebu.integrated);
      Add(out, kOutEBUML, RoundToTenth(r.ebu.momentary));
      Add(out, kOutEBUMLMax, r.ebu.momentaryMax);
      Add(out, kOutEBUSL, RoundToTenth(r.ebu.shortTerm));
      Add(out, kOutEBUSLMax, r.ebu.shortTermMax);
      Add(out, kOutEBUTPMax, r.ebu.truePeakMax);
      Add(out, kOutEBULRA, r.ebu.loudnessRange);
      break;
    case kTypeDIAL:
      Add(out, kOutDIALIL, r.dial.integrated);
      Add(out, kOutDIALLRA, r.dial.speechRange);
      Add(out, kOutDIALPercentage, 100.0 * r.dial.speechRatio);
      Add(out, kOutDIALSL, RoundToTenth(r.dial.shortTerm));
      Add(out, kOutDIALSLMax, r.dial.shortTermMax);
      Add(out, kOutDIALTPMax, r.dial.truePeakMax);
      Add(out, kOutDIALLRAD, r.dial.range);
      break;
    default:
      break;
  }
  return out;
}

void Kalvo5::OnBlockEnd() {
  if (!mAutomationDue.load() || mSettings.GetInt(kWriteAutomationData) != 1) return;
  mAutomationDue.store(false);
  WriteOutputParams(mDueOutputs);
}

void Kalvo5::OnProcessingStopped() {
  // The last part-period of the programme is sent too, once per stop.
  if (!mProcessedSinceStop.exchange(false) || mSettings.GetInt(kWriteAutomationData) != 1) return;
  const int type = mSettings.GetInt(kType);
  WriteOutputParams(OutputValuesFor(type, ReadMeasurement(type)));
}

void Kalvo5::WriteOutputParams(const OutputValues& values) {
  for (int n = 0; n < values.count; ++n) WriteOutputParam(values.index[n], values.value[n]);
}

void Kalvo5::WriteOutputParam(int index, double value) {
  iplug::IParam* param = GetParam(index);
  if (!param || std::isnan(value)) return;
  const bool gesture = WantsGestures(GetHost());
  if (gesture) BeginParamGesture(index);
  // The value is stored as written (constrained), not as it comes back from
  // its normalized form: a written 0.0 must display "0.0", not "-0.0".
  param->SetValue(value);
  SendParamToHost(index, param->NormalizedFromValue(value));
  // The reaction to an output is a refresh of the read-outs; the editor
  // learns the value on its next tick.
  mReadoutsDirty.store(true);
  if (mEditorOpen.load()) QueueParamForEditor(index, param->GetValue(), false);
  if (gesture) EndParamGesture(index);
}

}  // namespace kalvo5

#include "OutputAutomation.h"

#include <cmath>

#include "Kalvo5.h"
#include "ReadingTable.h"

namespace kalvo5 {

namespace {

// Hosts whose automation writes are bracketed by a gesture.
bool WantsGestures(int host) {
  return host == iplug::kHostCakewalk || host == iplug::kHostLogic || host == iplug::kHostGarageBand ||
         host == iplug::kHostBitwig;
}

}  // namespace

OutputValues OutputValuesFor(int type, const MeasurementReadings& readings) {
  OutputValues out;
  for (const ReadingRow& row : kReadingRows) {
    if (row.type != type) continue;
    out.index[out.count] = row.param;
    out.value[out.count] = row.value(readings);
    ++out.count;
  }
  return out;
}

std::string Kalvo5::NoMeasurementReason(int paramIndex) const {
  const ReadingRow* row = FindReadingRow(paramIndex);
  if (row == nullptr) return {};
  const MeasurementReadings readings = ReadMeasurement(row->type);
  if (IsUnavailable(*row, readings)) return kNoSpeechDetectionReason;
  if (row->estimate != nullptr && row->estimate(readings)) return kEstimateReason;
  return {};
}

bool Kalvo5::IsOutputParam(int index) const { return ::kalvo5::IsOutputParam(index); }

bool Kalvo5::MeasuredSampleRates(double& lowest, double& highest) const {
  lowest = kLowestMeasuredRate;
  highest = kHighestMeasuredRate;
  return true;
}

void Kalvo5::OnBlockEnd() {
  if (!mPeriodDue) return;
  mPeriodDue = false;
  if (mSettings.GetInt(kWriteAutomationData) == 1) WriteOutputParams(mDueOutputs);
}

void Kalvo5::OnProcessingStopped() {
  if (!mProcessedSinceStop.exchange(false)) return;
  // Until audio runs again the editor shows the final readings, and the
  // last part-period of the programme is sent too, once per stop.
  mShowFinalReadings.store(true, std::memory_order_relaxed);
  Request(IdleRequest::MeterRefresh);
  Request(IdleRequest::ReadoutRefresh);
  if (mSettings.GetInt(kWriteAutomationData) != 1) return;
  const int type = mSettings.GetInt(kType);
  WriteOutputParams(OutputValuesFor(type, ReadMeasurement(type)));
}

void Kalvo5::TakeLatestOutputs() {
  const int type = mSettings.GetInt(kType);
  // The audio thread's own latest readings, read in place.
  const MeasurementReadings* readings = mMeasurement.Published(type);
  if (readings == nullptr) return;
  const OutputValues values = OutputValuesFor(type, *readings);
  for (int n = 0; n < values.count; ++n) {
    iplug::IParam* param = GetParam(values.index[n]);
    if (param && !std::isnan(values.value[n])) param->SetValue(values.value[n]);
  }
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
  // The editor shows the same readings from the snapshot they came from.
  Request(IdleRequest::ReadoutRefresh);
  if (gesture) EndParamGesture(index);
}

}  // namespace kalvo5

// The measured values the plug-in writes back to the host as automation of
// its output parameters: which parameters a type writes, and with which
// reading each.
#pragma once

#include "ReadingTable.h"
#include "engine/MeasurementReadings.h"

namespace kalvo5 {

// The output parameters of one analyzer type with their values, in the
// reading table's order. A plain value, built from a copy of the readings,
// with room for every reading of any type.
struct OutputValues {
  static constexpr int kMaxCount = kMostReadingsOfAType;
  int count = 0;
  int index[kMaxCount] = {};
  double value[kMaxCount] = {};
};

// The outputs of "Type" value `type` from its readings (the same values the
// read-outs show; momentary and short-term loudness rounded to 0.1). None
// for a type outside RMS, EBU and DIAL.
OutputValues OutputValuesFor(int type, const MeasurementReadings& readings);

}  // namespace kalvo5

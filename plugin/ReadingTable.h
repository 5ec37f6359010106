// Every measured value the plug-in reports, described once: the output
// parameter that carries it to the host as automation, where it comes from
// in the readings, and how the editor's read-out shows it. The parameter
// table, the automation output, the read-outs and the Match triggers are all
// driven from these rows, so the number a host records and the text the
// editor shows are the same value by construction. A new reading is one row
// here and its computation in the engine's readings.
#pragma once

#include <span>

#include "Kalvo5Params.h"
#include "engine/LevelScale.h"
#include "engine/MeasurementReadings.h"

namespace kalvo5 {

struct ReadingRow {
  int param;  // the output parameter
  int type;   // the "Type" that measures it
  // The parameter: name, range, default and unit.
  const char* name;
  double min;
  double max;
  double defaultValue;
  const char* unit;
  // The value written and shown (rounded as shown), and whether there is one
  // yet (null: always). The value is written to the host even before.
  double (*value)(const MeasurementReadings&);
  bool (*valid)(const MeasurementReadings&);
  // The read-out: its entry among the type's read-out positions, the level
  // below which it prints "-inf", whether the page's reference offset
  // applies, and its decimals.
  int readout;
  double floor;
  bool offset;
  int decimals;
  // Whether the value is only an estimate made before the first complete
  // measuring block (null: never): no measurement yet, though it shows one.
  bool (*estimate)(const MeasurementReadings&) = nullptr;
  // Whether the reading depends on detected speech and the speech detector
  // does not run at this rate (null: never): no measurement at all, and the
  // read-out says so instead of a number.
  bool (*unavailable)(const MeasurementReadings&) = nullptr;
};

// Why an estimate is no measurement.
inline constexpr const char* kEstimateReason = "no measurement: the programme holds no complete 400 ms block";
// Why a reading that depends on detected speech is none at this rate.
inline constexpr const char* kNoSpeechDetectionReason =
    "no measurement: the speech detector does not run at this sample rate";

namespace readings_detail {

constexpr double kLevelFloor = -143.0;  // dB levels
constexpr double kLoudnessFloor = -70.0;
constexpr double kRangeFloor = 0.0;

using R = const MeasurementReadings&;

constexpr bool NoSpeechDetection(R r) { return !r.dial.speechDetection; }

}  // namespace readings_detail

// In parameter index order.
inline constexpr ReadingRow kReadingRows[] = {
    // clang-format off
    {kOutRMSIL, kTypeRMS, "OUT:RMS IL", -144, 24, -144, "dBFS",
     [](readings_detail::R r) { return r.rms.integrated; }, nullptr, 0, readings_detail::kLevelFloor, true, 1},
    {kOutRMSML, kTypeRMS, "OUT:RMS ML", -144, 24, -144, "dBFS",
     [](readings_detail::R r) { return r.rms.momentary; }, nullptr, 2, readings_detail::kLevelFloor, true, 1},
    {kOutRMSMLMax, kTypeRMS, "OUT:RMS ML Max", -144, 24, -144, "dBFS",
     [](readings_detail::R r) { return r.rms.momentaryMax; }, nullptr, 4, readings_detail::kLevelFloor, true, 1},
    {kOutRMSPeakMax, kTypeRMS, "OUT:RMS Peak Max", -144, 24, -144, "dBFS",
     [](readings_detail::R r) { return r.rms.peakMax; }, nullptr, 6, readings_detail::kLevelFloor, false, 1},
    {kOutRMSTPMax, kTypeRMS, "OUT:RMS TP Max", -144, 24, -144, "dBTP",
     [](readings_detail::R r) { return r.rms.truePeakMax; }, nullptr, 8, readings_detail::kLevelFloor, false, 1},
    {kOutRMSCrest, kTypeRMS, "OUT:RMS Crest", -3, 144, 0, "dB",
     [](readings_detail::R r) { return r.rms.crest; }, nullptr, 10, readings_detail::kLevelFloor, false, 1},
    {kOutEBUIL, kTypeEBU, "OUT:EBU IL", -70, 24, -70, "LUFS",
     [](readings_detail::R r) { return r.ebu.integrated; },
     [](readings_detail::R r) { return r.ebu.integratedValid; }, 0, readings_detail::kLoudnessFloor, true, 1,
     [](readings_detail::R r) { return r.ebu.integratedEarly; }},
    {kOutEBUML, kTypeEBU, "OUT:EBU ML", -144, 24, -144, "LUFS",
     [](readings_detail::R r) { return RoundToTenth(r.ebu.momentary); }, nullptr, 6,
     readings_detail::kLoudnessFloor, true, 1},
    {kOutEBUMLMax, kTypeEBU, "OUT:EBU ML Max", -144, 24, -144, "LUFS",
     [](readings_detail::R r) { return r.ebu.momentaryMax; }, nullptr, 8, readings_detail::kLoudnessFloor, true, 1},
    {kOutEBUSL, kTypeEBU, "OUT:EBU SL", -144, 24, -144, "LUFS",
     [](readings_detail::R r) { return RoundToTenth(r.ebu.shortTerm); }, nullptr, 2,
     readings_detail::kLoudnessFloor, true, 1},
    {kOutEBUSLMax, kTypeEBU, "OUT:EBU SL Max", -144, 24, -144, "LUFS",
     [](readings_detail::R r) { return r.ebu.shortTermMax; }, nullptr, 4, readings_detail::kLoudnessFloor, true, 1},
    {kOutEBUTPMax, kTypeEBU, "OUT:EBU TP Max", -144, 24, -144, "dBTP",
     [](readings_detail::R r) { return r.ebu.truePeakMax; }, nullptr, 10, readings_detail::kLevelFloor, false, 1},
    {kOutEBULRA, kTypeEBU, "OUT:EBU LRA", 0, 144, 0, "LU",
     [](readings_detail::R r) { return r.ebu.loudnessRange; },
     [](readings_detail::R r) { return r.ebu.rangeValid; }, 12, readings_detail::kRangeFloor, false, 1},
    {kOutDIALIL, kTypeDIAL, "OUT:DIAL IL", -70, 24, -70, "LKFS",
     [](readings_detail::R r) { return r.dial.integrated; },
     [](readings_detail::R r) { return r.dial.integratedValid; }, 0, readings_detail::kLoudnessFloor, true, 1,
     nullptr, readings_detail::NoSpeechDetection},
    {kOutDIALLRA, kTypeDIAL, "OUT:DIAL LRA", 0, 144, 0, "LK",
     [](readings_detail::R r) { return r.dial.speechRange; },
     [](readings_detail::R r) { return r.dial.speechRangeValid; }, 6, readings_detail::kRangeFloor, false, 1,
     nullptr, readings_detail::NoSpeechDetection},
    {kOutDIALPercentage, kTypeDIAL, "OUT:DIAL Percentage", 0, 100, 0, "%",
     [](readings_detail::R r) { return 100.0 * r.dial.speechRatio; },
     [](readings_detail::R r) { return r.dial.integratedValid; }, 8, readings_detail::kRangeFloor, false, 0,
     nullptr, readings_detail::NoSpeechDetection},
    {kOutDIALSL, kTypeDIAL, "OUT:DIAL SL", -144, 24, -144, "LKFS",
     [](readings_detail::R r) { return RoundToTenth(r.dial.shortTerm); }, nullptr, 2,
     readings_detail::kLoudnessFloor, true, 1},
    {kOutDIALSLMax, kTypeDIAL, "OUT:DIAL SL Max", -144, 24, -144, "LKFS",
     [](readings_detail::R r) { return r.dial.shortTermMax; }, nullptr, 4, readings_detail::kLoudnessFloor, true, 1},
    {kOutDIALTPMax, kTypeDIAL, "OUT:DIAL TP Max", -144, 24, -144, "dBTP",
     [](readings_detail::R r) { return r.dial.truePeakMax; }, nullptr, 10, readings_detail::kLevelFloor, false, 1},
    {kOutDIALLRAD, kTypeDIAL, "OUT:DIAL LRAD", 0, 144, 0, "LK",
     [](readings_detail::R r) { return r.dial.range; },
     [](readings_detail::R r) { return r.dial.rangeValid; }, 12, readings_detail::kRangeFloor, false, 1},
    // clang-format on
};

// The row of an output parameter; null for any other index.
constexpr const ReadingRow* FindReadingRow(int param) {
  for (const ReadingRow& row : kReadingRows)
    if (row.param == param) return &row;
  return nullptr;
}

// Whether the reading cannot be made in these readings' circumstances.
inline bool IsUnavailable(const ReadingRow& row, const MeasurementReadings& readings) {
  return row.unavailable != nullptr && row.unavailable(readings);
}

// Whether a row has a value in these readings.
inline bool HasReading(const ReadingRow& row, const MeasurementReadings& readings) {
  return row.valid == nullptr || row.valid(readings);
}

}  // namespace kalvo5

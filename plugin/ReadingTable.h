// Every measured value the plug-in reports, described once: the output
// parameter that carries it to the host as automation, where it comes from
// in the readings, and how the editor's read-out shows it. The parameter
// table, the automation output, the read-outs and the Match triggers are all
// driven from these rows, so the number a host records and the text the
// editor shows are the same value by construction. The number of parameters,
// the capacity of a type's outputs and the read-out entries of its page are
// counted from these rows too. A new reading is one row here, with the index
// after the last parameter's (hosts keep the others), its computation in the
// engine's readings, and its place in its page's layout.
#pragma once

#include <algorithm>
#include <iterator>
#include <span>
#include <string_view>

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
  // The read-out: its entry among the type's read-out positions (-1: none;
  // the number is at this entry, its unit text at the next), the level below
  // which it prints "-inf", whether the page's reference offset applies, and
  // its decimals.
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

// By type, each type's in parameter index order: the order in which they are
// written to the host.
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
// (By position: the compile-time checks compare no pointers, which a
// sanitizer's instrumentation would make no constant.)
constexpr int ReadingRowPosition(int param) {
  for (int n = 0; n < static_cast<int>(std::size(kReadingRows)); ++n)
    if (kReadingRows[n].param == param) return n;
  return -1;
}
constexpr const ReadingRow* FindReadingRow(int param) {
  const int n = ReadingRowPosition(param);
  return n < 0 ? nullptr : &kReadingRows[n];
}

constexpr bool IsOutputParam(int index) { return ReadingRowPosition(index) >= 0; }

// The row of type `type` whose read-out number is at `entry`; null for none.
constexpr int ReadoutPosition(int type, int entry) {
  for (int n = 0; n < static_cast<int>(std::size(kReadingRows)); ++n)
    if (kReadingRows[n].type == type && entry >= 0 && kReadingRows[n].readout == entry) return n;
  return -1;
}
constexpr const ReadingRow* FindReadout(int type, int entry) {
  const int n = ReadoutPosition(type, entry);
  return n < 0 ? nullptr : &kReadingRows[n];
}

// How many readings type `type` has.
constexpr int ReadingCount(int type) {
  return static_cast<int>(std::count_if(std::begin(kReadingRows), std::end(kReadingRows),
                                        [type](const ReadingRow& row) { return row.type == type; }));
}

// The most readings any type has: what a type's outputs must hold.
inline constexpr int kMostReadingsOfAType =
    std::max({ReadingCount(kTypeRMS), ReadingCount(kTypeEBU), ReadingCount(kTypeDIAL)});

// How many read-out entries (numbers and their units) the page of type
// `type` has.
constexpr int ReadoutEntryCount(int type) {
  int count = 0;
  for (const ReadingRow& row : kReadingRows)
    if (row.type == type && row.readout >= 0) count = std::max(count, row.readout + 2);
  return count;
}

// The highest index a reading has.
constexpr int LastReadingParam() {
  int last = -1;
  for (const ReadingRow& row : kReadingRows) last = std::max(last, row.param);
  return last;
}

// Every parameter: those Kalvo5Params.h names and the readings after them.
inline constexpr int kNumParams = std::max<int>(kNumNamedParams, LastReadingParam() + 1);

namespace readings_detail {

// Each row of one of the three types, named "OUT:<type> ..." (hosts and the
// meter command know a type's readings by that name), and an index that no
// other row has.
constexpr bool RowsAreWellFormed() {
  for (int n = 0; n < static_cast<int>(std::size(kReadingRows)); ++n) {
    const ReadingRow& row = kReadingRows[n];
    if (row.type < kTypeRMS || row.type > kTypeDIAL || row.param < 0) return false;
    const std::string_view prefix = std::string_view("OUT:");
    const std::string_view name = row.name;
    const std::string_view type = kTypeNames[row.type];
    if (!name.starts_with(prefix) || !name.substr(prefix.size()).starts_with(type) ||
        name.substr(prefix.size() + type.size(), 1) != " ")
      return false;
    if (ReadingRowPosition(row.param) != n) return false;
  }
  return true;
}

// Each page's read-outs fill its entries without gaps: pairs of a number
// (even entry) and its unit, one reading each.
constexpr bool ReadoutsArePaired(int type) {
  int shown = 0;
  for (const ReadingRow& row : kReadingRows)
    if (row.type == type && row.readout >= 0) ++shown;
  for (int entry = 0; entry < ReadoutEntryCount(type); entry += 2)
    if (ReadoutPosition(type, entry) < 0 || ReadoutPosition(type, entry + 1) >= 0) return false;
  return 2 * shown == ReadoutEntryCount(type);
}

static_assert(RowsAreWellFormed());
static_assert(ReadoutsArePaired(kTypeRMS) && ReadoutsArePaired(kTypeEBU) && ReadoutsArePaired(kTypeDIAL));

}  // namespace readings_detail

// Whether the reading cannot be made in these readings' circumstances.
inline bool IsUnavailable(const ReadingRow& row, const MeasurementReadings& readings) {
  return row.unavailable != nullptr && row.unavailable(readings);
}

// Whether a row has a value in these readings.
inline bool HasReading(const ReadingRow& row, const MeasurementReadings& readings) {
  return row.valid == nullptr || row.valid(readings);
}

}  // namespace kalvo5

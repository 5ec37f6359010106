// What the meter command prints: a readable table or JSON of the values the
// plug-in reports, and the parameter list.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/LoudnessHistory.h"
#include "tools/ParameterValue.h"

namespace kalvo5::meter {

struct PluginDescription {
  std::string path, entry, name, vendor, product;
  int parameters = 0, inputs = 0, outputs = 0;
};

// One parameter as the plug-in shows it.
struct ParameterReading {
  int index = 0;
  std::string name, display, label;
  ValueAtResolution value;  // at full resolution
  // Why the reading holds no value although its display shows a number
  // (a level at the bottom of its range); empty otherwise.
  std::string noValue;
  // The plug-in says its display is no measurement (an early estimate, or a
  // reading it cannot make at this sample rate): the table shows noValue in
  // its place.
  bool unmeasured = false;
  // A setting the host made for its own needs that only a plug-in user cares
  // about (the automation output switch, the layout of a type not
  // measured): the JSON lists it, the table does not.
  bool hostOnly = false;
};

// The version of the JSON document's layout; raised whenever a key changes.
inline constexpr int kJsonSchemaVersion = 3;

// What one plug-in instance reported.
struct AnalyzerReport {
  std::string type;                        // the analyzer type it was set to; empty when none
  std::vector<ParameterReading> settings;  // parameters this run set
  std::vector<ParameterReading> values;    // the plug-in's reported values
};

// What --target found for a file: the gain that brings its integrated
// loudness to the target, as the plug-in's own Match sets it, and the true
// peak the file then has.
struct TargetReport {
  std::optional<ParameterReading> target;  // the reference level the plug-in was set to
  double ceiling = 0.0;                    // dBTP
  std::optional<ParameterReading> gain;    // the gain after the match; none without a loudness to match
  std::optional<double> loudnessAfter;     // the integrated loudness with the gain
  std::optional<double> truePeakAfter;     // dBTP, with the gain; none without a true-peak value
  std::string noGain;                      // why there is no gain
  bool OverCeiling() const { return truePeakAfter && *truePeakAfter > ceiling; }
};

// One criterion of a delivery check (--check, or --target's ceiling) on a
// file.
struct CheckFinding {
  std::string criterion;           // as written: "I=-23+-0.5"
  std::string unit;                // of the reading
  std::optional<double> measured;  // the reading as compared, to 0.1; none when there is none
  bool pass = false;
  std::optional<double> by;  // how far past its limit a failed reading is
  std::string words;         // what failed, as a sentence part; empty when it passed
};

struct CheckReport {
  std::string profile;  // the profile's name or custom text
  bool pass = true;
  std::vector<CheckFinding> findings;
};

// What became of a file: measured (possibly damaged), without audio, or
// not read at all.
enum class FileStatus { kOk, kDamaged, kNoAudio, kUnreadable };

// "ok", "damaged", "no audio", "unreadable".
const char* StatusText(FileStatus status);

struct FileReport {
  std::string source;
  std::string error;  // why the file could not be read; empty when it was
  double sampleRate = 0.0;
  int channels = 0;
  std::int64_t frames = 0;
  int blockSize = 0;
  bool doublePrecision = true;
  // One instance: its readings as a list. Several (one per analyzer type):
  // side by side, a column or object per type.
  std::vector<AnalyzerReport> analyzers;
  std::vector<std::string> warnings;
  bool damaged = false;                // the audio could not all be read as it should (see warnings)
  std::optional<TargetReport> target;  // with --target
  // With --report: the loudness over time, for its pages.
  std::optional<LoudnessHistory> history;
  // The largest sample of the input (dBFS); none for silence.
  std::optional<double> samplePeak;
  std::optional<CheckReport> check;  // with --check, or --target's ceiling

  FileStatus Status() const;
};

struct Summary;

// The table: a line naming the plug-in, then the report of every file and
// of their total when there is one. The table leaves out the files that
// could not be read (their errors go to standard error).
void WriteTableHeading(std::ostream& out, const PluginDescription& plugin);
void WriteTableResults(std::ostream& out, const std::vector<FileReport>& files, const FileReport* total);

// The JSON document: the plug-in, every file (those not read with their
// error), the total when there is one, and the summary when given.
void WriteJson(std::ostream& out, const PluginDescription& plugin, const std::vector<FileReport>& files,
               const FileReport* total, const Summary* summary);
// Each parameter with its current display and what it can be set to
// (`choices`, one per parameter).
void WriteParameterList(std::ostream& out, const PluginDescription& plugin,
                        const std::vector<ParameterReading>& parameters,
                        const std::vector<std::string>& choices);

// The plug-in's programs, by index.
void WriteProgramList(std::ostream& out, const PluginDescription& plugin,
                      const std::vector<std::string>& names);

// The name a reading has in every analyzer type: without the "OUT:" prefix
// and the type's own name ("OUT:EBU IL" of type "EBU" is "IL").
std::string MeasureName(const std::string& name, const std::string& type);

}  // namespace kalvo5::meter

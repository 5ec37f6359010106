// The meter command's command line.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/DeliveryProfile.h"

namespace kalvo5::meter {

enum class OutputFormat { kTable, kJson };
enum class Precision { kAuto, k32, k64 };
enum class ProgressMode { kAuto, kOn, kOff };

struct MeterOptions {
  std::string pluginPath;                                     // empty: look for Kalvo5.so
  std::vector<std::string> files;                             // empty: the reference signal
  std::string type;                                           // analyzer type text, e.g. "EBU"
  std::vector<std::pair<std::string, std::string>> settings;  // parameter name, display text
  std::string presetPath;
  std::string programName;  // --preset-name: one of the plug-in's programs
  int blockSize = 512;
  OutputFormat format = OutputFormat::kTable;
  std::string timelinePath;    // CSV timeline; "-" for standard output
  std::string summaryCsvPath;  // --summary-csv: the library view as CSV; "-" for standard output
  bool summary = false;        // the library view, also for one file
  bool details = false;        // every file's own report, also for several
  std::string audioOutputPath;
  std::string snapshotPath;    // --snapshot: the editor drawn into a PNG file after the run
  double snapshotScale = 1.0;  // --scale
  std::string reportPath;      // --report: the loudness report, a .png, .svg or .pdf file
  Precision precision = Precision::kAuto;
  ProgressMode progress = ProgressMode::kAuto;
  bool listParameters = false;
  bool listPrograms = false;
  bool allParameters = false;
  bool total = false;  // also measure the files as one programme
  // --target LUFS: the gain that brings each file's integrated loudness to
  // it, and whether the true peak then stays at or under --ceiling dBTP.
  std::optional<double> target;
  std::optional<DeliveryProfile> profile;  // --check
  double ceiling = -1.0;
  bool help = false;
  bool version = false;
  int jobs = 0;            // files measured at once; 0: one per core
  bool recursive = false;  // folders among the files: their audio files, in subfolders too
  // Standard input ("-") as raw 32-bit float samples, interleaved, native
  // byte order: both set, or neither (then standard input holds a WAV file).
  int rawRate = 0;
  int rawChannels = 0;
};

// Parses argv[1 ...]. False with a message in error for an unknown option, a
// missing or malformed value.
bool ParseMeterOptions(int argc, const char* const* argv, MeterOptions& options, std::string& error);

// The help text.
std::string MeterUsage();

}  // namespace kalvo5::meter

#include "tools/LoudnessReport.h"

#include <filesystem>

#include "platform/TextEncoding.h"
#include "tools/InstanceSetup.h"
#include "tools/TextFormat.h"

namespace kalvo5::meter {
namespace {

std::string Shown(const ParameterReading& reading) {
  const std::string display = Trimmed(reading.display);
  return reading.label.empty() ? display : display + " " + reading.label;
}

}  // namespace

ReportCheck CheckOfTarget(const TargetReport& target) {
  ReportCheck check;
  check.type = kLoudnessType;
  if (target.target && target.target->value.value)
    check.bandLow = check.bandHigh = *target.target->value.value;
  check.ceiling = target.ceiling;
  check.verdict = "target " + (target.target ? Shown(*target.target) : std::string("?")) + ": ";
  if (!target.gain) {
    check.verdict += "no gain, " + target.noGain;
    return check;
  }
  check.verdict += "gain " + Shown(*target.gain);
  if (target.truePeakAfter) {
    check.passed = !target.OverCeiling();
    check.verdict += ", true peak then " + Fixed(*target.truePeakAfter, 2) + " dBTP, " +
                     (target.OverCeiling() ? "over" : "at or under") + " the ceiling of " +
                     Fixed(target.ceiling, 1) + " dBTP";
  }
  return check;
}

ReportCheck CheckOfFile(const FileReport& file, const DeliveryProfile* profile) {
  ReportCheck check = file.target ? CheckOfTarget(*file.target) : ReportCheck{};
  if (profile == nullptr) return check;
  for (const Criterion& c : profile->criteria) {
    // A one-sided limit on the loudness is a line at the limit.
    if (c.reading == "I") {
      const double spread = c.op == Criterion::kWithin ? c.tolerance : 0.0;
      check.bandLow = c.value - spread;
      check.bandHigh = c.value + spread;
      check.type = c.type;
    } else if (c.reading == "TP" && c.op == Criterion::kAtMost) {
      check.ceiling = c.value;
      if (check.type.empty()) check.type = c.type;
    }
  }
  if (!file.check) return check;
  check.passed = file.check->pass;
  std::string failed;
  for (const CheckFinding& f : file.check->findings) {
    if (!f.pass) failed += (failed.empty() ? "" : "; ") + (f.words.empty() ? f.criterion : f.words);
  }
  check.verdict = file.check->profile + (file.check->pass ? ": every criterion met" : ": " + failed);
  return check;
}

ReportFormat ReportFormatFor(const std::string& path) {
  const std::string extension = platform::FsPathToUtf8(platform::Utf8ToFsPath(path).extension());
  if (SameText(extension, ".png")) return ReportFormat::kPng;
  if (SameText(extension, ".svg")) return ReportFormat::kSvg;
  if (SameText(extension, ".pdf")) return ReportFormat::kPdf;
  return ReportFormat::kUnknown;
}

std::string ReportPagePath(const std::string& path, std::size_t page) {
  if (page == 0 || ReportFormatFor(path) == ReportFormat::kPdf) return path;
  const std::filesystem::path p = platform::Utf8ToFsPath(path);
  std::string number = "-";
  number += std::to_string(page + 1);
  return platform::FsPathToUtf8(
      p.parent_path() / (p.stem().native() + platform::Utf8ToSystemPath(number) + p.extension().native()));
}

}  // namespace kalvo5::meter

#include "tools/DeliveryCheck.h"

#include <cmath>

#include "tools/TextFormat.h"

namespace kalvo5::meter {
namespace {

// Readings are compared as the meter shows them, to 0.1.
double Shown(double value) { return std::round(value * 10.0) / 10.0; }

const AnalyzerReport* AnalyzerOfType(const FileReport& file, const std::string& type) {
  for (const auto& a : file.analyzers) {
    if (SameText(a.type, type)) return &a;
  }
  return nullptr;
}

// A reading of the analyzer by its name in every type ("IL"), when it holds
// a value; `why` says why not.
std::optional<double> ValueOf(const AnalyzerReport& a, const std::string& name, std::string& why) {
  for (const auto& p : a.values) {
    if (MeasureName(p.name, a.type) != name) continue;
    if (!p.noValue.empty()) {
      why = p.noValue;
      return std::nullopt;
    }
    if (!p.value.value) why = "the display is not a number";
    return p.value.value;
  }
  why = "not reported";
  return std::nullopt;
}

std::optional<double> ReadingOf(const FileReport& file, const Criterion& c, std::string& why) {
  if (c.reading == "peak") {
    if (!file.samplePeak) why = "silence";
    return file.samplePeak;
  }
  if (c.reading == "PLR") {
    const auto plr = PeakToLoudnessRatio(file, c.type);
    if (!plr) why = "no true peak or integrated loudness";
    return plr;
  }
  const AnalyzerReport* a = AnalyzerOfType(file, c.type);
  if (a == nullptr) {
    why = "the " + c.type + " type was not measured";
    return std::nullopt;
  }
  static const std::pair<const char*, const char*> kNames[] = {
      {"I", "IL"}, {"LRA", "LRA"}, {"TP", "TP Max"}, {"M", "ML Max"}, {"S", "SL Max"}};
  for (const auto& [reading, name] : kNames) {
    if (c.reading == reading) return ValueOf(*a, name, why);
  }
  why = "not reported";
  return std::nullopt;
}

// "dB" for levels of peaks, "LU" for loudness differences.
std::string DifferenceUnit(const std::string& unit) { return unit == "dBTP" || unit == "dBFS" ? "dB" : "LU"; }

CheckFinding Judge(const Criterion& c, const FileReport& file) {
  CheckFinding f;
  f.criterion = c.Text();
  f.unit = c.Unit();
  std::string why;
  const std::optional<double> read = ReadingOf(file, c, why);
  const std::string name = (c.type == "EBU" ? "" : c.type + " ") + c.reading;
  if (!read) {
    f.words = name + ": no reading (" + why + ")";
    return f;
  }
  const double v = Shown(*read);
  f.measured = v;
  constexpr double kSlack = 1e-9;
  double over = 0.0;  // past the upper limit when positive, the lower when negative
  if (c.op == Criterion::kWithin) {
    if (v > c.value + c.tolerance + kSlack) over = v - (c.value + c.tolerance);
    if (v < c.value - c.tolerance - kSlack) over = v - (c.value - c.tolerance);
  } else if (c.op == Criterion::kAtMost) {
    if (v > c.value + kSlack) over = v - c.value;
  } else if (v < c.value - kSlack) {
    over = v - c.value;
  }
  f.pass = over == 0.0;
  if (f.pass) return f;
  f.by = std::fabs(over);
  f.words = name + " " + Fixed(v, 1) + " " + f.unit + " is " + Fixed(*f.by, 1) + " " +
            DifferenceUnit(f.unit) + (over > 0.0 ? " over " : " under ") + c.Text();
  return f;
}

}  // namespace

std::optional<double> PeakToLoudnessRatio(const FileReport& file, const std::string& type) {
  for (const char* each : {"EBU", "DIAL"}) {
    if (!type.empty() && type != each) continue;
    const AnalyzerReport* a = AnalyzerOfType(file, each);
    if (a == nullptr) continue;
    std::string why;
    const auto peak = ValueOf(*a, "TP Max", why);
    const auto loudness = ValueOf(*a, "IL", why);
    if (peak && loudness) return *peak - *loudness;
    return std::nullopt;
  }
  return std::nullopt;
}

std::optional<CheckReport> CheckDelivery(const DeliveryProfile* profile, const FileReport& file) {
  if (profile == nullptr && !file.target) return std::nullopt;
  CheckReport report;
  if (profile != nullptr) {
    report.profile = profile->name;
    for (const auto& c : profile->criteria) report.findings.push_back(Judge(c, file));
  }
  // A gain to a target that takes the true peak over the ceiling (there is
  // no limiter) fails the delivery.
  if (file.target && file.target->truePeakAfter) {
    const TargetReport& t = *file.target;
    CheckFinding f;
    f.criterion = "TP after the gain<=" + Fixed(t.ceiling, 1);
    f.unit = "dBTP";
    f.measured = Shown(*t.truePeakAfter);
    f.pass = !t.OverCeiling();
    if (!f.pass) {
      f.by = *t.truePeakAfter - t.ceiling;
      f.words = "TP with the gain " + Fixed(*t.truePeakAfter, 1) + " dBTP is " + Fixed(*f.by, 1) +
                " dB over the ceiling " + Fixed(t.ceiling, 1);
    }
    report.findings.push_back(f);
    if (report.profile.empty()) report.profile = "--target";
  }
  for (const auto& f : report.findings) report.pass = report.pass && f.pass;
  return report;
}

}  // namespace kalvo5::meter

#include "tools/LoudnessReportPage.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "tools/InstanceSetup.h"
#include "tools/KeyReadings.h"
#include "tools/LoudnessHistory.h"
#include "tools/TextFormat.h"

namespace kalvo5::meter {
namespace {

// The momentary and short-term windows of the loudness types: their curves
// start once the window is full.
constexpr double kMomentaryWindow = 0.4;
constexpr double kShortTermWindow = 3.0;
// How far over the programme's highest level a ceiling is still shown, dB.
constexpr double kCeilingReach = 6.0;
// How close to its final value the true-peak curve counts as there, dB.
constexpr double kTruePeakReached = 0.005;

const ParameterReading* Find(const AnalyzerReport& analyzer, const std::string& reading) {
  for (const auto& p : analyzer.values) {
    if (MeasureName(p.name, analyzer.type) == reading) return &p;
  }
  return nullptr;
}

std::optional<double> ValueOf(const ParameterReading* p) {
  if (p == nullptr || !p->noValue.empty() || p->unmeasured || !p->value.value) return std::nullopt;
  return p->value.value;
}

std::string Shown(const ParameterReading& p) {
  if (!ValueOf(&p)) return "n/a";
  const std::string display = Trimmed(p.display);
  return p.label.empty() ? display : display + " " + p.label;
}

std::vector<std::pair<std::string, std::string>> HeaderReadings(const AnalyzerReport& analyzer) {
  std::vector<std::pair<std::string, std::string>> readings;
  if (const KeyReadingList* known = KeyReadingsOf(analyzer.type)) {
    for (const auto& [name, heading] : *known) {
      if (const ParameterReading* p = Find(analyzer, name)) readings.emplace_back(heading, Shown(*p));
    }
    return readings;
  }
  for (const auto& p : analyzer.values) readings.emplace_back(MeasureName(p.name, analyzer.type), Shown(p));
  return readings;
}

// The first moment the true-peak curve reaches its final value; the end
// when it gets there only in the part-period after the last row.
std::optional<double> TruePeakMoment(const std::vector<float>& curve, const std::vector<double>& seconds,
                                     double truePeak, double end) {
  if (curve.empty()) return std::nullopt;
  for (std::size_t r = 0; r < curve.size() && r < seconds.size(); ++r) {
    if (static_cast<double>(curve[r]) >= truePeak - kTruePeakReached) return seconds[r];
  }
  return end;
}

// The highest and lowest levels a curve reaches from `from` on.
void Extent(const std::vector<float>* curve, const std::vector<double>* seconds, double from, double& low,
            double& high) {
  if (curve == nullptr || seconds == nullptr) return;
  for (std::size_t r = 0; r < curve->size() && r < seconds->size(); ++r) {
    const auto v = static_cast<double>((*curve)[r]);
    if ((*seconds)[r] < from || !std::isfinite(v)) continue;
    low = std::min(low, v);
    high = std::max(high, v);
  }
}

void Include(std::optional<double>& extreme, const std::optional<double>& value, bool highest) {
  if (!value) return;
  extreme = extreme ? (highest ? std::max(*extreme, *value) : std::min(*extreme, *value)) : *value;
}

ReportAxis LevelAxisOf(const ReportGraph& g, const std::vector<double>* seconds) {
  // The scale follows the programme's loudness: the integrated loudness,
  // the range and the band well inside, the peaks under the top.
  std::optional<double> low, high;
  for (const auto& v : {g.integrated, g.rangeLow, g.bandLow}) Include(low, v, false);
  for (const auto& v : {g.integrated, g.rangeHigh, g.bandHigh, g.truePeak}) Include(high, v, true);
  double curveLow = 1e9, curveHigh = -1e9;
  Extent(g.momentary, seconds, g.momentaryFrom, curveLow, curveHigh);
  Extent(g.shortTerm, seconds, g.shortTermFrom, curveLow, curveHigh);
  if (curveHigh >= curveLow) {
    Include(high, curveHigh, true);
    // Without an integrated loudness the curves are all there is to see.
    if (!g.integrated) Include(low, curveLow, false);
  }
  if (!high) high = low.value_or(-70.0);
  // A ceiling far over the programme would squeeze it; its label then
  // points up.
  if (g.ceiling && *g.ceiling <= *high + kCeilingReach) high = std::max(*high, *g.ceiling);
  return LevelAxis(low.value_or(*high), *high, g.unit);
}

ReportGraph GraphOf(const AnalyzerReport& analyzer, const LoudnessCurves* curves,
                    const std::vector<double>* seconds, double duration) {
  ReportGraph g;
  g.type = analyzer.type;
  for (const char* name : {"IL", "ML", "SL"}) {
    if (const ParameterReading* p = Find(analyzer, name); p != nullptr && g.unit.empty()) g.unit = p->label;
  }
  if (curves != nullptr && seconds != nullptr) {
    if (!curves->momentary.empty()) g.momentary = &curves->momentary;
    if (!curves->shortTerm.empty()) g.shortTerm = &curves->shortTerm;
  }
  if (SameText(g.type, "EBU") || SameText(g.type, "DIAL")) {
    g.momentaryFrom = kMomentaryWindow;
    g.shortTermFrom = kShortTermWindow;
  }
  g.integrated = ValueOf(Find(analyzer, "IL"));
  g.truePeak = ValueOf(Find(analyzer, "TP Max"));
  if (g.truePeak && curves != nullptr && seconds != nullptr) {
    g.truePeakSeconds = TruePeakMoment(curves->truePeakMax, *seconds, *g.truePeak, duration);
  }
  // The dialogue type's ranges are of its speech; only the loudness type's
  // is the programme's, over the short-term curve drawn.
  if (const auto range = ValueOf(Find(analyzer, "LRA")); range && g.shortTerm && SameText(g.type, "EBU")) {
    g.rangeLow = LoudnessRangeLow(*g.shortTerm, *seconds, g.shortTermFrom);
    if (g.rangeLow) g.rangeHigh = *g.rangeLow + *range;
  }
  g.readings = HeaderReadings(analyzer);
  return g;
}

std::string Facts(const FileReport& file, double duration) {
  std::string facts = ClockTime(duration, 1) + " (" + Fixed(duration, 1) + " s), " +
                      Fixed(file.sampleRate, 0) + " Hz, " + std::to_string(file.channels) +
                      (file.channels == 1 ? " channel" : " channels");
  return facts + ", " + StatusText(file.Status());
}

}  // namespace

ReportPage PageOf(const ReportPageInput& input) {
  const FileReport& file = *input.file;
  ReportPage page;
  page.title = file.source;
  page.passed = input.check.passed;
  page.verdict = input.check.verdict;
  if (file.Status() == FileStatus::kUnreadable) {
    page.facts = StatusText(file.Status());
    page.problem = file.error;
    return page;
  }
  page.duration = file.sampleRate > 0 ? static_cast<double>(file.frames) / file.sampleRate : 0.0;
  page.facts = Facts(file, page.duration);
  if (file.frames == 0) {
    page.problem = "no audio: the file holds no frames, so there is nothing to measure";
    return page;
  }
  page.time = TimeAxis(page.duration);
  const LoudnessHistory* history = file.history ? &*file.history : nullptr;
  if (history != nullptr) page.seconds = &history->seconds;

  const std::string checkedType = input.check.type.empty() ? kLoudnessType : input.check.type;
  std::size_t checked = 0;
  for (std::size_t i = 0; i < file.analyzers.size(); ++i) {
    if (SameText(file.analyzers[i].type, checkedType)) checked = i;
  }
  for (std::size_t i = 0; i < file.analyzers.size(); ++i) {
    const LoudnessCurves* curves =
        history != nullptr && i < history->curves.size() ? &history->curves[i] : nullptr;
    ReportGraph g = GraphOf(file.analyzers[i], curves, page.seconds, page.duration);
    if (i == checked) {
      g.bandLow = input.check.bandLow;
      g.bandHigh = input.check.bandHigh;
      g.ceiling = input.check.ceiling;
    }
    g.level = LevelAxisOf(g, page.seconds);
    page.graphs.push_back(std::move(g));
  }
  return page;
}

std::optional<double> LoudnessRangeLow(const std::vector<float>& shortTerm,
                                       const std::vector<double>& seconds, double from) {
  std::vector<double> levels;
  double power = 0.0;
  for (std::size_t r = 0; r < shortTerm.size() && r < seconds.size(); ++r) {
    const auto v = static_cast<double>(shortTerm[r]);
    if (seconds[r] < from || !std::isfinite(v) || v <= -70.0) continue;
    levels.push_back(v);
    power += std::pow(10.0, v / 10.0);
  }
  if (levels.empty()) return std::nullopt;
  const double gate = 10.0 * std::log10(power / static_cast<double>(levels.size())) - 20.0;
  std::erase_if(levels, [&](double v) { return v < gate; });
  std::sort(levels.begin(), levels.end());
  return levels[static_cast<std::size_t>(std::lround(0.1 * static_cast<double>(levels.size() - 1)))];
}

ReportAxis LevelAxis(double low, double high, const std::string& title) {
  constexpr double kMinSpan = 20.0, kMaxSpan = 80.0;
  ReportAxis axis;
  axis.title = title;
  axis.high = 5.0 * std::ceil((high + 1.0) / 5.0);
  axis.low = 5.0 * std::floor((low - 10.0) / 5.0);
  axis.low = std::clamp(axis.low, axis.high - kMaxSpan, axis.high - kMinSpan);
  const double step = axis.high - axis.low > 40.0 ? 10.0 : 5.0;
  for (double v = step * std::ceil(axis.low / step); v <= axis.high + 1e-9; v += step) {
    axis.ticks.push_back({v, Typeset(Fixed(v, 0))});
  }
  return axis;
}

ReportAxis TimeAxis(double seconds) {
  static const double kSteps[] = {0.05, 0.1, 0.2, 0.5, 1,    2,    5,    10,   15,    30,    60,
                                  120,  300, 600, 900, 1200, 1800, 3600, 7200, 10800, 21600, 43200};
  constexpr double kMostTicks = 10.0;
  ReportAxis axis;
  axis.high = seconds > 0.0 ? seconds : 1.0;
  double step = kSteps[std::size(kSteps) - 1];
  for (const double s : kSteps) {
    if (axis.high / s <= kMostTicks) {
      step = s;
      break;
    }
  }
  const bool clock = axis.high >= 120.0;
  axis.title = !clock ? "time (s)" : axis.high >= 3600.0 ? "time (h:mm:ss)" : "time (m:ss)";
  const int decimals = step < 0.1 ? 2 : step < 1.0 ? 1 : 0;
  // Past an hour every label has the hours, "0:10:00" beside "1:00:00".
  const auto label = [&](double v) {
    if (!clock) return Fixed(v, decimals);
    std::string text = ClockTime(v);
    if (axis.high < 3600.0 || v >= 3600.0) return text;
    text.insert(0, text.size() < 5 ? "0:0" : "0:");
    return text;
  };
  for (int i = 0; i * step <= axis.high + 1e-9; ++i) axis.ticks.push_back({i * step, label(i * step)});
  return axis;
}

std::string Typeset(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool signStart = i == 0 || text[i - 1] == ' ' || text[i - 1] == '(';
    const bool number =
        i + 1 < text.size() && (std::isdigit(static_cast<unsigned char>(text[i + 1])) || text[i + 1] == '.');
    out += text[i] == '-' && signStart && number ? "\u2212" : std::string(1, text[i]);
  }
  return out;
}

}  // namespace kalvo5::meter

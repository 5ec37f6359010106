#include "tools/ParameterSetter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "tools/DisplayNumber.h"
#include "tools/TextFormat.h"

namespace kalvo5::meter {
namespace {

constexpr int kSweepSteps = 200;
constexpr int kBisectionSteps = 40;
constexpr std::size_t kMaxListEntries = 64;

float SweepPoint(int i) { return static_cast<float>(i) / static_cast<float>(kSweepSteps); }

// The distinct texts of a parameter that shows only a few over its whole
// range (a list such as "Off", "On" or "1.0", "2.0", "5.1"), in order; empty
// for a continuous parameter.
std::vector<std::string> ListEntries(const std::vector<std::string>& sweep) {
  std::vector<std::string> entries;
  for (const auto& text : sweep) {
    if (std::find(entries.begin(), entries.end(), text) != entries.end()) continue;
    if (entries.size() == kMaxListEntries) return {};
    entries.push_back(text);
  }
  return entries;
}

}  // namespace

std::vector<std::string> SweepDisplays(PluginInstance& plugin, int index) {
  std::vector<std::string> sweep;
  sweep.reserve(kSweepSteps + 1);
  if (plugin.DisplayOfValueIfAnswered(index, 0.0f)) {
    for (int i = 0; i <= kSweepSteps; ++i) sweep.push_back(plugin.DisplayOfValue(index, SweepPoint(i)));
    return sweep;
  }
  const float original = plugin.GetParameter(index);
  for (int i = 0; i <= kSweepSteps; ++i) {
    plugin.SetParameter(index, SweepPoint(i));
    sweep.push_back(plugin.ParameterDisplay(index));
  }
  plugin.SetParameter(index, original);
  return sweep;
}

std::vector<std::string> ListTexts(PluginInstance& plugin, int index) {
  return ListEntries(SweepDisplays(plugin, index));
}

std::string DescribeChoices(PluginInstance& plugin, int index) {
  const std::vector<std::string> sweep = SweepDisplays(plugin, index);
  const std::vector<std::string> entries = ListEntries(sweep);
  if (entries.empty()) return Trimmed(sweep.front()) + " ... " + Trimmed(sweep.back());
  std::string list;
  for (const auto& entry : entries) list += (list.empty() ? "" : " | ") + Trimmed(entry);
  return list;
}

bool SetParameterFromText(PluginInstance& plugin, int index, const std::string& text, std::string& error) {
  if (index < 0 || index >= plugin.ParameterCount()) {
    error = "no parameter with index " + std::to_string(index);
    return false;
  }
  const float original = plugin.GetParameter(index);
  auto displayAt = [&](float v) {
    plugin.SetParameter(index, v);
    return plugin.ParameterDisplay(index);
  };

  const std::vector<std::string> sweep = SweepDisplays(plugin, index);
  const std::vector<std::string> entries = ListEntries(sweep);

  // A list takes only its own entries ("3.0" is no entry of "1.0", "2.0",
  // "4.0"); a continuous parameter also the numbers it can show.
  const auto shows = [&](const std::string& display) {
    return entries.empty() ? DisplayShows(display, text) : SameText(display, text);
  };
  if (plugin.SetParameterText(index, text) && shows(plugin.ParameterDisplay(index))) return true;
  plugin.SetParameter(index, original);

  // A listed text: the middle of the first run of sweep points showing it.
  for (int i = 0; i <= kSweepSteps; ++i) {
    if (!SameText(sweep[static_cast<std::size_t>(i)], text)) continue;
    int last = i;
    while (last < kSweepSteps && SameText(sweep[static_cast<std::size_t>(last + 1)], text)) ++last;
    const float middle = 0.5f * (SweepPoint(i) + SweepPoint(last));
    if (SameText(displayAt(middle), text)) return true;
    displayAt(SweepPoint(i));
    return true;
  }
  if (!entries.empty()) {
    std::string list;
    for (const auto& entry : entries) list += (list.empty() ? "" : ", ") + Trimmed(entry);
    error = "parameter \"" + plugin.ParameterName(index) + "\" never shows \"" + text +
            "\" (its entries: " + list + ")";
    return false;
  }

  double target = 0.0;
  if (!LeadingNumber(text, target)) {
    plugin.SetParameter(index, original);
    error = "parameter \"" + plugin.ParameterName(index) + "\" never shows \"" + text +
            "\" (it shows e.g. \"" + sweep.front() + "\" ... \"" + sweep.back() + "\")";
    return false;
  }

  std::vector<double> numbers(sweep.size());
  std::vector<bool> numeric(sweep.size());
  for (std::size_t i = 0; i < sweep.size(); ++i) numeric[i] = LeadingNumber(sweep[i], numbers[i]);

  // Find two neighbouring sweep points whose numbers enclose the target, then
  // bisect between them; keep the closest display seen.
  float best = original;
  double bestDistance = INFINITY;
  auto consider = [&](float v, double shown) {
    const double distance = std::fabs(shown - target);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = v;
    }
  };
  bool enclosed = false;
  for (std::size_t i = 0; i + 1 < sweep.size() && bestDistance > 0.0; ++i) {
    if (!numeric[i] || !numeric[i + 1]) continue;
    const double a = numbers[i], b = numbers[i + 1];
    if (target < std::min(a, b) || target > std::max(a, b)) continue;
    enclosed = true;
    float lo = SweepPoint(static_cast<int>(i)), hi = SweepPoint(static_cast<int>(i + 1));
    consider(lo, a);
    consider(hi, b);
    const bool rising = b >= a;
    for (int step = 0; step < kBisectionSteps && bestDistance > 0.0; ++step) {
      const float mid = 0.5f * (lo + hi);
      if (mid <= lo || mid >= hi) break;
      double shown = 0.0;
      if (!LeadingNumber(displayAt(mid), shown)) break;
      consider(mid, shown);
      if ((shown < target) == rising) {
        lo = mid;
      } else {
        hi = mid;
      }
    }
  }
  if (!enclosed) {
    plugin.SetParameter(index, original);
    error = "value " + text + " is outside the range of \"" + plugin.ParameterName(index) + "\" (" +
            sweep.front() + " ... " + sweep.back() + ")";
    return false;
  }
  if (bestDistance > 0.0) {
    plugin.SetParameter(index, best);
    return true;
  }
  // Every value in a small interval shows the same text ("300" stands for
  // 299.5 ... 300.5): take the middle of that interval, which is the value
  // the text means.
  // Compared as numbers: "-0.00" and "0.00" mean the same.
  auto showsIt = [&](float v) {
    double shown = 0.0;
    return LeadingNumber(displayAt(v), shown) && shown == target;
  };
  auto edge = [&](float inside, int direction) {
    float outside = -1.0f;
    int i = static_cast<int>(std::floor(best * kSweepSteps)) + (direction > 0 ? 1 : 0);
    for (; i >= 0 && i <= kSweepSteps; i += direction) {
      const auto at = static_cast<std::size_t>(i);
      if (!numeric[at] || numbers[at] != target) {
        outside = SweepPoint(i);
        break;
      }
      inside = SweepPoint(i);
    }
    if (outside < 0.0f) return inside;  // the text runs to the end of the range
    for (int step = 0; step < kBisectionSteps; ++step) {
      const float mid = 0.5f * (inside + outside);
      if (mid == inside || mid == outside) break;
      (showsIt(mid) ? inside : outside) = mid;
    }
    return inside;
  };
  const float low = edge(best, -1), high = edge(best, +1);
  const float middle = 0.5f * (low + high);
  if (!showsIt(middle)) plugin.SetParameter(index, best);
  return true;
}

bool SetParameterByName(PluginInstance& plugin, const std::string& name, const std::string& text,
                        std::string& error) {
  const int index = plugin.FindParameter(name);
  if (index < 0) {
    error = "the plug-in has no parameter named \"" + name + "\"";
    return false;
  }
  return SetParameterFromText(plugin, index, text, error);
}

}  // namespace kalvo5::meter

#include "tools/ChannelLayout.h"

#include <algorithm>

#include "tools/TextFormat.h"

namespace kalvo5::meter {
namespace {

struct Layout {
  const char* parameter;
  const char* text;
  int channels;
};

// The first entry for a channel count is the one a file of that count gets.
constexpr Layout kLayouts[] = {
    {"RMS Channel Config", "Left", 1},   {"RMS Channel Config", "Right", 1},
    {"RMS Channel Config", "Stereo", 2}, {"RMS Channel Config", "4 Ch.", 4},
    {"RMS Channel Config", "6 Ch.", 6},  {"EBU Channel Config", "1.0", 1},
    {"EBU Channel Config", "2.0", 2},    {"EBU Channel Config", "4.0", 4},
    {"EBU Channel Config", "4.1", 5},    {"EBU Channel Config", "5.1", 6},
    {"Dial Channel Config", "1.0", 1},   {"Dial Channel Config", "2.0", 2},
    {"Dial Channel Config", "4.0", 4},   {"Dial Channel Config", "4.1", 5},
    {"Dial Channel Config", "5.1", 6},
};

}  // namespace

std::vector<std::pair<std::string, std::string>> ChannelConfigurationsFor(int channels) {
  std::vector<std::pair<std::string, std::string>> result;
  for (const Layout& layout : kLayouts) {
    const bool named = !result.empty() && result.back().first == layout.parameter;
    if (layout.channels == channels && !named) result.emplace_back(layout.parameter, layout.text);
  }
  return result;
}

bool IsChannelConfiguration(const std::string& name) {
  return std::any_of(std::begin(kLayouts), std::end(kLayouts),
                     [&](const Layout& layout) { return SameText(name, layout.parameter); });
}

std::string LayoutMismatch(const std::string& name, const std::string& text, int channels) {
  for (const Layout& layout : kLayouts) {
    if (!SameText(name, layout.parameter) || !SameText(text, layout.text) || layout.channels == channels) {
      continue;
    }
    const std::string measured = std::to_string(layout.channels);
    const std::string has = std::to_string(channels);
    if (layout.channels < channels) {
      return std::string(layout.parameter) + " " + layout.text + " measures " + measured + " of the file's " +
             has + " channels";
    }
    return std::string(layout.parameter) + " " + layout.text + " measures " + measured +
           " channels; the file has " + has + " (the others measure as silence)";
  }
  return {};
}

}  // namespace kalvo5::meter

#include "tools/ParameterValue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/DisplayNumber.h"
#include "tools/TextFormat.h"

namespace kalvo5::meter {

std::optional<LinearScale> LinearScale::Of(const PluginInstance& plugin, int index) {
  double shown[5] = {};
  int decimals = 0;
  for (int i = 0; i < 5; ++i) {
    const auto display = plugin.DisplayOfValueIfAnswered(index, static_cast<float>(i) / 4.0f);
    if (!display || !DisplayedNumber(*display, shown[i])) return std::nullopt;
    decimals = std::max(decimals, DisplayedDecimals(*display));
  }
  // Every quarter where a straight line puts it, to the display's rounding.
  const double tolerance = 0.5 * std::pow(10.0, -decimals) * (1.0 + 1e-9);
  for (int i = 1; i < 4; ++i) {
    const double line = shown[0] + (shown[4] - shown[0]) * i / 4.0;
    if (std::fabs(shown[i] - line) > tolerance) return std::nullopt;
  }
  if (shown[4] == shown[0]) return std::nullopt;
  return LinearScale(shown[0], shown[4]);
}

ValueAtResolution FullResolutionValue(const std::optional<LinearScale>& scale, float normalized,
                                      const std::string& display) {
  ValueAtResolution result;
  double number = 0.0;
  if (!scale) {
    if (DisplayedNumber(display, number)) result.value = number;
    return result;
  }
  result.decimals = std::max(2, DisplayedDecimals(display));
  const double unit = std::pow(10.0, result.decimals);
  // + 0.0 turns a rounded -0 into 0.
  result.value = std::round(scale->ValueAt(normalized) * unit) / unit + 0.0;
  return result;
}

std::string ValueText(const ValueAtResolution& value) {
  if (!value.value) return {};
  if (value.decimals >= 0) return Fixed(*value.value, value.decimals);
  char text[64];
  std::snprintf(text, sizeof text, "%.10g", *value.value);
  return text;
}

}  // namespace kalvo5::meter

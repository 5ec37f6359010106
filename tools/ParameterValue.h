// A parameter's value at full resolution. A display rounds (Kalvo5 shows its
// readings to 0.1); the value itself is the parameter's normalized value on
// its range, when the display tells the range: a parameter whose display is
// a number that follows its normalized value linearly (as the displays at
// 0, 1/4, 1/2 and 1, asked through the Cockos extension, show).
#pragma once

#include <optional>
#include <string>

#include "tools/PluginInstance.h"

namespace kalvo5::meter {

class LinearScale {
 public:
  // Parameter `index`'s range; none when its display is no number linear
  // in the normalized value, or the plug-in does not tell displays of
  // values.
  static std::optional<LinearScale> Of(const PluginInstance& plugin, int index);

  double ValueAt(float normalized) const { return low_ + static_cast<double>(normalized) * (high_ - low_); }

 private:
  LinearScale(double low, double high) : low_(low), high_(high) {}
  double low_, high_;
};

// A value and the decimals to write it with; -1 decimals: as many as it
// needs (a number read off a display).
struct ValueAtResolution {
  std::optional<double> value;
  int decimals = -1;
};

// The value of a parameter at `normalized` that shows `display`: on its
// scale to 0.01 (or to the display's own finer resolution); without a scale,
// the number the display shows; none when it shows no number.
ValueAtResolution FullResolutionValue(const std::optional<LinearScale>& scale, float normalized,
                                      const std::string& display);

// The value as text: "-23.00"; empty without a value.
std::string ValueText(const ValueAtResolution& value);

}  // namespace kalvo5::meter

#include "ReadoutFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/LevelScale.h"

namespace kalvo5 {

namespace {

std::string Printed(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

double DisplayDb(double magnitude) {
  const double a = std::fabs(magnitude);
  return a > 6.309e-08 ? std::log(a) * 8.685889638065037 : -144.0;
}

std::string FormatReadoutText(bool offsetOn, bool valid, int decimals, double value, double reference,
                              double floor) {
  if (!valid) return "---";
  if (value < floor) return "-inf";
  char format[16];
  std::snprintf(format, sizeof format, "%%.%dlf", std::clamp(decimals, 0, 9));
  return Printed(format, offsetOn ? value - reference : value);
}

std::string MeterValueText(double peakDb) {
  const double p = RoundToTenth(peakDb);
  return p > -144.0 ? Printed(" %.1lf", p) : "-inf";
}

double MeterBarValue(double barDb) {
  const double b = std::clamp(std::isnan(barDb) ? -60.0 : barDb, -60.0, 12.0);
  return (b + 60.0) / 72.0;
}

}  // namespace kalvo5

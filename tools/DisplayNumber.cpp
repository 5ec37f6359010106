#include "tools/DisplayNumber.h"

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdlib>

#include "tools/TextFormat.h"

namespace kalvo5::meter {

bool LeadingNumber(const std::string& text, double& number) {
  const std::string t = Trimmed(text);
  if (t.empty()) return false;
  // Parse with a '.' decimal point whatever the locale.
  std::string s = t;
  const char* point = std::localeconv()->decimal_point;
  if (point != nullptr && point[0] != '.' && point[0] != '\0')
    std::replace(s.begin(), s.end(), '.', point[0]);
  char* end = nullptr;
  number = std::strtod(s.c_str(), &end);
  if (end == s.c_str() || !std::isfinite(number)) return false;
  // Words such as "inf" or "nan" are no numbers here.
  return std::isdigit(static_cast<unsigned char>(*(end - 1))) != 0 || *(end - 1) == '.';
}

bool DisplayShows(const std::string& display, const std::string& text) {
  if (SameText(display, text)) return true;
  double shown = 0.0, wanted = 0.0;
  if (!LeadingNumber(display, shown) || !LeadingNumber(text, wanted)) return false;
  // Half a unit of the display's last digit, and a little for the rounding
  // of the plug-in's own arithmetic.
  const double halfStep = 0.5 * std::pow(10.0, -DisplayedDecimals(display));
  return std::fabs(shown - wanted) <= halfStep * (1.0 + 1e-9);
}

bool DisplayedNumber(const std::string& display, double& number) {
  const std::string t = Trimmed(display);
  if (!LeadingNumber(t, number)) return false;
  // Only a display that is nothing but the number counts.
  const auto end = t.find_first_not_of("+-0123456789.eE", t[0] == '-' || t[0] == '+' ? 1 : 0);
  return end == std::string::npos;
}

int DisplayedDecimals(const std::string& display) {
  const std::string t = Trimmed(display);
  const auto point = t.find('.');
  if (point == std::string::npos) return 0;
  int decimals = 0;
  for (std::size_t i = point + 1; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i) {
    ++decimals;
  }
  return decimals;
}

}  // namespace kalvo5::meter

// Reading numbers in the C locale with glibc's strtod_l.
#include <locale.h>

#include <clocale>
#include <cstdlib>

#include "NumberText.h"

namespace iplug {

namespace {

// One C locale object for the process, created on first use.
locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

}  // namespace

double ParseDoubleC(const char* text, const char** end) {
  if (!text) {
    if (end) *end = text;
    return 0.0;
  }
  char* stop = nullptr;
  const locale_t c = CLocale();
  const double value = c ? strtod_l(text, &stop, c) : std::strtod(text, &stop);
  if (end) *end = stop;
  return value;
}

}  // namespace iplug

#include "NumberText.h"

#include <locale.h>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <cstring>

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

std::size_t FormatFixed(char* out, std::size_t capacity, double value, int decimals) {
  if (capacity == 0) return 0;
  // Wide enough for any double in fixed notation with up to 17 decimals.
  char buffer[400];
  const auto result =
      std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, decimals);
  std::size_t length = result.ec == std::errc() ? static_cast<std::size_t>(result.ptr - buffer) : 0;
  if (length >= capacity) length = capacity - 1;
  std::memcpy(out, buffer, length);
  out[length] = '\0';
  return length;
}

}  // namespace iplug

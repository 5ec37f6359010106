// Reading numbers as strtod does in the C locale, with std::from_chars:
// locale-independent and correctly rounded, as glibc's strtod_l is, so a
// value read from a state or preset gives the same double on every build.
#include <cctype>
#include <charconv>
#include <cstring>

#include "framework/iplug/NumberText.h"

namespace iplug {

double ParseDoubleC(const char* text, const char** end) {
  if (end) *end = text;
  if (!text) return 0.0;
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  const char* last = p + std::strlen(p);
  double value = 0.0;
  std::from_chars_result read{};
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
      (std::isxdigit(static_cast<unsigned char>(p[2])) || p[2] == '.')) {
    read = std::from_chars(p + 2, last, value, std::chars_format::hex);
  } else {
    read = std::from_chars(p, last, value, std::chars_format::general);
  }
  // A value beyond the range of double is infinite (or zero), as strtod
  // gives it; anything else unread is no number.
  if (read.ec == std::errc::result_out_of_range) {
    const char* exponent = std::strpbrk(p, "eEpP");
    const bool tiny = exponent && exponent < read.ptr && exponent[1] == '-';
    value = tiny ? 0.0 : __builtin_huge_val();
  } else if (read.ec != std::errc()) {
    return 0.0;
  }
  if (end) *end = read.ptr;
  return negative ? -value : value;
}

}  // namespace iplug

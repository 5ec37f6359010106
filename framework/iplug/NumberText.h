// Numbers to and from text in the C locale, whatever locale the host set.
#pragma once

#include <cstddef>

namespace iplug {

// strtod in the C locale: skips white space, reads an optional sign, digits
// with '.', an optional exponent (also "inf", "nan" and hex forms, as strtod
// does). *end is the first character not used; no number gives 0 and end = text.
double ParseDoubleC(const char* text, const char** end);

// Writes value with exactly `decimals` decimals, as printf "%.*f" does in the
// C locale, and terminates it. Returns the length written (cut to capacity - 1).
std::size_t FormatFixed(char* out, std::size_t capacity, double value, int decimals);

}  // namespace iplug

// How the editor turns measured values into the texts of its read-outs and
// meter columns.
#pragma once

#include <string>

namespace kalvo5 {

// A read-out: "---" when not valid, "-inf" below `floor` (tested before the
// offset), else the value (minus `reference` when `offsetOn`) with
// `decimals` decimals.
std::string FormatReadoutText(bool offsetOn, bool valid, int decimals, double value, double reference,
                              double floor);

// The peak value under a meter column: a blank and the value to one decimal,
// or "-inf" once it rounds to -144 or less.
std::string MeterValueText(double peakDb);

// The normalized height of a meter bar showing `barDb` (-60 ... +12 dB).
double MeterBarValue(double barDb);

// A magnitude in dB (-144 at and below 6.309e-08).
double DisplayDb(double magnitude);

}  // namespace kalvo5

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

// A read-out whose reading cannot be made (a dialogue-gated reading at a rate
// the speech detector does not take), and the tooltip that says why.
inline constexpr const char* kUnavailableReadoutText = "n/a";
inline constexpr const char* kUnavailableReadoutTooltip =
    "No speech detection at this sample rate: no dialogue-gated reading";

// The peak value under a meter column: a blank and the value to one decimal,
// or "-inf" once it rounds to -144 or less.
std::string MeterValueText(double peakDb);

// The normalized height of a meter bar showing `barDb` (-60 ... +12 dB).
double MeterBarValue(double barDb);

// A magnitude in dB (-144 at and below 6.309e-08).
double DisplayDb(double magnitude);

}  // namespace kalvo5

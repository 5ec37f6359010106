// Channel meters stepped through a block in groups of up to three, whose
// recursions from sample to sample run side by side in registers.
#pragma once

#include <type_traits>

#include "ChannelPeakMeter.h"

namespace kalvo5 {

// Calls run(std::integral_constant<int, k>{}, meters, magnitudes) for each
// group of k = 1 ... 3 of the `count` meters and their magnitudes.
template <typename Run>
void InGroupsOfThree(ChannelPeakMeter* const* meters, const double* const* magnitudes, int count, Run run) {
  for (; count > 0; count -= 3, meters += 3, magnitudes += 3) {
    if (count == 1)
      run(std::integral_constant<int, 1>{}, meters, magnitudes);
    else if (count == 2)
      run(std::integral_constant<int, 2>{}, meters, magnitudes);
    else
      run(std::integral_constant<int, 3>{}, meters, magnitudes);
  }
}

}  // namespace kalvo5

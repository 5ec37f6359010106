// Whether a preset chunk takes effect in a plug-in. effSetChunk answers
// success whenever the chunk's framing is intact, also when the plug-in
// rejected the document inside (Kalvo5 does, and hosts rely on it), so the
// answer comes from the parameters instead.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/ExitCode.h"
#include "tools/PluginLibrary.h"

namespace kalvo5::meter {

// Gives the chunk to two new instances, one of them first moved away from
// the other on every parameter that takes a value: a preset that took
// effect brings both to its values on the parameters it sets, one that did
// not leaves them apart everywhere. A failure names the preset by `label`.
Failure CheckPresetTakesEffect(const PluginLibrary& library, const std::vector<std::uint8_t>& chunk,
                               const std::string& label);

}  // namespace kalvo5::meter

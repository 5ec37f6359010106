// Helpers of the preset-file commands of the plug-in object.
#pragma once

#include <string>

namespace kalvo5 {

// The preset name a saved file gets: the file name without its folder (split
// at the last "/" or "\") and without its extension (from the last "." that
// is not the name's first character), at most 259 characters.
std::string PresetNameFromPath(const std::string& path);

}  // namespace kalvo5

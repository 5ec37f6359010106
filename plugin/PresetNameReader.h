// The name of the preset a preset file holds, read without parsing the
// whole file. Safe on any thread: it touches no plug-in state.
#pragma once

#include <string>

#include "plugin/XMLPresetTree.h"

namespace kalvo5 {

// Checks a preset file as a header-only load checks it (a readable document
// of `identity` whose "Preset" is named and holds a parameter list) and
// gives the preset's name as stored. Our files name their preset before the
// first "Param", so the text before it, closed off, is a document of a few
// hundred bytes that passes the same checks; only a file whose start does
// not pass them is read and parsed whole. What follows the first "Param" is
// checked when the preset is applied.
bool ReadPresetFileName(const std::string& path, const PresetTreeIdentity& identity, std::string& name);

}  // namespace kalvo5

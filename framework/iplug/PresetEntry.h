// One preset slot of the plug-in base: a name and the state written into it.
#pragma once

#include "ByteChunk.h"
#include "TextCopy.h"

namespace iplug {

inline constexpr int kMaxPresetNameLength = 255;

struct PresetEntry {
  PresetEntry() { CopyText(name, "empty"); }

  bool initialized = false;
  char name[kMaxPresetNameLength + 1] = {};
  int tag = -1;  // the plug-in's own preset code assigns and reads it
  ByteChunk chunk;
};

}  // namespace iplug

// Keys a VST 2 host passes to the editor: its virtual keys and characters
// turned into the key records the editor's controls expect.
#pragma once

#include <cstdint>

#include "framework/iplug/KeyTranslation.h"

namespace iplug {

// The Windows code of a host virtual key (1 ... 57); 0 for other values.
// A plain character (0) and the equals key are looked up by character.
int WindowsKeyCode(std::int32_t character, std::int64_t virtualKey);

// The whole key record: code, character text and the modifier bits
// (shift bit 0, alternate bit 1, control bit 3).
KeyPress MakeKeyPress(std::int32_t character, std::int64_t virtualKey, int modifiers);

}  // namespace iplug

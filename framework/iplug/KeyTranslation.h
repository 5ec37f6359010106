// Keys the host passes to the editor: the host's virtual keys and characters
// turned into the Windows virtual-key codes the editor's controls expect.
#pragma once

#include <cstdint>

namespace iplug {

// One key press or release as the editor receives it.
struct KeyPress {
  int vk = 0;         // Windows virtual-key code; -1 when the character has no key
  char utf8[5] = {};  // the character as text (UTF-8), empty for none
  bool shift = false;
  bool control = false;
  bool alt = false;
};

// The key code for a character as the US keyboard layout types it: the low
// byte is the virtual key, the high byte the shift state (1 shift, 2
// control), as a sign-extended 16-bit value; -1 for a character no key types.
int KeyCodeForCharacter(char character);

// The Windows code of a host virtual key (1 ... 57); 0 for other values.
// A plain character (0) and the equals key are looked up by character.
int WindowsKeyCode(std::int32_t character, std::int64_t virtualKey);

// The whole key record: code, character text and the modifier bits
// (shift bit 0, alternate bit 1, control bit 3).
KeyPress MakeKeyPress(std::int32_t character, std::int64_t virtualKey, int modifiers);

}  // namespace iplug

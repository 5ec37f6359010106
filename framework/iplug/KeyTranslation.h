// Keys as the editor's controls receive them: Windows virtual-key codes and
// the character as text, whichever host or window system they came from.
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

}  // namespace iplug

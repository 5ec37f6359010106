// X11 keys as the editor's controls expect them.
#pragma once

#include <cstdint>
#include <string>

#include "IGraphicsTypes.h"

namespace igraphics {

// The Windows virtual-key code of an X11 keysym; -1 for a character no US
// key types, 0 for keys without a code.
int VirtualKeyForKeysym(std::uint32_t keysym);
// A key record from a window's key event.
KeyPress MakeKeyPressFromKeysym(std::uint32_t keysym, const std::string& text, bool shift, bool control,
                                bool alt);

}  // namespace igraphics

// Tags of the editor controls that code outside the layout finds again.
#pragma once

namespace kalvo5 {

inline constexpr int kTagClickArea = 0;
inline constexpr int kTagPluginMenu = 1;
inline constexpr int kTagPresetMenu = 3;

}  // namespace kalvo5

// Tags of the editor controls that other code finds by tag.
#pragma once

namespace kalvo5 {

inline constexpr int kTagClickArea = 0;
inline constexpr int kTagPluginMenu = 1;
inline constexpr int kTagPresetMenu = 3;

}  // namespace kalvo5

// The 31 rows of the plug-in menu, in the order the menu shows them.
#pragma once

#include <vector>

#include "editor/menus/PluginMenuAddresses.h"
#include "editor/menus/PluginMenuEntry.h"

namespace iplug {
class IEditorDelegate;
}

namespace kalvo5 {

// The group of the "Fixed GUI scale" submenu.
inline constexpr int kScaleMenuGroup = 0;
inline constexpr int kNumPluginMenuEntries = 31;

// The "Online Update Check" row is named after its parameter in `plugin`.
std::vector<PluginMenuEntry> MakePluginMenuEntries(const iplug::IEditorDelegate& plugin,
                                                   const PluginMenuAddresses& addresses);

}  // namespace kalvo5

// One row of the plug-in menu's table: what an item shows and what choosing
// it does.
#pragma once

#include <string>

namespace igraphics {
class PopupMenu;
}

namespace kalvo5 {

enum class PluginMenuEntryKind : int {
  Separator = 0,
  ParamToggle = 1,     // id: a parameter switched between 0 and 1
  Command = 3,         // id: a command code sent to the plug-in
  SubmenuHeader = 4,   // opens the submenu of its group
  SubmenuCommand = 5,  // an item of its group's submenu; id: a command code
  Link = 6,            // address: opened with the desktop's handler
};

struct PluginMenuEntry {
  std::string text;
  PluginMenuEntryKind kind = PluginMenuEntryKind::Separator;
  // A disabled entry is greyed, or left out of its submenu.
  bool enabled = true;
  int id = -1;
  std::string address;
  int group = -1;
  // Filled while the menu is built: the item's position in the main menu
  // (parameter toggles, commands, links), and the submenu holding the item
  // (submenu commands). Valid until the menu is built again.
  int itemIndex = -1;
  const igraphics::PopupMenu* submenu = nullptr;
};

}  // namespace kalvo5

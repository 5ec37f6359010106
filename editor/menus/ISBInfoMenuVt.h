// The plug-in menu button in the editor's top-left corner: a click opens the
// menu built from the entry table (About, manual, change log, update check,
// data folder, editor preferences, engine options) and carries out the
// chosen entry. Editor thread.
#pragma once

#include <optional>
#include <vector>

#include "editor/menus/PluginMenuEntry.h"
#include "framework/igraphics/IBitmapBase.h"
#include "framework/igraphics/IControl.h"

namespace kalvo5 {

class Kalvo5;

class ISBInfoMenuVt : public igraphics::IControl, public igraphics::IBitmapBase {
 public:
  // Sized to one frame of `bitmap` at (x, y); frame 1 shows while the pointer
  // is over the button.
  ISBInfoMenuVt(Kalvo5& plugin, float x, float y, const igraphics::Bitmap& bitmap,
                std::vector<PluginMenuEntry> entries);

  void OnMouseDown(float x, float y, const igraphics::MouseMods& mods) override;
  void OnMouseUp(float x, float y, const igraphics::MouseMods& mods) override;
  void OnMouseOver(float x, float y, const igraphics::MouseMods& mods) override;
  void OnMouseOut() override;
  void OnMenuChoice(igraphics::PopupMenu* menu, int slot) override;
  void Draw(igraphics::IGraphics& g) override;

  // Rebuilds the menu from the entries and the parameters' current values
  // and shows it below the button.
  void BuildPluginMenu();
  // Sets a parameter as the user's choice: the editor's controls and the
  // host learn it and the plug-in reacts. Nothing when it already has the
  // value.
  void SetParamFromMenu(int paramIdx, double value);

  // The "Fixed GUI scale" item chosen last: 0 for "50%" ... 10 for "300%";
  // none before the first such choice.
  // The menu as last built; item positions refer to it.
  const igraphics::PopupMenu& Menu() const { return mMenu; }
  const std::vector<PluginMenuEntry>& Entries() const { return mEntries; }
  bool Pressed() const { return mPressed; }

 private:
  bool ParamIsOn(int paramIdx) const;
  void AppendSubmenu(const PluginMenuEntry& header);
  void ChooseMainItem(int position);
  void ChooseSubmenuItem(const igraphics::PopupMenu& delivered);

  Kalvo5& mPlugin;
  std::vector<PluginMenuEntry> mEntries;
  igraphics::PopupMenu mMenu;
  bool mPressed = false;
};

}  // namespace kalvo5

// An invisible area that sends a command code to the plug-in when clicked.
#pragma once

#include <functional>

#include "framework/igraphics/IControl.h"

namespace kalvo5 {

class IVClickControlHiddenMenuVt : public igraphics::IControl {
 public:
  using CommandSink = std::function<void(int command)>;

  // `clickCommand` goes to `send` on every click (none for -1). The three
  // menu commands belong to entries 0 ... 2 of a menu of this control.
  IVClickControlHiddenMenuVt(const igraphics::Rect& bounds, int clickCommand, const int (&menuCommands)[3],
                             CommandSink send);

  void OnMouseDown(float x, float y, const igraphics::MouseMods& mods) override;
  void OnMenuChoice(igraphics::PopupMenu* menu, int slot) override;
  void Draw(igraphics::IGraphics&) override {}

 private:
  int mClickCommand;
  int mMenuCommands[3];
  CommandSink mSend;
};

}  // namespace kalvo5

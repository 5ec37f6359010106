#include "IVClickControlHiddenMenuVt.h"

#include <utility>

namespace kalvo5 {

IVClickControlHiddenMenuVt::IVClickControlHiddenMenuVt(const igraphics::Rect& bounds, int clickCommand,
                                                       const int (&menuCommands)[3], CommandSink send)
    : igraphics::IControl(bounds),
      mClickCommand(clickCommand),
      mMenuCommands{menuCommands[0], menuCommands[1], menuCommands[2]},
      mSend(std::move(send)) {}

void IVClickControlHiddenMenuVt::OnMouseDown(float, float, const igraphics::MouseMods&) {
  if (mClickCommand != -1 && mSend) mSend(mClickCommand);
}

void IVClickControlHiddenMenuVt::OnMenuChoice(igraphics::PopupMenu* menu, int) {
  if (!menu || !mSend) return;
  const int chosen = menu->ChosenItemIdx();
  if (chosen >= 0 && chosen < 3 && mMenuCommands[chosen] != -1) mSend(mMenuCommands[chosen]);
}

}  // namespace kalvo5

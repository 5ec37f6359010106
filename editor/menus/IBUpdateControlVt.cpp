#include "editor/menus/IBUpdateControlVt.h"

#include "editor/menus/BitmapFrames.h"
#include "plugin/Kalvo5.h"

namespace kalvo5 {

IBUpdateControlVt::IBUpdateControlVt(Kalvo5& plugin, float x, float y, const igraphics::Bitmap& bitmap,
                                     int command)
    : igraphics::IControl(FrameBounds(bitmap, x, y)),
      igraphics::IBitmapBase(bitmap),
      mPlugin(plugin),
      mCommand(command) {
  UpdateTooltip();
}

void IBUpdateControlVt::UpdateTooltip() {
  SetTooltipText(UpdateAvailable() ? kUpdateAvailableTooltip : kCheckForUpdatesTooltip);
}

void IBUpdateControlVt::SetUpdateAvailable(bool available) {
  SetControlValue(available ? 1.0 : 0.0);
  UpdateTooltip();
  MarkDirty(false);
}

void IBUpdateControlVt::OnMouseDown(float /*x*/, float /*y*/, const igraphics::MouseMods& /*mods*/) {
  mPlugin.Execute(EditorCommand(static_cast<ECommands>(mCommand)));
  mPressed = true;
  MarkDirty(false);
}

void IBUpdateControlVt::OnMouseUp(float /*x*/, float /*y*/, const igraphics::MouseMods& /*mods*/) {
  mPressed = false;
  MarkDirty(false);
}

void IBUpdateControlVt::OnMouseOver(float x, float y, const igraphics::MouseMods& mods) {
  igraphics::IControl::OnMouseOver(x, y, mods);
  MarkDirty(false);
}

void IBUpdateControlVt::OnMouseOut() {
  igraphics::IControl::OnMouseOut();
  mPressed = false;
  MarkDirty(false);
}

void IBUpdateControlVt::Draw(igraphics::IGraphics& g) {
  DrawFrame(g, mBitmap, mRect, UpdateAvailable() ? 1 : 0, mBlend);
  UpdateTooltip();
}

}  // namespace kalvo5

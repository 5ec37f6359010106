// The update indicator in the editor's top-right corner: frame 1 while a
// newer version of the plug-in is known, and a click asks for a manual
// update check. The idle handler sets its value. Editor thread.
#pragma once

#include "framework/igraphics/IBitmapBase.h"
#include "framework/igraphics/IControl.h"

namespace kalvo5 {

class Kalvo5;

inline constexpr const char* kUpdateAvailableTooltip = "Update available";
inline constexpr const char* kCheckForUpdatesTooltip = "Click to check for updates";

class IBUpdateControlVt : public igraphics::IControl, public igraphics::IBitmapBase {
 public:
  // Sized to one frame of `bitmap` at (x, y); `command` is sent on a click.
  IBUpdateControlVt(Kalvo5& plugin, float x, float y, const igraphics::Bitmap& bitmap, int command);

  void OnMouseDown(float x, float y, const igraphics::MouseMods& mods) override;
  void OnMouseUp(float x, float y, const igraphics::MouseMods& mods) override;
  void OnMouseOver(float x, float y, const igraphics::MouseMods& mods) override;
  void OnMouseOut() override;
  void Draw(igraphics::IGraphics& g) override;

  // Value 1 and its tooltip when a newer version exists, else 0; redraws.
  void SetUpdateAvailable(bool available);
  bool UpdateAvailable() const { return GetValue() > 0.0; }
  bool Pressed() const { return mPressed; }

 private:
  void UpdateTooltip();

  Kalvo5& mPlugin;
  int mCommand;
  bool mPressed = false;
};

}  // namespace kalvo5

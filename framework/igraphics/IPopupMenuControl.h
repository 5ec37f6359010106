// The in-editor popup-menu host: shows a menu (and the submenus the pointer
// opens) inside the editor and hands the choice back to the editor window.
// While it shows a menu it receives every mouse and key event.
#pragma once

#include <memory>
#include <vector>

#include "IControl.h"

namespace igraphics {

class IPopupMenuControl : public IControl {
 public:
  explicit IPopupMenuControl(const TextStyle& style, const Rect& bounds = {});

  // Shows a copy of the menu below the anchor's left-bottom corner.
  void Show(const PopupMenu& menu, const Rect& anchor);
  bool IsShowing() const { return mMenu != nullptr; }
  // Closes without a choice (no result is delivered).
  void Dismiss();
  const PopupMenu* GetMenu() const { return mMenu.get(); }

  // The item under the point: level (0 the main menu) and index; false when
  // the point is on no item.
  bool ItemAt(float x, float y, int& level, int& index) const;
  // The area of an open level (tests, drawing).
  Rect LevelRect(int level) const;
  int OpenLevels() const { return static_cast<int>(mLevels.size()); }

  void Draw(IGraphics& g) override;
  bool HitTest(float /*x*/, float /*y*/) const override { return IsShowing(); }
  void OnMouseDown(float x, float y, const MouseMods& mods) override;
  void OnMouseOver(float x, float y, const MouseMods& mods) override;
  void OnMouseDrag(float x, float y, float dx, float dy, const MouseMods& mods) override;
  void OnMouseDoubleClick(float x, float y, const MouseMods& mods) override { OnMouseDown(x, y, mods); }
  bool OnControlKeyDown(float x, float y, const KeyPress& key) override;

 private:
  struct Level {
    PopupMenu* menu = nullptr;
    Rect bounds;
    int highlighted = -1;
  };

  float ItemHeight() const { return mTextStyle.size + 6.0f; }
  Rect LayoutLevel(const PopupMenu& menu, float left, float top) const;
  Rect ItemRect(const Level& level, int index) const;
  void Highlight(float x, float y);
  void Choose(int level, int index);

  std::unique_ptr<PopupMenu> mMenu;
  std::vector<Level> mLevels;
};

}  // namespace igraphics

#include "IPopupMenuControl.h"

#include <algorithm>

#include "IGraphics.h"

namespace igraphics {
namespace {

constexpr float kTextPadding = 20.0f;   // room for the check mark on the left
constexpr float kArrowPadding = 16.0f;  // room for a submenu arrow on the right
constexpr float kSeparatorHeight = 7.0f;

}  // namespace

IPopupMenuControl::IPopupMenuControl(const TextStyle& style, const Rect& bounds) : IControl(bounds) {
  mTextStyle = style;
  mTextStyle.align = HAlign::Near;
}

Rect IPopupMenuControl::LayoutLevel(const PopupMenu& menu, float left, float top) const {
  float width = 60.0f;
  float height = 0.0f;
  IGraphics* g = GetUI();
  for (int i = 0; i < menu.NItems(); ++i) {
    const PopupMenu::Item* item = menu.GetItem(i);
    height += item->IsSeparator() ? kSeparatorHeight : ItemHeight();
    if (g)
      width = std::max(width, g->MeasureText(mTextStyle, item->Text()).W() + kTextPadding + kArrowPadding);
  }
  if (g) {
    // Keep the level inside the editor where it fits.
    const float editorW = static_cast<float>(g->Width());
    const float editorH = static_cast<float>(g->Height());
    if (left + width > editorW) left = std::max(0.0f, editorW - width);
    if (top + height > editorH) top = std::max(0.0f, editorH - height);
  }
  return {left, top, left + width, top + height};
}

Rect IPopupMenuControl::ItemRect(const Level& level, int index) const {
  float top = level.bounds.T;
  for (int i = 0; i < index; ++i)
    top += level.menu->GetItem(i)->IsSeparator() ? kSeparatorHeight : ItemHeight();
  const float h = level.menu->GetItem(index)->IsSeparator() ? kSeparatorHeight : ItemHeight();
  return {level.bounds.L, top, level.bounds.R, top + h};
}

void IPopupMenuControl::Show(const PopupMenu& menu, const Rect& anchor) {
  mMenu = std::make_unique<PopupMenu>(menu);
  mMenu->SetChosenItemIdx(-1);
  mLevels.clear();
  mLevels.push_back({mMenu.get(), LayoutLevel(*mMenu, anchor.L, anchor.B), -1});
  MarkDirty(false);
}

void IPopupMenuControl::Dismiss() {
  mMenu.reset();
  mLevels.clear();
  MarkDirty(false);
}

Rect IPopupMenuControl::LevelRect(int level) const {
  return level >= 0 && level < OpenLevels() ? mLevels[static_cast<std::size_t>(level)].bounds : Rect{};
}

bool IPopupMenuControl::ItemAt(float x, float y, int& level, int& index) const {
  for (int l = OpenLevels() - 1; l >= 0; --l) {
    const Level& candidate = mLevels[static_cast<std::size_t>(l)];
    if (!candidate.bounds.Contains(x, y)) continue;
    for (int i = 0; i < candidate.menu->NItems(); ++i) {
      if (ItemRect(candidate, i).Contains(x, y)) {
        level = l;
        index = i;
        return true;
      }
    }
  }
  return false;
}

void IPopupMenuControl::Highlight(float x, float y) {
  int level = -1, index = -1;
  if (!ItemAt(x, y, level, index)) return;
  Level& current = mLevels[static_cast<std::size_t>(level)];
  if (current.highlighted == index && OpenLevels() > level + 1) return;
  current.highlighted = index;
  mLevels.resize(static_cast<std::size_t>(level) + 1);
  const PopupMenu::Item* item = current.menu->GetItem(index);
  if (item->Submenu() && item->Enabled()) {
    const Rect itemRect = ItemRect(current, index);
    mLevels.push_back({item->Submenu(), LayoutLevel(*item->Submenu(), itemRect.R, itemRect.T), -1});
  }
  MarkDirty(false);
}

void IPopupMenuControl::Choose(int level, int index) {
  PopupMenu* chosen = nullptr;
  if (level >= 0 && level < OpenLevels()) {
    PopupMenu* menu = mLevels[static_cast<std::size_t>(level)].menu;
    const PopupMenu::Item* item = menu->GetItem(index);
    if (item && item->Choosable()) {
      menu->SetChosenItemIdx(index);
      chosen = menu;
    }
  }
  // The menu stays alive while its result is delivered, even if the
  // receiver opens another menu.
  std::unique_ptr<PopupMenu> owner = std::move(mMenu);
  mLevels.clear();
  MarkDirty(false);
  if (chosen) chosen->RunCallback();
  if (IGraphics* g = GetUI()) g->DeliverMenuResult(chosen);
}

void IPopupMenuControl::OnMouseDown(float x, float y, const MouseMods& /*mods*/) {
  if (!IsShowing()) return;
  int level = -1, index = -1;
  if (!ItemAt(x, y, level, index)) level = index = -1;
  Choose(level, index);
}

void IPopupMenuControl::OnMouseOver(float x, float y, const MouseMods& /*mods*/) {
  if (IsShowing()) Highlight(x, y);
}

void IPopupMenuControl::OnMouseDrag(float x, float y, float /*dx*/, float /*dy*/, const MouseMods& /*mods*/) {
  if (IsShowing()) Highlight(x, y);
}

bool IPopupMenuControl::OnControlKeyDown(float /*x*/, float /*y*/, const KeyPress& key) {
  if (!IsShowing()) return false;
  Level& level = mLevels.back();
  const int count = level.menu->NItems();
  auto step = [&](int direction) {
    for (int n = 0, i = level.highlighted; n < count; ++n) {
      i = (i + direction + count) % count;
      if (level.menu->GetItem(i)->Choosable() || level.menu->GetItem(i)->Submenu()) {
        level.highlighted = i;
        break;
      }
    }
    MarkDirty(false);
  };
  switch (key.vk) {
    case vk::kUp:
      step(-1);
      break;
    case vk::kDown:
      step(1);
      break;
    case vk::kReturn:
      Choose(OpenLevels() - 1, level.highlighted);
      break;
    case vk::kEscape:
      Choose(-1, -1);
      break;
    default:
      break;
  }
  return true;
}

void IPopupMenuControl::Draw(IGraphics& g) {
  static constexpr Color kBackground{245, 250, 250, 250};
  static constexpr Color kBorder{255, 90, 90, 90};
  static constexpr Color kHighlight{255, 60, 120, 200};
  static constexpr Color kDisabledText{255, 150, 150, 150};
  for (const Level& level : mLevels) {
    g.FillRect(kBackground, level.bounds);
    g.DrawRect(kBorder, level.bounds);
    for (int i = 0; i < level.menu->NItems(); ++i) {
      const PopupMenu::Item* item = level.menu->GetItem(i);
      const Rect r = ItemRect(level, i);
      if (item->IsSeparator()) {
        g.DrawLine(kBorder, r.L + 4.0f, r.MH(), r.R - 4.0f, r.MH());
        continue;
      }
      const bool highlighted = i == level.highlighted && (item->Choosable() || item->Submenu());
      if (highlighted) g.FillRect(kHighlight, r);
      TextStyle style = mTextStyle;
      style.color = !item->Enabled() || item->IsTitle() ? kDisabledText
                    : highlighted                       ? kColorWhite
                                                        : mTextStyle.color;
      if (item->Checked()) g.FillCircle(style.color, r.L + 10.0f, r.MH(), 3.0f);
      g.DrawText(style, item->Text(), {r.L + kTextPadding, r.T, r.R - kArrowPadding, r.B});
      if (item->Submenu()) {
        const float x = r.R - 10.0f;
        g.FillTriangle(style.color, x - 3.0f, r.MH() - 4.0f, x - 3.0f, r.MH() + 4.0f, x + 2.0f, r.MH());
      }
    }
  }
}

}  // namespace igraphics

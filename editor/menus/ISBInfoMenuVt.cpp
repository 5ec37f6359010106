#include "editor/menus/ISBInfoMenuVt.h"

#include <algorithm>
#include <memory>

#include "editor/menus/BitmapFrames.h"
#include "framework/igraphics/IGraphics.h"
#include "plugin/Kalvo5.h"

namespace kalvo5 {

namespace {

using igraphics::PopupMenu;
using Kind = PluginMenuEntryKind;

// The menu the editor hands back is a copy of ours; its title tells which
// of our menus it is.
constexpr const char* kMainMenuTitle = "Plugin menu";

int EnabledFlag(const PluginMenuEntry& entry) { return entry.enabled ? 0 : PopupMenu::Item::kDisabled; }

}  // namespace

ISBInfoMenuVt::ISBInfoMenuVt(Kalvo5& plugin, float x, float y, const igraphics::Bitmap& bitmap,
                             std::vector<PluginMenuEntry> entries)
    : igraphics::IControl(FrameBounds(bitmap, x, y)),
      igraphics::IBitmapBase(bitmap),
      mPlugin(plugin),
      mEntries(std::move(entries)),
      mMenu(kMainMenuTitle) {}

bool ISBInfoMenuVt::ParamIsOn(int paramIdx) const {
  const iplug::IParam* param = mPlugin.GetParam(paramIdx);
  return param && static_cast<int>(param->GetValue()) == 1;
}

void ISBInfoMenuVt::BuildPluginMenu() {
  mMenu.Clear();
  for (PluginMenuEntry& entry : mEntries) {
    entry.itemIndex = -1;
    entry.submenu = nullptr;
  }
  mMenu.AddItem(">> Plugin menu <<");
  mMenu.AddSeparator();
  for (PluginMenuEntry& entry : mEntries) {
    switch (entry.kind) {
      case Kind::Separator:
        mMenu.AddSeparator();
        break;
      case Kind::ParamToggle:
        mMenu.AddItem(entry.text, EnabledFlag(entry) | (ParamIsOn(entry.id) ? PopupMenu::Item::kChecked : 0));
        entry.itemIndex = mMenu.NItems() - 1;
        break;
      case Kind::Command:
      case Kind::Link:
        mMenu.AddItem(entry.text, EnabledFlag(entry));
        entry.itemIndex = mMenu.NItems() - 1;
        break;
      case Kind::SubmenuHeader:
        AppendSubmenu(entry);
        break;
      case Kind::SubmenuCommand:
        break;  // appended with its header
    }
  }
  if (igraphics::IGraphics* g = GetUI()) g->ShowPopupMenu(this, mMenu, mRect);
}

void ISBInfoMenuVt::AppendSubmenu(const PluginMenuEntry& header) {
  auto submenu = std::make_unique<PopupMenu>(header.text);
  for (PluginMenuEntry& entry : mEntries) {
    if (entry.kind != Kind::SubmenuCommand || entry.group != header.group || !entry.enabled) continue;
    submenu->AddItem(entry.text);
    entry.submenu = submenu.get();
  }
  mMenu.AddItem(header.text, std::move(submenu)).SetEnabled(header.enabled);
}

void ISBInfoMenuVt::OnMenuChoice(PopupMenu* menu, int /*slot*/) {
  SetControlValue(0.0);
  MarkDirty(true);
  if (!menu) return;
  if (menu->Title() == mMenu.Title())
    ChooseMainItem(menu->ChosenItemIdx());
  else
    ChooseSubmenuItem(*menu);
}

void ISBInfoMenuVt::ChooseMainItem(int position) {
  if (position <= 0) return;  // the menu's own title item
  const auto entry = std::find_if(mEntries.begin(), mEntries.end(),
                                  [position](const PluginMenuEntry& e) { return e.itemIndex == position; });
  if (entry == mEntries.end()) return;
  switch (entry->kind) {
    case Kind::ParamToggle:
      SetParamFromMenu(entry->id, ParamIsOn(entry->id) ? 0.0 : 1.0);
      break;
    case Kind::Command:
      if (entry->id >= 0) mPlugin.Execute(EditorCommand(static_cast<ECommands>(entry->id)));
      break;
    case Kind::Link:
      // An address that could not be built opens nothing.
      if (igraphics::IGraphics* g = GetUI(); g && !entry->address.empty()) g->OpenURL(entry->address);
      break;
    default:
      break;
  }
}

void ISBInfoMenuVt::ChooseSubmenuItem(const PopupMenu& delivered) {
  const auto entry = std::find_if(mEntries.begin(), mEntries.end(), [&delivered](const PluginMenuEntry& e) {
    return e.submenu && e.submenu->Title() == delivered.Title();
  });
  if (entry == mEntries.end() || entry->kind != Kind::SubmenuCommand || entry->id == -1) return;
  if (delivered.ChosenItemIdx() < 0) return;
  mPlugin.Execute(EditorCommand(static_cast<ECommands>(entry->id), {}, delivered.ChosenItemIdx()));
}

void ISBInfoMenuVt::SetParamFromMenu(int paramIdx, double value) {
  iplug::IParam* param = mPlugin.GetParam(paramIdx);
  if (!param || value == param->GetValue()) return;
  param->SetValue(value);
  mPlugin.SendParamToEditor(paramIdx, value, false);
  mPlugin.SetParamFromEditor(paramIdx, std::clamp(param->NormalizedFromValue(param->GetValue()), 0.0, 1.0));
}

void ISBInfoMenuVt::OnMouseDown(float /*x*/, float /*y*/, const igraphics::MouseMods& /*mods*/) {
  mPressed = true;
  MarkDirty(false);
  BuildPluginMenu();
}

void ISBInfoMenuVt::OnMouseUp(float /*x*/, float /*y*/, const igraphics::MouseMods& /*mods*/) {
  mPressed = false;
  MarkDirty(false);
}

void ISBInfoMenuVt::OnMouseOver(float x, float y, const igraphics::MouseMods& mods) {
  igraphics::IControl::OnMouseOver(x, y, mods);
  MarkDirty(false);
}

void ISBInfoMenuVt::OnMouseOut() {
  igraphics::IControl::OnMouseOut();
  mPressed = false;
  MarkDirty(false);
}

void ISBInfoMenuVt::Draw(igraphics::IGraphics& g) {
  DrawFrame(g, mBitmap, mRect, GetMouseIsOver() ? 1 : 0, mBlend);
}

}  // namespace kalvo5

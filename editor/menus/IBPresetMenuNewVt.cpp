#include "editor/menus/IBPresetMenuNewVt.h"

#include <cstring>
#include <utility>

#include "editor/menus/BitmapFrames.h"
#include "framework/igraphics/IBitmapBase.h"
#include "framework/igraphics/IGraphics.h"
#include "framework/igraphics/TextLayout.h"
#include "plugin/Kalvo5.h"
#include "plugin/PresetFolderScan.h"

namespace kalvo5 {

namespace {

using igraphics::PopupMenu;

// The menus the editor hands back are copies of ours; their titles tell
// which of ours they are.
constexpr const char* kMainMenuTitle = "Preset menu";
constexpr const char* kUserMenuTitle = "User";

int CategoryOf(const iplug::PresetEntry& entry) { return entry.tag; }

}  // namespace

IBPresetMenuNewVt::IBPresetMenuNewVt(Kalvo5& plugin, const PresetMenuArea& area,
                                     const igraphics::TextStyle& style,
                                     std::vector<std::string> categoryNames,
                                     const PresetMenuCommands& commands, PresetStore& store,
                                     std::string folder, std::string extension, int nameLength)
    : igraphics::IControl(area.bounds),
      mPlugin(plugin),
      mArea(area),
      mCategoryNames(std::move(categoryNames)),
      mCommands(commands),
      mStore(store),
      mFolder(std::move(folder)),
      mExtension(std::move(extension)),
      mNameLength(nameLength),
      mMenu(kMainMenuTitle),
      mCategoryIndices(mCategoryNames.size()) {
  mTextStyle = style;
  SetDblAsSingleClick(true);
}

void IBPresetMenuNewVt::SendCommand(int command) {
  mPlugin.Execute(EditorCommand(static_cast<ECommands>(command), mChosenPath));
}

void IBPresetMenuNewVt::ApplyStoredAt(int position) {
  // A user preset's settings are read from its file now; one that is no
  // longer a complete preset file changes nothing.
  const int user = position - mStore.NFactory();
  if (user >= 0 && !CompleteUserPreset(mPlugin, mPlugin.PresetFiles(), mPlugin.StateDocument(), mStore, user))
    return;
  if (const iplug::PresetEntry* entry = mStore.Stored(position)) ApplyStoredPreset(mPlugin, mStore, *entry);
}

void IBPresetMenuNewVt::WhenUserPresetsRead(std::function<void()> then) {
  if (!mStore.ReadingUser()) {
    then();
    return;
  }
  mWhenRead = std::move(then);
  SetAnimation(
      [this](igraphics::IControl*) {
        mStore.CollectUser();
        if (mStore.ReadingUser() && GetAnimationProgress() < 1.0) return;
        // Taken out first: finishing the animation destroys this function.
        const std::function<void()> action = std::move(mWhenRead);
        mWhenRead = nullptr;
        FinishAnimation();
        if (action) action();
      },
      kMaxUserPresetWaitMs);
}

int IBPresetMenuNewVt::PresetPosition() const { return mStore.CurrentPosition(CurrentName()); }

// --- Clicks -------------------------------------------------------------------

void IBPresetMenuNewVt::OnMouseDown(float x, float y, const igraphics::MouseMods& /*mods*/) {
  mPreviousPressed = mNextPressed = false;
  if (mArea.menu.Contains(x, y)) {
    // Files saved into the data folder since the last click are listed
    // before the menu opens.
    SendCommand(mCommands.rescan);
    MarkDirty(true);
    WhenUserPresetsRead([this] {
      BuildPresetMenu();
      MarkDirty(true);
    });
  } else if (mArea.previous.Contains(x, y)) {
    Step(-1);
    mPreviousPressed = true;
    MarkDirty(true);
  } else if (mArea.next.Contains(x, y)) {
    Step(+1);
    mNextPressed = true;
    MarkDirty(true);
  }
}

void IBPresetMenuNewVt::Step(int delta) {
  // A user preset restored with the host's session is known once the data
  // folder has been read.
  if (mStore.Find(CurrentName()) < 0) SendCommand(mCommands.rescan);
  WhenUserPresetsRead([this, delta] {
    const int position = PresetPosition() + delta;
    if (position >= 0 && position < mStore.NStored()) ApplyStoredAt(position);
  });
}

void IBPresetMenuNewVt::OnMouseUp(float /*x*/, float /*y*/, const igraphics::MouseMods& /*mods*/) {
  mPreviousPressed = mNextPressed = false;
  MarkDirty(true);
}

void IBPresetMenuNewVt::OnMouseOver(float x, float y, const igraphics::MouseMods& mods) {
  igraphics::IControl::OnMouseOver(x, y, mods);
  mPointerOverMenu = mArea.menu.Contains(x, y);
  MarkDirty(false);
}

void IBPresetMenuNewVt::OnMouseOut() {
  igraphics::IControl::OnMouseOut();
  mPointerOverMenu = mPreviousPressed = mNextPressed = false;
  MarkDirty(false);
}

void IBPresetMenuNewVt::OnResized() { MarkDirty(false); }

void IBPresetMenuNewVt::OnScaleChanged() {
  igraphics::IGraphics* g = GetUI();
  if (!g) return;
  mArea.previousBitmap = igraphics::ReloadedForScale(*g, mArea.previousBitmap);
  mArea.nextBitmap = igraphics::ReloadedForScale(*g, mArea.nextBitmap);
}

void IBPresetMenuNewVt::OnDrop(const char* path) {
  if (!path || !*path || std::strlen(path) > kMaxChosenPathLength) return;
  mChosenPath = path;
  SendCommand(mCommands.load);
}

// --- The menu -------------------------------------------------------------------

int IBPresetMenuNewVt::AddCommandItem(const char* text) {
  mMenu.AddItem(text);
  return mMenu.NItems() - 1;
}

void IBPresetMenuNewVt::BuildPresetMenu() {
  for (std::vector<int>& list : mCategoryIndices) list.clear();
  mMenu.Clear();
  mMenu.AddItem(">> Preset menu <<");
  mMenu.AddSeparator();
  mLoadItem = AddCommandItem("Load preset ...");
  mResetItem = AddCommandItem("Reset to default");
  mMenu.AddSeparator();
  mSaveItem = AddCommandItem("Save preset ...");
  mSaveDefaultItem = AddCommandItem("Save as default");
  for (int category = 0; category < static_cast<int>(mCategoryNames.size()); ++category)
    AddCategory(category);
  AddUserSubmenu();
  if (igraphics::IGraphics* g = GetUI()) g->ShowPopupMenu(this, mMenu, mRect);
}

// Category 0's presets go straight into the main menu after a separator;
// every other category with presets gets a submenu.
void IBPresetMenuNewVt::AddCategory(int category) {
  std::vector<int>& indices = mCategoryIndices[static_cast<std::size_t>(category)];
  for (int f = 0; f < mStore.NFactory(); ++f)
    if (CategoryOf(*mStore.Factory(f)) == category) indices.push_back(f);
  if (indices.empty()) return;
  const std::string& name = mCategoryNames[static_cast<std::size_t>(category)];
  if (category == 0) {
    mMenu.AddSeparator();
    for (int f : indices) mMenu.AddItem(mStore.Factory(f)->name);
    return;
  }
  auto submenu = std::make_unique<PopupMenu>(name);
  for (int f : indices) submenu->AddItem(mStore.Factory(f)->name);
  mMenu.AddItem(name, std::move(submenu));
}

void IBPresetMenuNewVt::AddUserSubmenu() {
  if (mStore.NUser() == 0) return;
  mMenu.AddSeparator();
  auto submenu = std::make_unique<PopupMenu>(kUserMenuTitle);
  for (int u = 0; u < mStore.NUser(); ++u) submenu->AddItem(mStore.User(u)->name);
  mMenu.AddItem("User", std::move(submenu));
}

void IBPresetMenuNewVt::OnMenuChoice(PopupMenu* menu, int /*slot*/) {
  if (!menu) return;
  const int chosen = menu->ChosenItemIdx();
  if (menu->Title() == mMenu.Title()) {
    if (chosen == 0) return;  // the menu's own title item
    ChooseMainItem(chosen);
  } else if (menu->Title() == kUserMenuTitle) {
    ChooseUser(chosen);
  } else {
    for (std::size_t category = 1; category < mCategoryNames.size(); ++category)
      if (menu->Title() == mCategoryNames[category]) ChooseFactory(static_cast<int>(category), chosen);
  }
  MarkDirty(false);
}

void IBPresetMenuNewVt::ChooseMainItem(int position) {
  if (position == mLoadItem) {
    PromptThenSend(igraphics::FileAction::Open, mCommands.load);
  } else if (position == mResetItem) {
    ResetToDefault();
  } else if (position == mSaveItem) {
    PromptThenSend(igraphics::FileAction::Save, mCommands.save);
  } else if (position == mSaveDefaultItem) {
    SendCommand(mCommands.saveDefault);
  } else if (!mCategoryIndices.empty()) {
    // Category 0's items follow the separator after "Save as default".
    ChooseFactory(0, position - (mSaveDefaultItem + 2));
  }
}

void IBPresetMenuNewVt::ChooseFactory(int category, int item) {
  const std::vector<int>& indices = mCategoryIndices[static_cast<std::size_t>(category)];
  if (item < 0 || item >= static_cast<int>(indices.size())) return;
  ApplyStoredAt(indices[static_cast<std::size_t>(item)]);
}

void IBPresetMenuNewVt::ChooseUser(int item) {
  if (item >= 0 && item < mStore.NUser()) ApplyStoredAt(mStore.NFactory() + item);
}

// Every parameter returns to its default: the Init entry is restored
// without the menu's limit to the measurement settings.
void IBPresetMenuNewVt::ResetToDefault() {
  mPlugin.CopyPresetInto(mStore.Init(), 0);
  mPlugin.LoadPreset(0);
  mPlugin.NotifyHostDisplayChanged();
}

void IBPresetMenuNewVt::PromptThenSend(igraphics::FileAction action, int command) {
  mChosenPath.clear();
  igraphics::IGraphics* g = GetUI();
  if (!g) return;
  // The dialog answers later; by then the editor may have closed and taken
  // this control with it.
  std::weak_ptr<bool> alive = mAlive;
  g->PromptForFile(mChosenPath, mFolder, action, mExtension,
                   [this, alive, command](const std::string& chosen) {
                     if (alive.expired()) return;
                     mChosenPath = chosen.size() <= kMaxChosenPathLength ? chosen : std::string();
                     SendCommand(command);
                   });
}

// --- Drawing -------------------------------------------------------------------

std::string IBPresetMenuNewVt::CurrentName() const {
  const iplug::PresetEntry* slot = mPlugin.GetPreset(mPlugin.GetCurrentPresetIdx());
  return slot ? std::string(slot->name) : std::string();
}

std::string IBPresetMenuNewVt::ShownName() const {
  return igraphics::ShortenMiddle(CurrentName(), mNameLength);
}

void IBPresetMenuNewVt::Draw(igraphics::IGraphics& g) {
  DrawFrame(g, mArea.previousBitmap, mArea.previous, mPreviousPressed ? 1 : 0, mBlend);
  DrawFrame(g, mArea.nextBitmap, mArea.next, mNextPressed ? 1 : 0, mBlend);
  const std::string name = CurrentName();
  const std::string shown = igraphics::ShortenMiddle(name, mNameLength);
  if (!shown.empty()) {
    igraphics::TextStyle style = mTextStyle;
    if (mPointerOverMenu) style.color.R = style.color.G = style.color.B = 255;
    g.DrawText(style, shown, mArea.text, &mBlend);
  }
  SetTooltipText(kPresetTooltipPrefix + name);
}

}  // namespace kalvo5

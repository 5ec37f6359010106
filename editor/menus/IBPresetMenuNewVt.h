// The preset menu in the title bar: shows the current preset's name, opens
// a menu of the preset file commands and of every stored preset (factory
// presets by category, then the user presets found in the data folder),
// steps through the stored presets with two arrow buttons, and loads a
// preset file dropped onto it. Editor thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/menus/PresetMenuSetup.h"
#include "framework/igraphics/IControl.h"
#include "framework/igraphics/PlatformServices.h"

namespace kalvo5 {

class Kalvo5;
class PresetStore;

inline constexpr const char* kPresetTooltipPrefix = "Preset menu: ";
// The longest path kept from a dialog or a drop; a longer one is ignored
// rather than cut into another path.
inline constexpr std::size_t kMaxChosenPathLength = 2047;
// The longest a click waits for the user presets to be read before the menu
// opens (or an arrow steps) with the list as it was.
inline constexpr int kMaxUserPresetWaitMs = 500;

class IBPresetMenuNewVt : public igraphics::IControl {
 public:
  // `categoryNames` titles the category submenus (category 0's presets sit
  // in the main menu); `folder` and `extension` ("vrs") are offered by the
  // file dialogs; the name shown is cut to `nameLength` characters.
  IBPresetMenuNewVt(Kalvo5& plugin, const PresetMenuArea& area, const igraphics::TextStyle& style,
                    std::vector<std::string> categoryNames, const PresetMenuCommands& commands,
                    PresetStore& store, std::string folder, std::string extension, int nameLength);

  void OnMouseDown(float x, float y, const igraphics::MouseMods& mods) override;
  void OnMouseUp(float x, float y, const igraphics::MouseMods& mods) override;
  void OnMouseOver(float x, float y, const igraphics::MouseMods& mods) override;
  void OnMouseOut() override;
  void OnDrop(const char* path) override;
  void OnResized() override;
  // The arrows' bitmaps again at the window's new bitmap scale.
  void OnScaleChanged() override;
  void OnMenuChoice(igraphics::PopupMenu* menu, int slot) override;
  void Draw(igraphics::IGraphics& g) override;

  // Rebuilds the menu from the store and shows it below the control.
  void BuildPresetMenu();

  // The file chosen in the last dialog or dropped last; the load and save
  // commands read it. Empty while a dialog is open and after a cancel.
  const std::string& ChosenPath() const { return mChosenPath; }
  // Where the plug-in's current preset stands in the factory list followed
  // by the user list; the arrows step from there.
  int PresetPosition() const;
  // The menu as last built.
  const igraphics::PopupMenu& Menu() const { return mMenu; }
  // The current preset's name as shown (cut in the middle) and whole.
  std::string ShownName() const;
  std::string CurrentName() const;

 private:
  // Applies the stored preset one before (-1) or after (+1) the current
  // one; nothing at either end.
  void Step(int delta);
  // Applies the stored preset at a position of the factory list followed by
  // the user list (a user preset read from its file first): only the
  // measurement settings change, and the host refreshes its preset display.
  void ApplyStoredAt(int position);
  // Runs `then` once the user presets the plug-in is reading are listed: at
  // once when no read is running, else on the editor idle that finds it
  // finished, or with the list as it was after kMaxUserPresetWaitMs. The
  // editor never waits for the folder; a later request replaces one still
  // waiting.
  void WhenUserPresetsRead(std::function<void()> then);
  int AddCommandItem(const char* text);
  void AddCategory(int category);
  void AddUserSubmenu();
  void ChooseMainItem(int position);
  void ChooseFactory(int category, int item);
  void ChooseUser(int item);
  void ResetToDefault();
  // Asks for a file, then sends `command` with the chosen path (empty when
  // cancelled).
  void PromptThenSend(igraphics::FileAction action, int command);
  void SendCommand(int command);

  Kalvo5& mPlugin;
  PresetMenuArea mArea;
  std::vector<std::string> mCategoryNames;
  PresetMenuCommands mCommands;
  PresetStore& mStore;
  std::string mFolder;
  std::string mExtension;
  int mNameLength;

  std::string mChosenPath;
  bool mPointerOverMenu = false;
  bool mPreviousPressed = false;
  bool mNextPressed = false;

  igraphics::PopupMenu mMenu;
  // Per category, the factory positions of its items in menu order.
  std::vector<std::vector<int>> mCategoryIndices;
  int mLoadItem = -1, mResetItem = -1, mSaveItem = -1, mSaveDefaultItem = -1;

  std::function<void()> mWhenRead;

  // Expires with the control, so a file dialog answering after the editor
  // closed finds nobody to tell.
  std::shared_ptr<bool> mAlive = std::make_shared<bool>(true);
};

}  // namespace kalvo5

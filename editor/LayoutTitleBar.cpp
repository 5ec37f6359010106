// The title bar of the layout: the plug-in menu, the preset menu, the click
// area and the update indicator, and the corner resizer.
#include <memory>

#include "Kalvo5WithEditor.h"
#include "controls/IVClickControlHiddenMenuVt.h"
#include "framework/igraphics/IGraphics.h"
#include "menus/EditorTags.h"
#include "menus/IBPresetMenuNewVt.h"
#include "menus/IBUpdateControlVt.h"
#include "menus/ISBCornerResizerControlVt.h"
#include "menus/ISBInfoMenuVt.h"
#include "menus/PluginMenuAddresses.h"
#include "menus/PluginMenuTable.h"
#include "plugin/ParameterTable.h"

namespace kalvo5 {

void Kalvo5WithEditor::AttachCornerResizer(igraphics::IGraphics& g) {
  g.SetCornerResizer(
      std::make_unique<ISBCornerResizerControlVt>(
          *this, igraphics::Rect{0, 0, float(kEditorWidth), float(kEditorHeight)},
          g.LoadBitmapResource("button_resize.png", 2), kCmdTakeEditorScale, kCmdToggleEditorScale),
      igraphics::ResizeMode::Scale, false);
}

void Kalvo5WithEditor::AttachTitleBar(igraphics::IGraphics& g) {
  const PluginMenuAddresses addresses = MakePluginMenuAddresses(DataFolder());
  mChangeLogURL = addresses.changeLog;
  mManualURL = addresses.manual;
  mDataFolderURL = addresses.dataFolder;

  auto menu = std::make_unique<ISBInfoMenuVt>(*this, 7.0f, 7.0f, g.LoadBitmapResource("pluginmenu.png", 2),
                                              MakePluginMenuEntries(*this, addresses));
  menu->SetTooltipText("Plugin menu");
  g.AddControl(std::move(menu), kTagPluginMenu);

  const PresetMenuArea area{{235, 7, 475, 31},
                            {235, 7, 419, 31},
                            {239, 7, 397, 31},
                            {423, 7, 447, 31},
                            {451, 7, 475, 31},
                            g.LoadBitmapResource("button_previous.png", 2),
                            g.LoadBitmapResource("button_next.png", 2)};
  auto presets = std::make_unique<IBPresetMenuNewVt>(
      *this, area, mStyles.PresetMenuText,
      std::vector<std::string>(std::begin(PresetCategoryNames), std::end(PresetCategoryNames)),
      PresetMenuCommands{}, Presets(), DataFolder(), "vrs", 19);
  presets->SetTooltipText("Preset menu");
  g.AddControl(std::move(presets), kTagPresetMenu);

  static constexpr int kClickAreaMenuCommands[3] = {kCmdExportPresetText, -1, -1};
  g.AddControl(std::make_unique<IVClickControlHiddenMenuVt>(
                   igraphics::Rect{485, 7, 615, 32}, kCmdReserved, kClickAreaMenuCommands,
                   [this](int command) { Execute(EditorCommand(static_cast<ECommands>(command))); }),
               kTagClickArea);

  mIndices.mUpdateIconIdx = g.ControlCount();
  g.AddControl(std::make_unique<IBUpdateControlVt>(
      *this, 601.0f, 7.0f, g.LoadBitmapResource("iconupdateavailable.png", 2), kCmdCheckUpdate));
}

}  // namespace kalvo5

// The title bar of the layout: the plug-in menu, the preset menu, the click
// area and the update indicator, and the corner resizer.
#include <memory>

#include "Kalvo5WithEditor.h"
#include "controls/IVClickControlHiddenMenuVt.h"
#include "framework/igraphics/ICornerResizerControl.h"
#include "framework/igraphics/IGraphics.h"
#include "menus/EditorTags.h"

namespace kalvo5 {

void Kalvo5WithEditor::AttachCornerResizer(igraphics::IGraphics& g) {
  g.SetCornerResizer(std::make_unique<igraphics::ICornerResizerControl>(
                         igraphics::Rect{0, 0, float(kEditorWidth), float(kEditorHeight)}, 16.0f),
                     igraphics::ResizeMode::Scale, false);
}

void Kalvo5WithEditor::AttachTitleBar(igraphics::IGraphics& g) {
  static constexpr int kNoMenuCommands[3] = {kCmdExportPresetText, -1, -1};
  g.AddControl(std::make_unique<IVClickControlHiddenMenuVt>(igraphics::Rect{7, 7, 31, 31}, -1,
                                                            kNoMenuCommands, nullptr),
               kTagPluginMenu);
  g.AddControl(std::make_unique<IVClickControlHiddenMenuVt>(igraphics::Rect{235, 7, 475, 31}, -1,
                                                            kNoMenuCommands, nullptr),
               kTagPresetMenu);
  g.AddControl(std::make_unique<IVClickControlHiddenMenuVt>(
                   igraphics::Rect{485, 7, 615, 32}, kCmdReserved, kNoMenuCommands,
                   [this](int command) { OnParamChange(command, iplug::ParamSource::Editor, -1); }),
               kTagClickArea);
  mIndices.mUpdateIconIdx = g.ControlCount();
  g.AddControl(std::make_unique<IVClickControlHiddenMenuVt>(igraphics::Rect{601, 7, 613, 31}, -1,
                                                            kNoMenuCommands, nullptr));
}

}  // namespace kalvo5

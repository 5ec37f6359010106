#include "Kalvo5WithEditor.h"

#include <cmath>
#include <memory>

#include "framework/igraphics/Backend.h"
#include "framework/igraphics/IPopupMenuControl.h"
#include "graphics/Drawing.h"
#include "graphics/FontResources.h"
#include "menus/EditorTags.h"
#include "menus/IBPresetMenuNewVt.h"
#include "menus/ISBInfoMenuVt.h"
#include "plugin/UpdateCheck.h"
#include "resources/artwork/ArtworkResources.h"

namespace kalvo5 {

Kalvo5WithEditor::Kalvo5WithEditor() : iplug::IPlug(Kalvo5Config()), mStyles(MakeEditorTextStyles()) {
  igraphics::InstallGraphicsBackend();
  graphics::RegisterFontResources();
  resources::RegisterArtworkResources();
  GetEditorSession().SetFactory([this] {
    return std::make_unique<igraphics::IGraphics>(*this, kEditorWidth, kEditorHeight, kFrameRate,
                                                  static_cast<float>(Settings().Get(kGUIScale)),
                                                  graphics::CreateImageSurface(1, 1));
  });
  GetEditorSession().SetLayout([this](igraphics::IGraphics& g) { LayoutEditor(g); });
}

void Kalvo5WithEditor::OnIdle() {
  if (EditorShown() && GetUI()) ApplyEditorPreferences();
  Kalvo5::OnIdle();
  RefreshEditor();
  PumpEditor();
}

void Kalvo5WithEditor::OnEditorOpened() {
  Kalvo5::OnEditorOpened();
  // A window opened after the audio stopped shows the readings at once.
  Request(IdleRequest::MeterRefresh);
  Request(IdleRequest::ReadoutRefresh);
  // A window reopened at the size of its last close follows a "GUI Scale"
  // changed since.
  if (GetUI() && GetUI()->GetDrawScale() != static_cast<float>(Settings().Get(kGUIScale)))
    Request(IdleRequest::EditorResize);
}

void Kalvo5WithEditor::EditorPixelSize(int& width, int& height) const {
  // Before the editor opens, hosts size their window from this: at the
  // screen's scale too, as the window will open.
  const igraphics::IGraphics* g = GetUI();
  const double scale =
      g ? g->GetTotalScale() : GetParam(kGUIScale)->GetValue() * igraphics::DefaultScreenScale();
  width = static_cast<int>(std::lround((g ? g->Width() : kEditorWidth) * scale));
  height = static_cast<int>(std::lround((g ? g->Height() : kEditorHeight) * scale));
}

bool Kalvo5WithEditor::WriteEditorSnapshot(const std::string& path, double scale) {
  mDrawingSnapshot = true;
  const bool written = EditorBinding::WriteEditorSnapshot(path, scale);
  mDrawingSnapshot = false;
  return written;
}

double Kalvo5WithEditor::EditorDrawScale() const {
  // While a snapshot is drawn, the window's scale is the picture's: the
  // editor scale the plug-in takes from it stays the user's.
  return mDrawingSnapshot ? GetParam(kGUIScale)->GetValue() : EditorBinding::EditorDrawScale();
}

void Kalvo5WithEditor::RefreshEditor() {
  if (!EditorShown() || !GetUI() || !mLayoutDone) return;
  ShowUpdateAvailability();
  if (TakeRequest(IdleRequest::AnalyzerView)) UpdateAnalyzerView();
  if (TakeRequest(IdleRequest::MeterRefresh)) RefreshMeters();
  if (TakeRequest(IdleRequest::ReadoutRefresh)) RefreshReadouts();
}

void Kalvo5WithEditor::PrepareSnapshot() {
  Request(IdleRequest::AnalyzerView);
  Request(IdleRequest::MeterRefresh);
  Request(IdleRequest::ReadoutRefresh);
  RefreshEditor();
}

void Kalvo5WithEditor::ApplyEditorPreferences() {
  igraphics::IGraphics& g = *GetUI();
  // Neither change may pull the window from under an open menu.
  if (g.PopupMenuShowing()) return;
  if (TakeRequest(IdleRequest::EditorResize))
    g.ResizeEditor(kEditorWidth, kEditorHeight, static_cast<float>(Settings().Get(kGUIScale)), true);
  if (TakeRequest(IdleRequest::Tooltips)) g.EnableTooltips(Settings().Get(kToggleTooltips) > 0.0);
}

void Kalvo5WithEditor::ShowUpdateAvailability() {
  igraphics::IControl* icon = GetUI()->ControlAt(mIndices.mUpdateIconIdx);
  if (!icon) return;
  const bool available = gUpdateAvailable.load();
  if (icon->GetValue() == 0.0 && available) {
    icon->SetControlValue(1.0);
    icon->MarkDirty(true);
  } else if (icon->GetValue() == 1.0 && !available) {
    icon->SetControlValue(0.0);
    icon->MarkDirty(true);
  }
}

void Kalvo5WithEditor::ShowMessageBox(const std::string& text, const std::string& caption) {
  if (GetUI()) GetUI()->ShowMessageBox(text, caption, igraphics::kMB_OK);
}

}  // namespace kalvo5

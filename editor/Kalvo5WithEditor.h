// The plug-in as hosts load it: Kalvo5 with its editor. It installs the
// editor window's factory and layout, keeps the positions of the controls it
// refreshes, and does the editor's share of every idle tick: scale and
// tooltip changes, the update indicator, the page switch, the meter columns
// and the read-outs. Everything here runs on the host's GUI thread.
#pragma once

#include <string>
#include <vector>

#include "EditorIndices.h"
#include "TextStyles.h"
#include "framework/igraphics/EditorBinding.h"
#include "plugin/Kalvo5.h"

namespace kalvo5 {

class Kalvo5WithEditor : public igraphics::EditorBinding<Kalvo5> {
 public:
  Kalvo5WithEditor();

  void OnIdle() override;
  void OnEditorOpened() override;
  // At the "GUI Scale" while closed.
  void EditorPixelSize(int& width, int& height) const override;
  // A picture at its own scale; the user's editor scale stays as it is.
  bool WriteEditorSnapshot(const std::string& path, double scale) override;
  double EditorDrawScale() const override;

  // Fills an empty editor window with every control (nothing on a filled one).
  void LayoutEditor(igraphics::IGraphics& g);
  // Shows the page of the current "Type" and writes the unit texts, the
  // scale caption and the channel labels.
  void UpdateAnalyzerView();
  // The unit texts of the readings of `type` that the reference offset
  // applies to: `offsetUnit`, or with null their own units.
  void ShowOffsetUnits(int type, const char* offsetUnit);
  // One meter column: bar, peak value text and clip light.
  void ShowMeterChannel(int meter, int text, int clip, double barDb, double peakDb, double clipState);
  void RefreshMeters();
  void RefreshReadouts();
  void FormatReadout(int position, bool offsetOn, bool valid, int decimals, double value, double reference,
                     double floor);

  const EditorIndices& Indices() const { return mIndices; }
  const std::vector<int>& RMSPageControls() const { return mRMSPageControls; }
  const std::vector<int>& EBUPageControls() const { return mEBUPageControls; }
  const std::vector<int>& DIALPageControls() const { return mDIALPageControls; }
  bool LayoutDone() const { return mLayoutDone; }

 protected:
  void ShowMessageBox(const std::string& text, const std::string& caption) override;
  // Every page element, meter and read-out brought up to date.
  void PrepareSnapshot() override;

 private:
  // The editor steps of the idle tick, with the window open.
  void ApplyEditorPreferences();
  // The update indicator, the page, the meters and the read-outs.
  void RefreshEditor();
  void ShowUpdateAvailability();
  // Layout pieces, in attach order.
  void AttachCornerResizer(igraphics::IGraphics& g);
  void AttachBackgrounds(igraphics::IGraphics& g);
  void AttachTitleBar(igraphics::IGraphics& g);
  void AttachRMSPage(igraphics::IGraphics& g);
  void AttachEBUPage(igraphics::IGraphics& g);
  void AttachDIALPage(igraphics::IGraphics& g);
  void AttachMeterColumns(igraphics::IGraphics& g);
  // The settings row shared by the three pages (channel configuration, gain,
  // reference level, offset); `page` receives the positions.
  void AttachSettingsRow(igraphics::IGraphics& g, std::vector<int>& page, const char* channelBitmap,
                         int channelParam, int gainParam, int refParam, int offsetParam);
  // The current type's readings as the audio thread published them; false
  // when the type measures nothing.
  bool ReadForDisplay(MeasurementReadings& readings);
  void SetPageHidden(const std::vector<int>& page, bool hidden);
  void UpdateControlValue(int position, double value);
  void SetLabel(int position, const std::string& text);

  EditorIndices mIndices;
  EditorTextStyles mStyles;
  std::vector<int> mRMSPageControls, mEBUPageControls, mDIALPageControls;
  bool mLayoutDone = false;
  bool mDrawingSnapshot = false;
  std::string mChangeLogURL, mManualURL, mDataFolderURL;
};

}  // namespace kalvo5

// The periodic refresh of the meter columns and of the visible page's
// read-outs from one snapshot of the readings.
#include <cmath>
#include <span>

#include "Kalvo5WithEditor.h"
#include "ReadoutFormat.h"
#include "framework/igraphics/IGraphics.h"
#include "plugin/ReadingTable.h"

namespace kalvo5 {

void Kalvo5WithEditor::FormatReadout(int position, bool offsetOn, bool valid, int decimals, double value,
                                     double reference, double floor) {
  SetLabel(position, FormatReadoutText(offsetOn, valid, decimals, value, reference, floor));
}

bool Kalvo5WithEditor::ReadForDisplay(MeasurementReadings& readings) {
  const int type = Settings().GetInt(kType);
  if (type != kTypeRMS && type != kTypeEBU && type != kTypeDIAL) return false;
  readings = DisplayedReadings(type);
  return true;
}

void Kalvo5WithEditor::RefreshMeters() {
  MeasurementReadings r;
  if (!ReadForDisplay(r)) return;
  const bool dial = Settings().GetInt(kType) == kTypeDIAL;
  for (int k = 0; k < kAnalyzerChannels; ++k) {
    const ChannelMeterReading& c = r.channels[k];
    ShowMeterChannel(dial ? mIndices.mDialMeterIdx[k] : mIndices.mMeterIdx[k], mIndices.mMeterValueIdx[k],
                     dial ? mIndices.mDialClipIdx[k] : mIndices.mClipIdx[k], DisplayDb(c.peak),
                     DisplayDb(c.maxHold), c.clipLight);
  }
}

void Kalvo5WithEditor::RefreshReadouts() {
  MeasurementReadings r;
  if (!ReadForDisplay(r)) return;
  const SettingsMirror& s = Settings();
  const int type = s.GetInt(kType);
  struct Page {
    int offsetParam;
    int referenceParam;
  };
  const Page page = type == kTypeRMS   ? Page{kRMSDelta, kRMSRefLevel}
                    : type == kTypeEBU ? Page{kEBUDelta, kEBURefLevel}
                                       : Page{kDIALDelta, kDIALRefLevel};
  const bool offsetOn = s.GetInt(page.offsetParam) == 1;
  const std::span<int> positions = mIndices.Readouts(type);
  for (const ReadingRow& row : kReadingRows) {
    if (row.type != type || row.readout < 0) continue;
    const int position = positions[static_cast<std::size_t>(row.readout)];
    const bool unavailable = IsUnavailable(row, r);
    // A reading that cannot be made says so, in its box and on hovering it.
    if (igraphics::IControl* control = GetUI()->ControlAt(position))
      control->SetTooltipText(unavailable ? kUnavailableReadoutTooltip : "");
    if (unavailable) {
      SetLabel(position, kUnavailableReadoutText);
      continue;
    }
    FormatReadout(position, offsetOn && row.offset, HasReading(row, r), row.decimals, row.value(r),
                  s.Get(page.referenceParam), row.floor);
  }
}

}  // namespace kalvo5

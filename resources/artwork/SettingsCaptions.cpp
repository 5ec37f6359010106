#include "SettingsCaptions.h"

#include "Bevels.h"
#include "TextLayout.h"

namespace artwork {
namespace {

constexpr Box kPanel{7.0, 43.0, 609.0, 91.0};
constexpr double kLastBaseline = 65.5, kLinePitch = 9.0;
// A caption may reach this far past its control on either side.
constexpr double kOverhang = 3.0;

}  // namespace

const std::vector<ColumnCaption>& SharedSettingsCaptions() {
  static const std::vector<ColumnCaption> captions{
      {"MODE", 13, 45},   {"SYNC", 53, 85},         {"WRITE AUTO.", 93, 125}, {"CH. CONFIG", 133, 181},
      {"GAIN", 185, 265}, {"REF. LEVEL", 269, 349}, {"OFF SET", 357, 389},
  };
  return captions;
}

void PaintSettingsPanel(Canvas& canvas, const std::vector<ColumnCaption>& captions) {
  Panel(canvas, kPanel, palette::kPanel);
  for (const ColumnCaption& caption : captions) {
    const CaptionLines set =
        SetCaption(canvas, {Face::Bold, 7.5}, caption.text, caption.right - caption.left + 2.0 * kOverhang);
    double baseline = kLastBaseline - kLinePitch * static_cast<double>(set.lines.size() - 1);
    for (const std::string& line : set.lines) {
      canvas.Text(set.font, palette::kCaption, line, (caption.left + caption.right) / 2.0, baseline,
                  Align::Centre);
      baseline += kLinePitch;
    }
  }
}

}  // namespace artwork

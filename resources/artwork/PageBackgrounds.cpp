// The four page backgrounds: RMS (and its variant for the Leq(M) weighting,
// whose scale carries no numbers), EBU and DIAL. Each carries every static
// caption of its page; the controls are drawn over it.
#include <string>
#include <vector>

#include "Artwork.h"
#include "Bevels.h"
#include "MeterScale.h"
#include "ReadoutTiles.h"
#include "SettingsCaptions.h"
#include "TitleBar.h"

namespace artwork {
namespace {

constexpr Box kMeterWell{385.0, 91.5, 591.0, 349.5};

struct Page {
  std::string description;
  std::vector<ColumnCaption> extraCaptions;  // settings beyond the shared ones
  std::vector<std::string> upperTiles, lowerTiles;
  const TileLook& tiles;
  const BarColours& bars;
  bool numberedScale;
};

void PaintPage(Canvas& canvas, const Page& page) {
  canvas.FillVertical(canvas.Bounds(), palette::kPageTop, palette::kPageBottom);
  PaintTitleBar(canvas, page.description);

  std::vector<ColumnCaption> captions = SharedSettingsCaptions();
  captions.insert(captions.end(), page.extraCaptions.begin(), page.extraCaptions.end());
  PaintSettingsPanel(canvas, captions);

  PaintReadoutTiles(canvas, page.upperTiles, page.lowerTiles, page.tiles);
  Panel(canvas, kMeterWell, palette::kWell);
  PaintMeterScale(canvas, page.bars, page.numberedScale);
}

BitmapArt Background(const char* fileName, int width, int height, Page page) {
  return {fileName, 1, width, height,
          [page = std::move(page)](Canvas& canvas, int) { PaintPage(canvas, page); }};
}

}  // namespace

std::vector<BitmapArt> PageBackgroundArt() {
  const std::vector<ColumnCaption> rmsSettings{
      {"RMS MODE", 397, 445}, {"RMS WINDOW", 449, 529}, {"WEIGHT FILTER", 533, 597}};
  const std::vector<std::string> rmsLowerRow{"Peak Max", "True Peak Max", "Crest"};
  const std::vector<std::string> loudnessUpperRow{"Integrated Loudness", "Short-Term Loudness",
                                                  "Short-Term Loudness Max"};
  return {
      Background("background0.png", 616, 352,
                 {"RMS LEVEL",
                  rmsSettings,
                  {"RMS Integrated", "RMS Momentary", "RMS Momentary Max"},
                  rmsLowerRow,
                  kLevelTiles,
                  kLevelBarColours,
                  true}),
      Background("background3.png", 616, 352,
                 {"RMS LEVEL \u00b7 Leq(M)", rmsSettings, loudnessUpperRow, rmsLowerRow, kLevelTiles,
                  kLevelBarColours, false}),
      Background("background1.png", 615, 351,
                 {"EBU R128 LOUDNESS",
                  {},
                  loudnessUpperRow,
                  {"Momentary Loudness", "Momentary Loudness Max", "True Peak Max", "Loudness Range"},
                  kLevelTiles,
                  kLevelBarColours,
                  true}),
      Background("background2.png", 616, 352,
                 {"DIALOGUE LOUDNESS",
                  {{"SL WINDOW", 449, 529}},
                  {"Integrated Loudness (Dial)", "Short-Term Loudness", "Short-Term Loudness Max"},
                  {"Loudness Range (Dial)", "Dialog Percentage", "True Peak Max", "Loudness Range"},
                  kDialogueTiles,
                  kDialogueBarColours,
                  true}),
  };
}

}  // namespace artwork

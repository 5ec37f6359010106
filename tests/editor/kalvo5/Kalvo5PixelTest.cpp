// What the editor draws, read back from its surface: the meter bars, clip
// lights and read-outs after known signals, every page at three scales, and
// the RMS page's Leq(M) background.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "Kalvo5EditorFixture.h"
#include "editor/menus/EditorTags.h"
#include "framework/igraphics/IBitmapBase.h"

namespace kalvo5 {
namespace {

struct Rgb {
  int r, g, b;
  int Brightness() const { return r + g + b; }
  bool operator==(const Rgb&) const = default;
};

class Kalvo5Pixels : public test::Kalvo5EditorFixture {
 protected:
  // Redraws everything at `scale`.
  void Draw(double scale = 1.0) {
    g->ResizeEditor(616, 352, static_cast<float>(scale), false);
    g->ForAllControls([](igraphics::IControl& c) { c.MarkDirty(false); });
    g->Draw();
  }
  // The pixel at a point in editor units.
  Rgb At(double x, double y) const {
    const graphics::Surface& s = *g->GetSurface();
    const double scale = g->GetDrawScale();
    const int px = static_cast<int>(x * scale), py = static_cast<int>(y * scale);
    const std::uint32_t p = s.Pixels()[py * (s.StrideBytes() / 4) + px];
    return {static_cast<int>(p >> 16 & 0xff), static_cast<int>(p >> 8 & 0xff), static_cast<int>(p & 0xff)};
  }
  // How many pixels of a rectangle (editor units, at scale 1) differ from
  // `before`, a copy of the surface.
  int Changed(const std::vector<std::uint32_t>& before, int l, int t, int r, int b) const {
    const graphics::Surface& s = *g->GetSurface();
    const int stride = s.StrideBytes() / 4;
    int n = 0;
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x)
        n += s.Pixels()[y * stride + x] != before[static_cast<std::size_t>(y * stride + x)];
    return n;
  }
  std::vector<std::uint32_t> Copy() const {
    const graphics::Surface& s = *g->GetSurface();
    return {s.Pixels(), s.Pixels() + s.HeightPixels() * (s.StrideBytes() / 4)};
  }
  void Sine(double amplitude, double seconds) {
    const double rate = plugin->GetSampleRate();
    test::Audio in(2, static_cast<int>(rate * seconds)), out(2, in.Frames());
    for (int i = 0; i < in.Frames(); ++i)
      in[0][static_cast<std::size_t>(i)] = in[1][static_cast<std::size_t>(i)] =
          amplitude * std::sin(2.0 * M_PI * 1000.0 * i / rate);
    plugin->SetActive(true);  // as a host resumes before sending audio
    test::Feed(*plugin, in, out, 512);
    plugin->OnTimer();
  }
};

TEST_F(Kalvo5Pixels, BarsClipLightsAndReadoutsShowTheSignal) {
  for (int type : {kTypeEBU, kTypeDIAL}) {
    Set(kType, type);
    Draw();
    const std::vector<std::uint32_t> silent = Copy();
    const Rgb unlitLow = At(416, 320), unlitTop = At(416, 120), clipOff = At(416, 109.5);
    Sine(0.1, 3.0);  // -20 dB: lit from y 208 down
    Draw();
    EXPECT_GT(At(416, 320).Brightness(), unlitLow.Brightness() + 60) << type;
    EXPECT_GT(At(416, 215).Brightness(), unlitLow.Brightness() + 60) << type;
    EXPECT_EQ(At(416, 120), unlitTop) << type;  // above the level
    EXPECT_EQ(At(480, 320), unlitLow) << type;  // a column without signal
    EXPECT_GT(Changed(silent, 25, 142, 125, 177) + Changed(silent, 145, 142, 245, 177), 100) << type;
    EXPECT_GT(Changed(silent, 400, 333, 432, 345), 10) << type;  // the peak value below
    EXPECT_EQ(At(416, 109.5), clipOff) << type;
    Sine(1.5, 0.2);
    Draw();
    const Rgb clipOn = At(416, 109.5);
    EXPECT_GT(clipOn.r, clipOff.r + 60) << type;
  }
}

TEST_F(Kalvo5Pixels, EveryPageAtThreeScalesAndTheLeqMScale) {
  // Plain ground between the tiles and in a corner looks the same at every
  // scale (the page is scaled, not shifted); the pages differ where their
  // settings rows differ.
  for (int type : {kTypeRMS, kTypeEBU, kTypeDIAL}) {
    Set(kType, type);
    Rgb between{}, corner{};
    for (double scale : {1.0, 0.5, 3.0}) {
      Draw(scale);
      EXPECT_EQ(g->GetSurface()->WidthPixels(), static_cast<int>(std::lround(616 * scale)));
      EXPECT_EQ(g->GetSurface()->HeightPixels(), static_cast<int>(std::lround(352 * scale)));
      // Every bitmap is at the resolution the scale needs, none enlarged.
      const auto& background =
          dynamic_cast<igraphics::IBitmapBase&>(*g->ControlAt(plugin->Indices().mPkScaleIdx));
      EXPECT_EQ(background.GetBitmap().scale, static_cast<int>(std::ceil(scale))) << scale;
      const auto& menuButton = dynamic_cast<igraphics::IBitmapBase&>(*g->ControlWithTag(kTagPluginMenu));
      EXPECT_EQ(menuButton.GetBitmap().scale, static_cast<int>(std::ceil(scale))) << scale;
      if (scale == 1.0) {
        between = At(200, 212);
        corner = At(12, 340);
      }
      EXPECT_NEAR(At(200, 212).Brightness(), between.Brightness(), 12) << type << " at " << scale;
      EXPECT_NEAR(At(12, 340).Brightness(), corner.Brightness(), 12) << type << " at " << scale;
    }
  }
  Set(kType, kTypeEBU);
  Draw();
  const Rgb ebuWindowField = At(489, 78);
  Set(kType, kTypeDIAL);
  Draw();
  EXPECT_NE(At(489, 78), ebuWindowField);  // "SL WINDOW" only on the dialogue page

  Set(kType, kTypeRMS);
  Draw();
  const std::vector<std::uint32_t> numbered = Copy();
  Set(kRMSWFilterMode, 5);  // Leq(M): the scale without numbers
  Draw();
  EXPECT_GT(Changed(numbered, 404, 100, 590, 330), 50);
  EXPECT_EQ(Changed(numbered, 13, 250, 125, 285), 0);  // a read-out that stays
}

TEST_F(Kalvo5Pixels, ASnapshotLeavesTheEditorScaleAlone) {
  plugin->hostValues.clear();
  const std::string path = test::TestDataHome() + "/snapshot.png";
  ASSERT_TRUE(plugin->WriteEditorSnapshot(path, 2.0));
  EXPECT_EQ(plugin->GetParam(kGUIScale)->GetValue(), 1.0);
  EXPECT_FALSE(plugin->HostHeard(kGUIScale));
  EXPECT_EQ(g->GetDrawScale(), 1.0f);

  // The same with the editor closed: a window made for the picture only.
  plugin->GetEditorSession().Close();
  g = nullptr;
  ASSERT_TRUE(plugin->WriteEditorSnapshot(path, 3.0));
  EXPECT_EQ(plugin->GetParam(kGUIScale)->GetValue(), 1.0);
  EXPECT_FALSE(plugin->HostHeard(kGUIScale));
  EXPECT_FALSE(plugin->GetEditorSession().IsOpen());
  ASSERT_TRUE(plugin->GetEditorSession().OpenOffscreen());
  g = plugin->GetUI();
}

}  // namespace
}  // namespace kalvo5

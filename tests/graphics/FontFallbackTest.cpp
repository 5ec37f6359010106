// Characters the embedded faces lack, drawn with the system's installed fonts
// (on Linux and, under Wine, on Windows: the test machines install a font
// with Chinese characters, and DejaVu Sans has U+1D538).
#include <cairo-ft.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "graphics/Drawing.h"
#include "graphics/FontResources.h"
#include "graphics/Resources.h"

using graphics::RectF;
using graphics::TextFormat;

namespace {

using Pixels = std::vector<std::uint32_t>;

// Roboto, embedded, at the top left of its rectangle.
TextFormat Roboto(float size) {
  graphics::RegisterFontResources();
  const graphics::Resource* roboto = graphics::FindResource("Roboto-Regular.ttf");
  if (roboto == nullptr || !graphics::RegisterFont("Roboto-Regular", roboto->data, roboto->size))
    throw std::runtime_error("Roboto is not embedded");
  TextFormat format;
  format.size = size;
  format.hAlign = graphics::HAlign::Near;
  format.vAlign = graphics::VAlign::Top;
  return format;
}

Pixels Draw(const TextFormat& format, const std::string& text, double scale = 1.0) {
  auto surface = graphics::CreateImageSurface(400, 40);
  surface->SetScale(scale);
  surface->DrawText(format, text, {0, 0, static_cast<float>(400 / scale), static_cast<float>(40 / scale)});
  const std::uint32_t* p = surface->Pixels();
  return Pixels(p, p + surface->HeightPixels() * surface->StrideBytes() / 4);
}

// Roboto loaded by the test itself; kept, as cairo may keep it in its caches.
cairo_font_face_t* RobotoAlone() {
  static cairo_font_face_t* face = [] {
    const graphics::Resource* roboto = graphics::FindResource("Roboto-Regular.ttf");
    FT_Library library = nullptr;
    FT_Face ftFace = nullptr;
    if (roboto == nullptr || FT_Init_FreeType(&library) != 0 ||
        FT_New_Memory_Face(library, roboto->data, static_cast<FT_Long>(roboto->size), 0, &ftFace) != 0)
      throw std::runtime_error("FreeType cannot read Roboto");
    return cairo_ft_font_face_create_for_ft_face(ftFace, 0);
  }();
  return face;
}

// Black text at the top left as cairo draws it with the embedded Roboto
// alone: what every text was before there was a fallback.
Pixels DrawWithTheFaceAlone(float size, const std::string& text, double scale) {
  cairo_font_face_t* face = RobotoAlone();
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 400, 40);
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, scale, scale);
  cairo_set_font_face(cr, face);
  cairo_set_font_size(cr, size);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
  cairo_font_extents_t extents;
  cairo_font_extents(cr, &extents);
  cairo_move_to(cr, 0.0, extents.ascent);
  cairo_show_text(cr, text.c_str());
  cairo_surface_flush(surface);
  const auto* p = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface));
  Pixels pixels(p, p + 40 * cairo_image_surface_get_stride(surface) / 4);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  return pixels;
}

// The columns holding pixels at least half covered: first and one past last.
std::pair<int, int> InkColumns(const Pixels& pixels) {
  int left = 400, right = 0;
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    if ((pixels[i] >> 24) < 128) continue;
    const int x = static_cast<int>(i % 400);
    left = std::min(left, x);
    right = std::max(right, x + 1);
  }
  return {left, right};
}

const std::string kYin = "\xE9\x9F\xB3", kLiang = "\xE9\x87\x8F";  // U+97F3, U+91CF
const std::string kDoubleStruckA = "\xF0\x9D\x94\xB8";             // U+1D538, beyond U+FFFF
const std::string kNoFontHasIt = "\xF4\x8F\xBF\xBD";               // U+10FFFD, private use

TEST(FontFallback, TextTheFaceCoversIsDrawnAsByTheFaceAlone) {
  const TextFormat format = Roboto(17.0f);
  for (const std::string text : {"Kalvo5 -23.0 LUFS",
                                 "Init (2) \xC3\x9C"
                                 "bung"}) {
    for (double scale : {1.0, 1.5}) {
      EXPECT_TRUE(Draw(format, text, scale) == DrawWithTheFaceAlone(format.size, text, scale))
          << text << " at " << scale;
    }
  }
}

TEST(FontFallback, CharactersTheFaceLacksAreRealGlyphsNotItsBox) {
  const TextFormat format = Roboto(24.0f);
  // A character no font has keeps the embedded face's box: every box looks
  // the same, so a real glyph is one that differs from it.
  const Pixels box = Draw(format, kNoFontHasIt);
  ASSERT_GT(InkColumns(box).second, 0);
  const Pixels yin = Draw(format, kYin), liang = Draw(format, kLiang),
               doubleStruck = Draw(format, kDoubleStruckA);
  for (const Pixels* glyph : {&yin, &liang, &doubleStruck}) {
    EXPECT_GT(InkColumns(*glyph).second, 0);
    EXPECT_TRUE(*glyph != box);
  }
  EXPECT_TRUE(yin != liang);
  // The first drawing found the font, the second takes it from the cache.
  EXPECT_TRUE(Draw(format, kYin) == yin);
}

TEST(FontFallback, MixedTextIsMeasuredAsDrawnAndKeepsTheEmbeddedLetters) {
  TextFormat format = Roboto(20.0f);
  const std::string latin = "Mischpult ", name = latin + kYin + kLiang;
  auto surface = graphics::CreateImageSurface(10, 10);
  const float latinWidth = surface->MeasureText(format, latin).Width();
  const float cjkWidth = surface->MeasureText(format, kYin + kLiang).Width();
  EXPECT_NEAR(surface->MeasureText(format, name).Width(), latinWidth + cjkWidth, 0.01f);
  // Chinese characters are about an em wide each, the box half that.
  EXPECT_GT(cjkWidth, 1.6f * format.size);

  // The Latin letters are the embedded face's, where they were without the
  // Chinese ones.
  const Pixels mixed = Draw(format, name), alone = Draw(format, latin);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < static_cast<int>(latinWidth); ++x) {
      const auto at = static_cast<std::size_t>(y * 400 + x);
      ASSERT_EQ(mixed[at], alone[at]) << x << "," << y;
    }
  }
  EXPECT_GT(InkColumns(mixed).second, static_cast<int>(latinWidth) + 20);

  // Centred by its measured width, the ink sits in the middle.
  format.hAlign = graphics::HAlign::Center;
  const auto [left, right] = InkColumns(Draw(format, name));
  EXPECT_NEAR(left + right, 400, 3);
}

}  // namespace

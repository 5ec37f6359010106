// The fallback faces found so far, process-wide: one answer per character
// and weight, and every system font loaded once. Nothing is freed: cairo
// keeps scaled fonts made from the faces, and text drawn on another thread
// may be using them.
#include <cairo-ft.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "CairoImage.h"
#include "FontFallback.h"

namespace graphics {
namespace {

struct Fallbacks {
  std::mutex lock;
  LoadedFaces faces;
  std::unordered_map<std::uint64_t, cairo_font_face_t*> byCharacter;  // code << 1 | bold
};

Fallbacks& TheFallbacks() {
  static Fallbacks fallbacks;
  return fallbacks;
}

std::string Utf8Of(char32_t code) {
  const auto byte = [](char32_t bits) { return static_cast<char>(bits); };
  if (code < 0x80) return std::string(1, byte(code));
  if (code < 0x800) return {byte(0xc0 | code >> 6), byte(0x80 | (code & 0x3f))};
  if (code < 0x10000)
    return {byte(0xe0 | code >> 12), byte(0x80 | (code >> 6 & 0x3f)), byte(0x80 | (code & 0x3f))};
  return {byte(0xf0 | code >> 18), byte(0x80 | (code >> 12 & 0x3f)), byte(0x80 | (code >> 6 & 0x3f)),
          byte(0x80 | (code & 0x3f))};
}

}  // namespace

std::vector<bool> GlyphCoverage(cairo_scaled_font_t* font, const std::string& text, std::size_t count) {
  std::vector<bool> covered(count, false);
  if (count == 0 || text.size() > static_cast<std::size_t>(INT_MAX)) return covered;
  cairo_glyph_t* glyphs = nullptr;
  int glyphCount = 0;
  const cairo_status_t status =
      cairo_scaled_font_text_to_glyphs(font, 0.0, 0.0, text.data(), static_cast<int>(text.size()), &glyphs,
                                       &glyphCount, nullptr, nullptr, nullptr);
  // A FreeType font maps each character to one glyph, index 0 when it has
  // none.
  if (status == CAIRO_STATUS_SUCCESS && static_cast<std::size_t>(glyphCount) == count) {
    for (std::size_t i = 0; i < count; ++i) covered[i] = glyphs[i].index != 0;
  }
  cairo_glyph_free(glyphs);
  return covered;
}

bool IsBoldFace(cairo_scaled_font_t* font) {
  if (cairo_scaled_font_status(font) != CAIRO_STATUS_SUCCESS ||
      cairo_scaled_font_get_type(font) != CAIRO_FONT_TYPE_FT)
    return false;
  FT_Face face = cairo_ft_scaled_font_lock_face(font);
  if (face == nullptr) return false;
  const bool bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
  cairo_ft_scaled_font_unlock_face(font);
  return bold;
}

cairo_font_face_t* FindFallbackFace(char32_t code, bool bold) {
  Fallbacks& fallbacks = TheFallbacks();
  std::lock_guard<std::mutex> guard(fallbacks.lock);
  const std::uint64_t key = static_cast<std::uint64_t>(code) << 1 | (bold ? 1u : 0u);
  auto found = fallbacks.byCharacter.find(key);
  if (found != fallbacks.byCharacter.end()) return found->second;
  cairo_font_face_t* face = FindSystemFace(code, bold, fallbacks.faces);
  fallbacks.byCharacter.emplace(key, face);
  return face;
}

cairo_font_face_t* LoadedFaces::WithGlyph(const std::string& key, char32_t code) const {
  auto found = mFaces.find(key);
  if (found == mFaces.end() || found->second.face == nullptr) return nullptr;
  return GlyphCoverage(found->second.probe, Utf8Of(code), 1)[0] ? found->second.face : nullptr;
}

FT_Library LoadedFaces::Library() {
  if (mLibrary == nullptr && !mLibraryFailed) mLibraryFailed = FT_Init_FreeType(&mLibrary) != 0;
  return mLibrary;
}

void LoadedFaces::LoadFile(const std::string& key, const std::string& path, long index) {
  FT_Face ftFace = nullptr;
  if (Library() == nullptr || FT_New_Face(mLibrary, path.c_str(), index, &ftFace) != 0) ftFace = nullptr;
  Keep(key, ftFace);
}

void LoadedFaces::LoadBytes(const std::string& key, std::vector<unsigned char> bytes, long index) {
  // FreeType reads the bytes for as long as the face lives: for ever.
  auto kept = std::make_unique<std::vector<unsigned char>>(std::move(bytes));
  FT_Face ftFace = nullptr;
  if (Library() == nullptr || kept->empty() || kept->size() > static_cast<std::size_t>(LONG_MAX) ||
      FT_New_Memory_Face(mLibrary, kept->data(), static_cast<FT_Long>(kept->size()), index, &ftFace) != 0)
    ftFace = nullptr;
  if (Keep(key, ftFace)) static_cast<void>(kept.release());
}

bool LoadedFaces::Keep(const std::string& key, FT_Face ftFace) {
  Face& entry = mFaces[key];
  if (ftFace == nullptr) return false;
  PrepareCairoLocks();
  // Outlines only, as the registered faces: a bitmap font has no glyph at
  // the sizes the editor's scales ask for.
  if (!FT_IS_SCALABLE(ftFace)) {
    FT_Done_Face(ftFace);
    return false;
  }
  cairo_font_face_t* face = cairo_ft_font_face_create_for_ft_face(ftFace, 0);
  cairo_matrix_t unit;
  cairo_matrix_init_identity(&unit);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_scaled_font_t* probe = cairo_scaled_font_create(face, &unit, &unit, options);
  cairo_font_options_destroy(options);
  if (cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS ||
      cairo_scaled_font_status(probe) != CAIRO_STATUS_SUCCESS) {
    cairo_scaled_font_destroy(probe);
    cairo_font_face_destroy(face);
    FT_Done_Face(ftFace);
    return false;
  }
  entry = Face{face, probe};
  return true;
}

}  // namespace graphics

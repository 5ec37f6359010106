// Faces of the system's installed fonts for the characters the registered
// (embedded) faces have no glyph for. Internal to this library. The system
// is asked once per character (FontFallback.cpp asks fontconfig,
// win32/FontFallback.cpp the Windows font list) and the answer is kept for
// the process (FallbackFaces.cpp).
#pragma once

#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace graphics {

// For each of the `count` characters of valid UTF-8 `text`, whether the
// scaled font draws it with a glyph of its own rather than the font's box
// for a missing one (asked as cairo maps characters to glyphs when it draws;
// all false when cairo cannot tell). Any thread.
std::vector<bool> GlyphCoverage(cairo_scaled_font_t* font, const std::string& text, std::size_t count);
// Whether the FreeType face behind the scaled font is a bold one. Any thread.
bool IsBoldFace(cairo_scaled_font_t* font);

// A face of an installed font with a glyph for `code`, a bold one when `bold`
// and the system has one; null when no installed font has the character. The
// first call for a character asks the system (about a millisecond; on Windows
// up to some tens when the font is found late in the list), later calls only
// look the answer up. The face lives as long as the process. Any thread (a
// lock of its own); the text drawing calls it, never the audio path.
cairo_font_face_t* FindFallbackFace(char32_t code, bool bold);

// The system fonts loaded so far, each under a key the system side chooses
// (one per face of a font file). Used with the fallback lock held.
class LoadedFaces {
 public:
  LoadedFaces() = default;
  LoadedFaces(const LoadedFaces&) = delete;
  LoadedFaces& operator=(const LoadedFaces&) = delete;

  // Whether a font was loaded under `key` (or tried and found unusable).
  bool Known(const std::string& key) const { return mFaces.count(key) != 0; }
  // The face loaded under `key` when it has a glyph for `code`; null when it
  // has none or nothing usable was loaded under `key`.
  cairo_font_face_t* WithGlyph(const std::string& key, char32_t code) const;
  // Loads face `index` of a font file, or of a font's bytes (kept for the
  // process), under `key`. A font FreeType cannot read is remembered as
  // unusable.
  void LoadFile(const std::string& key, const std::string& path, long index);
  void LoadBytes(const std::string& key, std::vector<unsigned char> bytes, long index);

 private:
  struct Face {
    cairo_font_face_t* face = nullptr;
    cairo_scaled_font_t* probe = nullptr;  // for asking the face about glyphs
  };
  // Wraps a face just opened (null: nothing usable) under `key`; false when
  // it could not be wrapped.
  bool Keep(const std::string& key, FT_Face ftFace);
  FT_Library Library();

  FT_Library mLibrary = nullptr;  // made on first use, never released
  bool mLibraryFailed = false;
  std::map<std::string, Face> mFaces;
};

// The system side: a face of an installed font with a glyph for `code`,
// loaded through `faces` (each font once); null when none has one. Called
// with the fallback lock held, so it may keep state of its own unguarded.
cairo_font_face_t* FindSystemFace(char32_t code, bool bold, LoadedFaces& faces);

}  // namespace graphics

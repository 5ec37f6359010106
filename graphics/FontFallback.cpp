// Finding an installed font for a character on Linux: fontconfig sorts the
// fonts as for a sans-serif face of the asked weight with the character in
// it (the desktop's preferences and the locale's language applied), and the
// first outline font whose character set has it is loaded from its file.
#include <fontconfig/fontconfig.h>

#include <string>

#include "FontFallback.h"

namespace graphics {
namespace {

// The pattern fontconfig sorts the fonts by; null when it cannot make one.
FcPattern* WantedFont(char32_t code, bool bold) {
  FcPattern* pattern = FcPatternCreate();
  FcCharSet* characters = FcCharSetCreate();
  const bool made = pattern != nullptr && characters != nullptr && FcCharSetAddChar(characters, code) &&
                    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif")) &&
                    FcPatternAddCharSet(pattern, FC_CHARSET, characters) &&
                    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR) &&
                    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue) &&
                    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  if (characters != nullptr) FcCharSetDestroy(characters);  // the pattern holds its own copy
  if (!made) {
    if (pattern != nullptr) FcPatternDestroy(pattern);
    return nullptr;
  }
  FcDefaultSubstitute(pattern);
  return pattern;
}

}  // namespace

cairo_font_face_t* FindSystemFace(char32_t code, bool bold, LoadedFaces& faces) {
  static const bool initialised = FcInit() == FcTrue;
  if (!initialised) return nullptr;
  FcPattern* pattern = WantedFont(code, bold);
  if (pattern == nullptr) return nullptr;
  FcResult result = FcResultNoMatch;
  // Trimmed: a font that adds no character to those before it is left out,
  // which never drops the first font that has this one.
  FcFontSet* sorted = FcFontSort(nullptr, pattern, FcTrue, nullptr, &result);
  FcPatternDestroy(pattern);
  if (sorted == nullptr) return nullptr;
  cairo_font_face_t* found = nullptr;
  for (int i = 0; i < sorted->nfont && found == nullptr; ++i) {
    FcPattern* font = sorted->fonts[i];
    FcCharSet* characters = nullptr;
    FcBool outline = FcFalse;
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetCharSet(font, FC_CHARSET, 0, &characters) != FcResultMatch ||
        !FcCharSetHasChar(characters, code) ||
        FcPatternGetBool(font, FC_OUTLINE, 0, &outline) != FcResultMatch || !outline ||
        FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch)
      continue;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    const std::string path(reinterpret_cast<const char*>(file));
    const std::string key = path + '#' + std::to_string(index);
    if (!faces.Known(key)) faces.LoadFile(key, path, index);
    found = faces.WithGlyph(key, code);
  }
  FcFontSetDestroy(sorted);
  return found;
}

}  // namespace graphics

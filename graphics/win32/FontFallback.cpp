// Finding an installed font for a character on Windows. cairo draws with
// FreeType here, so GDI is asked which installed font has the character and
// hands over that font's bytes for FreeType to load. The families are tried
// in this order: the ones that served earlier characters, the faces Windows
// itself falls back to for the main scripts (the user's own East Asian face
// first), then every other TrueType family installed.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "graphics/FontFallback.h"
#include "platform/TextEncoding.h"

namespace graphics {
namespace {

// GetFontData's failure, and its table names: the four letters in file order.
constexpr DWORD kGdiError = 0xffffffffu;
constexpr DWORD Tag(const char (&name)[5]) {
  return static_cast<DWORD>(static_cast<unsigned char>(name[0])) |
         static_cast<DWORD>(static_cast<unsigned char>(name[1])) << 8 |
         static_cast<DWORD>(static_cast<unsigned char>(name[2])) << 16 |
         static_cast<DWORD>(static_cast<unsigned char>(name[3])) << 24;
}
constexpr DWORD kCollectionFile = Tag("ttcf");
constexpr DWORD kCharacterMap = Tag("cmap");
constexpr DWORD kFontHeader = Tag("head");

// The big-endian number of `length` bytes at `at`; the caller checks the bounds.
std::uint32_t BigEndian(const std::vector<unsigned char>& bytes, std::size_t at, std::size_t length) {
  std::uint32_t value = 0;
  for (std::size_t k = 0; k < length; ++k) value = value << 8 | bytes[at + k];
  return value;
}

// A font of a family selected into a device context for as long as this
// lives.
class SelectedFont {
 public:
  SelectedFont(HDC dc, const std::wstring& family, bool bold) : mDc(dc) {
    LOGFONTW wanted{};
    wanted.lfHeight = -64;
    wanted.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    wanted.lfCharSet = DEFAULT_CHARSET;
    wanted.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    wcsncpy(wanted.lfFaceName, family.c_str(), LF_FACESIZE - 1);
    mFont = CreateFontIndirectW(&wanted);
    if (mFont != nullptr) mOld = SelectObject(dc, mFont);
  }
  ~SelectedFont() {
    if (mOld != nullptr) SelectObject(mDc, mOld);
    if (mFont != nullptr) DeleteObject(mFont);
  }
  SelectedFont(const SelectedFont&) = delete;
  SelectedFont& operator=(const SelectedFont&) = delete;

  // Whether GDI selected the family asked for, not a substitute.
  bool Is(const std::wstring& family) const {
    wchar_t chosen[LF_FACESIZE] = {};
    return mOld != nullptr && GetTextFaceW(mDc, LF_FACESIZE, chosen) > 0 &&
           _wcsicmp(chosen, family.c_str()) == 0;
  }

 private:
  HDC mDc;
  HFONT mFont = nullptr;
  HGDIOBJ mOld = nullptr;
};

// A table of the selected font (0: the font itself, kCollectionFile: the
// collection file it is in); empty when it has none.
std::vector<unsigned char> FontData(HDC dc, DWORD table) {
  const DWORD size = GetFontData(dc, table, 0, nullptr, 0);
  if (size == kGdiError || size == 0) return {};
  std::vector<unsigned char> bytes(size);
  if (GetFontData(dc, table, 0, bytes.data(), size) != size) return {};
  return bytes;
}

// Whether a character map ('cmap' table) gives a character beyond U+FFFF a
// glyph, in its format-12 subtable of the whole Unicode range. The system's
// bytes are read with every offset checked.
bool MapsCharacter(const std::vector<unsigned char>& map, char32_t code) {
  const std::size_t size = map.size();
  if (size < 4) return false;
  const std::size_t tables = BigEndian(map, 2, 2);
  for (std::size_t t = 0; t < tables && 12 + 8 * t <= size; ++t) {
    const std::size_t record = 4 + 8 * t;
    const std::uint32_t platformId = BigEndian(map, record, 2), encoding = BigEndian(map, record + 2, 2);
    const std::size_t offset = BigEndian(map, record + 4, 4);
    const bool unicode =
        (platformId == 3 && encoding == 10) || (platformId == 0 && (encoding == 4 || encoding == 6));
    if (!unicode || offset > size || size - offset < 16 || BigEndian(map, offset, 2) != 12) continue;
    const std::size_t groups =
        std::min<std::size_t>(BigEndian(map, offset + 12, 4), (size - offset - 16) / 12);
    for (std::size_t g = 0; g < groups; ++g) {
      const std::size_t group = offset + 16 + 12 * g;
      const std::uint32_t first = BigEndian(map, group, 4), last = BigEndian(map, group + 4, 4);
      if (code >= first && code <= last)
        return BigEndian(map, group + 8, 4) + std::uint64_t{code - first} != 0;
    }
  }
  return false;
}

// Whether the selected font has a glyph for the character. GDI's glyph calls
// take UTF-16 units, so characters beyond U+FFFF are looked up in the font's
// character map.
bool HasCharacter(HDC dc, char32_t code) {
  if (code > 0xffff) return MapsCharacter(FontData(dc, kCharacterMap), code);
  const auto unit = static_cast<wchar_t>(code);
  WORD glyph = 0xffff;
  return GetGlyphIndicesW(dc, &unit, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) == 1 && glyph != 0xffff;
}

// Which face of a collection file the selected font is: the one whose table
// directory is the selected font's own. -1 when none is.
long FaceInCollection(HDC dc, const std::vector<unsigned char>& collection) {
  std::vector<unsigned char> directory(12);
  if (GetFontData(dc, 0, 0, directory.data(), 12) != 12) return -1;
  directory.resize(12 + 16 * std::size_t{BigEndian(directory, 4, 2)});
  const auto directorySize = static_cast<DWORD>(directory.size());
  if (GetFontData(dc, 0, 0, directory.data(), directorySize) != directorySize) return -1;
  const std::size_t size = collection.size();
  const std::size_t faces = size < 12 ? 0 : BigEndian(collection, 8, 4);
  for (std::size_t i = 0; i < faces && 16 + 4 * i <= size; ++i) {
    const std::size_t offset = BigEndian(collection, 12 + 4 * i, 4);
    if (offset <= size && size - offset >= directory.size() &&
        std::equal(directory.begin(), directory.end(),
                   collection.begin() + static_cast<std::ptrdiff_t>(offset)))
      return static_cast<long>(i);
  }
  return -1;
}

// The selected font's bytes and the face in them FreeType should load;
// false when GDI cannot hand them over.
bool ReadFont(HDC dc, std::vector<unsigned char>& bytes, long& face) {
  bytes = FontData(dc, kCollectionFile);
  static const unsigned char kCollectionTag[4] = {'t', 't', 'c', 'f'};
  if (bytes.size() >= 4 && std::equal(kCollectionTag, kCollectionTag + 4, bytes.begin())) {
    face = FaceInCollection(dc, bytes);
    return face >= 0;
  }
  // Not in a collection: the font's own bytes (with which some systems
  // answer the collection request too).
  if (bytes.empty()) bytes = FontData(dc, 0);
  face = 0;
  return !bytes.empty();
}

// What tells the selected font's file and face apart from every other: the
// family and its header table (with the file's checksum). A bold that GDI
// makes from the regular font has the regular font's key.
std::string KeyOf(HDC dc, const std::wstring& family) {
  static const char kDigits[] = "0123456789abcdef";
  std::string key = platform::Utf16ToUtf8(family) + '|';
  for (unsigned char byte : FontData(dc, kFontHeader)) {
    key += kDigits[byte >> 4];
    key += kDigits[byte & 0xf];
  }
  return key;
}

int CALLBACK AddFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM families) {
  // Vertical forms ("@") and symbol fonts, whose letters are pictures, are
  // no fallback.
  if ((type & TRUETYPE_FONTTYPE) != 0 && font->lfFaceName[0] != L'@' && font->lfCharSet != SYMBOL_CHARSET)
    reinterpret_cast<std::vector<std::wstring>*>(families)->emplace_back(font->lfFaceName);
  return 1;
}

// The faces Windows uses for the scripts its UI fonts lack; East Asian
// characters in the user's own language's form first.
std::vector<std::wstring> PreferredFamilies() {
  std::vector<std::wstring> eastAsian = {L"Microsoft YaHei", L"Microsoft JhengHei", L"Yu Gothic UI",
                                         L"Meiryo UI", L"Malgun Gothic"};
  const LANGID language = GetUserDefaultUILanguage();
  const WORD sub = SUBLANGID(language);
  std::size_t own = 0;
  if (PRIMARYLANGID(language) == LANG_JAPANESE) own = 2;
  if (PRIMARYLANGID(language) == LANG_KOREAN) own = 4;
  if (PRIMARYLANGID(language) == LANG_CHINESE &&
      (sub == SUBLANG_CHINESE_TRADITIONAL || sub == SUBLANG_CHINESE_HONGKONG || sub == SUBLANG_CHINESE_MACAU))
    own = 1;
  std::rotate(eastAsian.begin(), eastAsian.begin() + static_cast<std::ptrdiff_t>(own),
              eastAsian.begin() + static_cast<std::ptrdiff_t>(own + 1));
  std::vector<std::wstring> families = {
      L"Segoe UI",   L"Segoe UI Symbol", L"Segoe UI Emoji", L"Segoe UI Historic",
      L"Nirmala UI", L"Leelawadee UI",   L"Ebrima",         L"Gadugi"};
  families.insert(families.end(), eastAsian.begin(), eastAsian.end());
  families.emplace_back(L"Arial Unicode MS");
  return families;
}

// The installed TrueType families in the order they are tried. Guarded by
// the fallback lock, as FindSystemFace is.
std::vector<std::wstring>& Candidates(HDC dc) {
  static std::vector<std::wstring> families;
  static bool listed = false;
  if (listed) return families;
  listed = true;
  std::vector<std::wstring> installed;
  LOGFONTW every{};
  every.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExW(dc, &every, AddFamily, reinterpret_cast<LPARAM>(&installed), 0);
  std::sort(installed.begin(), installed.end());
  installed.erase(std::unique(installed.begin(), installed.end()), installed.end());
  for (const std::wstring& preferred : PreferredFamilies()) {
    auto found = std::find(installed.begin(), installed.end(), preferred);
    if (found == installed.end()) continue;
    families.push_back(preferred);
    installed.erase(found);
  }
  families.insert(families.end(), installed.begin(), installed.end());
  return families;
}

}  // namespace

cairo_font_face_t* FindSystemFace(char32_t code, bool bold, LoadedFaces& faces) {
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return nullptr;
  std::vector<std::wstring>& families = Candidates(dc);
  cairo_font_face_t* found = nullptr;
  for (auto family = families.begin(); family != families.end() && found == nullptr; ++family) {
    SelectedFont font(dc, *family, bold);
    if (!font.Is(*family) || !HasCharacter(dc, code)) continue;
    const std::string key = KeyOf(dc, *family);
    if (!faces.Known(key)) {
      std::vector<unsigned char> bytes;
      long face = 0;
      if (!ReadFont(dc, bytes, face)) bytes.clear();  // remembered as unusable
      faces.LoadBytes(key, std::move(bytes), face);
    }
    found = faces.WithGlyph(key, code);
    // The family that served is tried first for the next character, most
    // likely of the same script.
    if (found != nullptr) std::rotate(families.begin(), family, family + 1);
  }
  DeleteDC(dc);
  return found;
}

}  // namespace graphics

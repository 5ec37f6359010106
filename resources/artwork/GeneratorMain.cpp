// kalvo5_artwork: draws the editor's bitmaps into a folder at build time.
//
//   kalvo5_artwork OUTPUT_FOLDER REGULAR.ttf BOLD.ttf NAME.png...
//
// Writes each named bitmap as NAME@2x.png (two pixels per editor unit, frames
// stacked vertically). The names must be exactly the bitmaps the generator
// knows, so the build's list and the drawings cannot drift apart unnoticed.
// Exit status 0 on success, 1 on a bad command line or an unknown or missing
// name, 2 when the fonts cannot be loaded, 3 when a file cannot be written.
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "Artwork.h"

namespace {

std::string StoredName(const std::string& fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string::npos) return fileName + "@2x";
  return fileName.substr(0, dot) + "@2x" + fileName.substr(dot);
}

bool SameNames(const std::vector<artwork::BitmapArt>& art, const std::set<std::string>& requested) {
  std::set<std::string> known;
  for (const artwork::BitmapArt& bitmap : art) known.insert(bitmap.fileName);
  bool same = true;
  for (const std::string& name : requested) {
    if (known.count(name) == 0) {
      std::fprintf(stderr, "kalvo5_artwork: no drawing for %s\n", name.c_str());
      same = false;
    }
  }
  for (const std::string& name : known) {
    if (requested.count(name) == 0) {
      std::fprintf(stderr, "kalvo5_artwork: %s is drawn but not asked for\n", name.c_str());
      same = false;
    }
  }
  return same;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: kalvo5_artwork OUTPUT_FOLDER REGULAR.ttf BOLD.ttf NAME.png...\n");
    return 1;
  }
  const std::string folder = argv[1];
  const std::set<std::string> requested(argv + 4, argv + argc);
  const std::vector<artwork::BitmapArt> art = artwork::AllArt();
  if (!SameNames(art, requested)) return 1;

  const resources::Typefaces typefaces(argv[2], argv[3]);
  if (!typefaces.Ok()) {
    std::fprintf(stderr, "kalvo5_artwork: cannot load the fonts %s and %s\n", argv[2], argv[3]);
    return 2;
  }
  for (const artwork::BitmapArt& bitmap : art) {
    artwork::Canvas canvas(bitmap.width, bitmap.height, bitmap.frames, typefaces);
    for (int frame = 0; frame < bitmap.frames; ++frame) {
      canvas.BeginFrame(frame);
      bitmap.paint(canvas, frame);
    }
    const std::string path = folder + "/" + StoredName(bitmap.fileName);
    if (!canvas.WritePng(path)) {
      std::fprintf(stderr, "kalvo5_artwork: cannot write %s\n", path.c_str());
      return 3;
    }
  }
  return 0;
}

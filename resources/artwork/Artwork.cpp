#include "Artwork.h"

#include <iterator>

namespace artwork {

std::vector<BitmapArt> AllArt() {
  std::vector<BitmapArt> all;
  for (auto group : {PageBackgroundArt, MeterBarArt, SelectorArt, ButtonArt, ScaleCaptionArt}) {
    std::vector<BitmapArt> art = group();
    all.insert(all.end(), std::make_move_iterator(art.begin()), std::make_move_iterator(art.end()));
  }
  return all;
}

}  // namespace artwork

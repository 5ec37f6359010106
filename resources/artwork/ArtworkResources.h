// The editor's bitmaps compiled into the module (library
// kalvo5_artwork_resources), found under their stored names, e.g.
// "background0@2x.png": drawn at build time by the kalvo5_artwork program at
// two pixels per editor unit, frames stacked vertically.
#pragma once

namespace resources {

// Adds them to the resource table (graphics/Resources.h); later calls do
// nothing. Any thread.
void RegisterArtworkResources();

}  // namespace resources

// The fonts compiled into the module (library kalvo5_font_resources):
// Roboto-Regular.ttf, DejaVuSans.ttf, DejaVuSans-Bold.ttf and
// DSEG14Classic-Regular.ttf, also found as verdana.ttf, verdanab.ttf and
// Repetition-Scrolling.ttf, the names the editor's layout asks for.
#pragma once

namespace graphics {

// Adds them to the resource table (Resources.h); later calls do nothing.
// Any thread.
void RegisterFontResources();

}  // namespace graphics

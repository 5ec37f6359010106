// What the preset menu control is built from besides the plug-in: its
// areas and arrow buttons, and the command codes it sends.
#pragma once

#include "framework/igraphics/IGraphicsTypes.h"
#include "plugin/Kalvo5Params.h"

namespace kalvo5 {

struct PresetMenuArea {
  igraphics::Rect bounds;  // the whole control
  igraphics::Rect menu;    // a click here opens the menu
  igraphics::Rect text;    // where the preset's name is drawn
  igraphics::Rect previous, next;
  igraphics::Bitmap previousBitmap, nextBitmap;  // frame 1 while pressed
};

struct PresetMenuCommands {
  int load = kCmdLoadPreset;
  int save = kCmdSavePreset;
  int saveDefault = kCmdSaveDefault;
  int rescan = kCmdRescanPresets;
};

}  // namespace kalvo5

// A request of the editor to the plug-in, with what it carries: the file a
// preset menu chose, the entry of the plug-in menu's scale list.
#pragma once

#include <string>
#include <utility>

#include "Kalvo5Params.h"

namespace kalvo5 {

struct EditorCommand {
  explicit EditorCommand(ECommands command, std::string chosenPath = {}, int chosenScaleEntry = -1)
      : code(command), path(std::move(chosenPath)), scaleEntry(chosenScaleEntry) {}

  ECommands code;
  std::string path;  // kCmdLoadPreset, kCmdSavePreset: the chosen file
  int scaleEntry;    // kCmdMenuEditorScale: the chosen entry, 0 ... 10
};

}  // namespace kalvo5

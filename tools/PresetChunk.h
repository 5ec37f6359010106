// Turning a .vrs preset file into the program state chunk the plug-in takes
// through effSetChunk.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/PluginInstance.h"

namespace kalvo5::meter {

// A program chunk holding one preset document: the chunk header ('tffp',
// version 1.0) followed by the RIFF "VRCM"/"VRCS" state block that carries the
// document's text, padded to even sizes.
std::vector<std::uint8_t> FramePresetDocument(std::string_view document);

// Reads a preset file whole. False with a message when it is missing,
// unreadable, empty or implausibly large.
bool ReadPresetFile(const std::string& path, std::string& document, std::string& error);

// Gives the preset to the plug-in as its current program (effSetChunk with
// index 1). False with a message when the plug-in takes no chunks or refuses
// this one.
bool ApplyPreset(PluginInstance& plugin, const std::vector<std::uint8_t>& chunk, std::string& error);

}  // namespace kalvo5::meter

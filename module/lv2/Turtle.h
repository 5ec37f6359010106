// Writing the bundle's descriptions in Turtle: literals, and the parts each
// description file is made of.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "plugin/Kalvo5.h"

namespace kalvo5::lv2 {

// A string literal, quoted, with every character Turtle needs escaped.
std::string TurtleString(std::string_view text);
// A number as Turtle reads it back exactly (a decimal point or exponent
// always, so that it is a floating-point literal).
std::string TurtleNumber(double value);
// The prefixes every description file starts with.
void WritePrefixes(std::ostream& out);

// The descriptions of the three variants and the editor (Kalvo5.ttl).
void WritePlugins(std::ostream& out, Kalvo5& plugin);
// The factory presets (presets.ttl); the plug-in is left at the last one.
void WritePresets(std::ostream& out, Kalvo5& plugin);
// The manifest: every variant, the editor and every preset, with the file
// that describes it.
void WriteManifest(std::ostream& out, Kalvo5& plugin);
// The URI of factory preset `name`.
std::string PresetURI(std::string_view name);

}  // namespace kalvo5::lv2

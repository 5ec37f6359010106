// What a plug-in class tells the framework about itself, and the small
// vocabulary types shared by the base classes.
#pragma once

#include <cstdint>

namespace iplug {

// Where a parameter change came from.
enum class ParamSource : int {
  Reset = 0,         // the host opened the plug-in
  Host = 1,          // host automation or a host text entry
  PresetRecall = 2,  // a state or preset was restored
  Editor = 3,        // an editor control or the plug-in itself
  Delegate = 4,      // an echo towards the editor
};

// Channel direction.
enum ERoute : int { kInput = 0, kOutput = 1 };

constexpr std::int32_t MakeVersion(int major, int minor, int revision) {
  return major * 65536 + minor * 256 + revision;
}

// A four-character code, first character in the most significant byte.
constexpr std::int32_t MakeFourCC(char a, char b, char c, char d) {
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(static_cast<unsigned char>(a)) << 24) |
                                   (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 16) |
                                   (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 8) |
                                   static_cast<std::uint32_t>(static_cast<unsigned char>(d)));
}

struct PluginConfig {
  int nParams = 0;
  int nPresets = 0;
  const char* channelIO = "";
  const char* pluginName = "";
  const char* productName = "";
  const char* vendorName = "";
  std::int32_t vendorVersion = 0;  // MakeVersion(major, minor, revision)
  std::int32_t uniqueId = 0;       // MakeFourCC
  int latency = 0;                 // samples
  bool midiIn = false;
  bool midiOut = false;
  bool mpe = false;
  bool stateChunks = false;
  int pluginType = 0;  // 0 effect, 1 instrument
  bool hasEditor = false;
  int editorWidth = 0;
  int editorHeight = 0;
  int minWidth = 0;
  int maxWidth = 0;
  int minHeight = 0;
  int maxHeight = 0;
};

}  // namespace iplug

// The rings that carry values from the host side to the editor: parameter
// changes (512 entries), MIDI messages and system-exclusive messages.
#pragma once

#include <cstdint>

#include "IPlugQueue.h"

namespace iplug {

struct ParamChange {
  int index = -1;
  double value = 0.0;  // real (not normalized)
};

// A short MIDI message: sample offset and three bytes.
struct IMidiMsg {
  std::int32_t offset = 0;
  std::uint8_t status = 0;
  std::uint8_t data1 = 0;
  std::uint8_t data2 = 0;
};

inline constexpr int kMaxSysExBytes = 512;

struct ISysEx {
  std::int32_t offset = 0;
  std::int32_t size = 0;
  std::uint8_t data[kMaxSysExBytes] = {};
};

struct ParamChangeQueue {
  IPlugQueue<ParamChange, 512> params;
  IPlugQueue<IMidiMsg, 32> midiToEditor;
  IPlugQueue<IMidiMsg, 32> midiFromEditor;
  IPlugQueue<ISysEx, 4> sysExToEditor;
  IPlugQueue<ISysEx, 4> sysExFromEditor;
};

}  // namespace iplug

// What follows the audio at a fixed pace, counted in frames on the audio
// thread: the 50 ms period at whose end the readings are published for the
// editor and Match and written to the host as automation, and, while the
// editor is open, the refresh of its meters (every 50 ms) and read-outs
// (every 100 ms). A period is trunc(ms * 0.001 * rate) frames, at least one.
#pragma once

#include <cstdint>

namespace kalvo5 {

class BlockPacing {
 public:
  struct Due {
    bool period = false;
    bool meters = false;
    bool readouts = false;
  };

  // Starts every count again, with periods for the rate.
  void Restart(double sampleRate);
  // Counts a block; the editor's counts run only while it is open.
  Due Advance(std::int64_t frames, bool editorOpen);

 private:
  struct Counter {
    std::int64_t period = 1;
    std::int64_t count = 0;
    bool Advance(std::int64_t frames);
  };

  Counter mPeriod;
  Counter mMeters;
  Counter mReadouts;
};

}  // namespace kalvo5

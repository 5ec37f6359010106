// The editor refreshing while the audio thread measures: the editor only
// reads readings under a try-lock and request flags, so neither side waits
// for the other nor sees a torn value (run under ThreadSanitizer too).
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "Kalvo5EditorFixture.h"

namespace kalvo5 {
namespace {

class Kalvo5EditorThreads : public test::Kalvo5EditorFixture {};

TEST_F(Kalvo5EditorThreads, RefreshesWhileAudioRunsAndTypeChanges) {
  std::atomic<bool> stop{false};
  std::atomic<int> blocks{0};
  test::Connect(*plugin, 2, 2);
  std::thread audio([&] {
    test::Audio in(2, 256), out(2, 256);
    int n = 0;
    while (!stop.load()) {
      for (int i = 0; i < 256; ++i, ++n)
        in[0][static_cast<std::size_t>(i)] = in[1][static_cast<std::size_t>(i)] = 0.5 * std::sin(0.05 * n);
      plugin->ProcessBuffers(in.Pointers(), out.Pointers(), 256);
      ++blocks;
    }
  });
  for (int tick = 0; tick < 300; ++tick) {
    if (tick % 50 == 0) Set(kType, (tick / 50) % 3);
    plugin->Request(IdleRequest::MeterRefresh);
    plugin->Request(IdleRequest::ReadoutRefresh);
    plugin->OnTimer();
    g->Draw();
  }
  stop.store(true);
  audio.join();
  EXPECT_GT(blocks.load(), 0);
  plugin->OnTimer();
  EXPECT_NE(Text(plugin->Indices().mMeterValueIdx[0]), "-144.0");
}

}  // namespace
}  // namespace kalvo5

// The sequence lock every reading crosses from the audio thread: readers
// racing a writer see only whole snapshots, in the order written, and a
// second writer is caught in checked builds.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "framework/iplug/SnapshotChannel.h"

namespace iplug {
namespace {

// Many words, so a torn copy is likely to show: the writer fills every one
// with its sequence number.
struct Block {
  std::uint64_t words[61];
};

Block Filled(std::uint64_t n) {
  Block block;
  for (auto& word : block.words) word = n;
  return block;
}

TEST(SnapshotChannel, ReadersRacingTheWriterSeeOnlyWholeSnapshotsInOrder) {
  SnapshotChannel<Block> channel(Filled(0));
  std::atomic<bool> done{false};
  std::atomic<long> torn{0}, backwards{0}, reads{0};
  std::vector<std::thread> readers;
  for (int r = 0; r < 3; ++r) {
    readers.emplace_back([&] {
      std::uint64_t last = 0;
      while (!done.load(std::memory_order_relaxed)) {
        const Block block = channel.Read();
        for (const auto word : block.words)
          if (word != block.words[0]) ++torn;
        if (block.words[0] < last) ++backwards;
        last = block.words[0];
        ++reads;
      }
    });
  }
  std::uint64_t n = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
  while (std::chrono::steady_clock::now() < end) channel.Publish(Filled(++n));
  done = true;
  for (auto& reader : readers) reader.join();
  EXPECT_EQ(torn.load(), 0);
  EXPECT_EQ(backwards.load(), 0);
  EXPECT_GT(reads.load(), 0);
  EXPECT_EQ(channel.Read().words[60], n);
}

#if !defined(NDEBUG) || defined(KALVO5_CHECKED_BUILD)
TEST(SnapshotChannelDeathTest, ASecondWriterAborts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        SnapshotChannel<Block> channel;
        std::thread other([&] {
          for (std::uint64_t n = 0;; ++n) channel.Publish(Filled(n));
        });
        for (std::uint64_t n = 0;; ++n) channel.Publish(Filled(n));
      },
      "two writers at once");
}
#endif

}  // namespace
}  // namespace iplug

// One value published by a single writer and read by any number of readers,
// without a lock: a sequence lock over atomic words. The writer never waits;
// a reader that overlaps a write copies again (a write is a copy of a few
// hundred bytes, so retries are rare and short).
//
// The value is held as atomic words, so a torn read is never a data race;
// the sequence number tells the reader to discard it. Each word is stored
// with release and loaded with acquire: a reader that sees any word of a
// newer write also sees that write's odd sequence number when it checks
// again, so no fence is needed.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace iplug {

template <typename T>
class SnapshotChannel {
  static_assert(std::is_trivially_copyable_v<T>, "published as raw words");

 public:
  explicit SnapshotChannel(const T& initial = T{}) { Publish(initial); }

  // One writer at a time (debug and sanitizer builds abort on a second).
  // Allocation-free, never waits.
  void Publish(const T& value) {
    Words words{};
    std::memcpy(words.data(), static_cast<const void*>(&value), sizeof(T));
    const std::uint64_t sequence = BeginWrite();
    for (std::size_t i = 0; i < kWords; ++i) mWords[i].store(words[i], std::memory_order_release);
    mSequence.store(sequence + 2, std::memory_order_release);
  }

  // Any thread: the latest complete value.
  T Read() const {
    Words words{};
    for (;;) {
      const std::uint64_t before = mSequence.load(std::memory_order_acquire);
      if ((before & 1) == 0) {
        for (std::size_t i = 0; i < kWords; ++i) words[i] = mWords[i].load(std::memory_order_acquire);
        if (mSequence.load(std::memory_order_relaxed) == before) break;
      }
    }
    T value;
    std::memcpy(static_cast<void*>(&value), words.data(), sizeof(T));
    return value;
  }

 private:
  // Marks a write under way (an odd sequence number) and returns the even
  // number before it. Checked builds claim the mark atomically, so a second
  // writer, finding a write under way or losing the claim, is caught.
  std::uint64_t BeginWrite() {
    std::uint64_t sequence = mSequence.load(std::memory_order_relaxed);
#if !defined(NDEBUG) || defined(KALVO5_CHECKED_BUILD)
    if ((sequence & 1) != 0 ||
        !mSequence.compare_exchange_strong(sequence, sequence + 1, std::memory_order_relaxed)) {
      std::fputs("SnapshotChannel: two writers at once\n", stderr);
      std::abort();
    }
#else
    mSequence.store(sequence + 1, std::memory_order_relaxed);
#endif
    return sequence;
  }

  static constexpr std::size_t kWords = (sizeof(T) + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t);
  using Words = std::array<std::uint64_t, kWords>;

  std::atomic<std::uint64_t> mSequence{0};
  std::array<std::atomic<std::uint64_t>, kWords> mWords{};
};

}  // namespace iplug

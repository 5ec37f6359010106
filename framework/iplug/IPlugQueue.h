// A bounded queue without locks or allocation, safe for several producers and
// several consumers (hosts set parameters from more than one thread). When it
// is full the newest entry is dropped.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>

namespace iplug {

template <typename T, std::size_t Capacity>
class IPlugQueue {
  static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0, "capacity must be a power of two");

 public:
  IPlugQueue() {
    for (std::size_t i = 0; i < Capacity; ++i) mCells[i].sequence.store(i, std::memory_order_relaxed);
  }
  IPlugQueue(const IPlugQueue&) = delete;
  IPlugQueue& operator=(const IPlugQueue&) = delete;

  static constexpr std::size_t capacity() { return Capacity; }

  // False (and the entry dropped) when the queue is full.
  bool Push(const T& item) {
    std::size_t pos = mWritePos.load(std::memory_order_relaxed);
    for (;;) {
      Cell& cell = mCells[pos & kMask];
      const std::size_t sequence = cell.sequence.load(std::memory_order_acquire);
      const auto diff = static_cast<std::ptrdiff_t>(sequence) - static_cast<std::ptrdiff_t>(pos);
      if (diff == 0) {
        if (mWritePos.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed)) {
          cell.item = item;
          cell.sequence.store(pos + 1, std::memory_order_release);
          return true;
        }
      } else if (diff < 0) {
        return false;
      } else {
        pos = mWritePos.load(std::memory_order_relaxed);
      }
    }
  }

  // False when the queue is empty.
  bool Pop(T& item) {
    std::size_t pos = mReadPos.load(std::memory_order_relaxed);
    for (;;) {
      Cell& cell = mCells[pos & kMask];
      const std::size_t sequence = cell.sequence.load(std::memory_order_acquire);
      const auto diff = static_cast<std::ptrdiff_t>(sequence) - static_cast<std::ptrdiff_t>(pos + 1);
      if (diff == 0) {
        if (mReadPos.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed)) {
          item = cell.item;
          cell.sequence.store(pos + Capacity, std::memory_order_release);
          return true;
        }
      } else if (diff < 0) {
        return false;
      } else {
        pos = mReadPos.load(std::memory_order_relaxed);
      }
    }
  }

  // Approximate while other threads push or pop.
  std::size_t ElementsAvailable() const {
    return mWritePos.load(std::memory_order_acquire) - mReadPos.load(std::memory_order_acquire);
  }

 private:
  static constexpr std::size_t kMask = Capacity - 1;
  struct Cell {
    std::atomic<std::size_t> sequence{0};
    T item{};
  };

  std::array<Cell, Capacity> mCells;
  alignas(64) std::atomic<std::size_t> mWritePos{0};
  alignas(64) std::atomic<std::size_t> mReadPos{0};
};

}  // namespace iplug

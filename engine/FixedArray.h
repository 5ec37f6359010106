// A buffer obtained once, at initialisation, and never resized while audio
// runs. Allocation failure is reported, not thrown.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <type_traits>
#include <utility>

namespace kalvo5 {

template <typename T>
class FixedArray {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                "plain numbers only: the memory comes zeroed from calloc");

 public:
  FixedArray() = default;
  FixedArray(FixedArray&& other) noexcept { swap(other); }
  FixedArray& operator=(FixedArray&& other) noexcept {
    FixedArray(std::move(other)).swap(*this);
    return *this;
  }

  // Replaces the buffer by count zeroed elements. On failure the array is
  // empty and false is returned. Never call on the audio thread. Every page
  // is written here, so the audio thread never takes a page fault on it
  // (calloc hands out untouched zero pages for large sizes).
  bool Allocate(std::size_t count) {
    data_.reset();
    size_ = 0;
    if (count == 0) return true;
    data_.reset(static_cast<T*>(std::calloc(count, sizeof(T))));
    if (!data_) return false;
    TouchPages(reinterpret_cast<unsigned char*>(data_.get()), count * sizeof(T));
    size_ = count;
    return true;
  }

  // Exchanges the buffers: how memory obtained off the audio thread is put
  // in place under a lock, the old buffer leaving with the other array.
  void swap(FixedArray& other) noexcept {
    data_.swap(other.data_);
    std::swap(size_, other.size_);
  }

  std::size_t size() const { return size_; }
  T* data() { return data_.get(); }
  const T* data() const { return data_.get(); }
  T& operator[](std::size_t i) { return data_.get()[i]; }
  const T& operator[](std::size_t i) const { return data_.get()[i]; }

 private:
  // Writes a zero into every page (through volatile, so the store is not
  // dropped as redundant after calloc): the pages are then mapped.
  static void TouchPages(unsigned char* bytes, std::size_t size) {
    constexpr std::size_t kPage = 4096;
    volatile unsigned char* touch = bytes;
    for (std::size_t i = 0; i < size; i += kPage) touch[i] = 0;
    touch[size - 1] = 0;
  }

  struct Free {
    void operator()(T* p) const { std::free(p); }
  };
  std::unique_ptr<T, Free> data_;
  std::size_t size_ = 0;
};

}  // namespace kalvo5

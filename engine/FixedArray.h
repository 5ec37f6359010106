// A buffer obtained once, at initialisation, and never resized while audio
// runs. Allocation failure is reported, not thrown.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <type_traits>

namespace kalvo5 {

template <typename T>
class FixedArray {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                "plain numbers only: the memory comes zeroed from calloc");

 public:
  // Replaces the buffer by count zeroed elements. On failure the array is
  // empty and false is returned. Never call on the audio thread. The pages
  // of a large buffer are only touched as the meter writes them.
  bool Allocate(std::size_t count) {
    data_.reset();
    size_ = 0;
    if (count == 0) return true;
    data_.reset(static_cast<T*>(std::calloc(count, sizeof(T))));
    if (!data_) return false;
    size_ = count;
    return true;
  }

  std::size_t size() const { return size_; }
  T* data() { return data_.get(); }
  const T* data() const { return data_.get(); }
  T& operator[](std::size_t i) { return data_.get()[i]; }
  const T& operator[](std::size_t i) const { return data_.get()[i]; }

 private:
  struct Free {
    void operator()(T* p) const { std::free(p); }
  };
  std::unique_ptr<T, Free> data_;
  std::size_t size_ = 0;
};

}  // namespace kalvo5

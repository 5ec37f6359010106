// A buffer obtained once, at initialisation, and never resized while audio
// runs. Allocation failure is reported, not thrown.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

namespace kalvo5 {

template <typename T>
class FixedArray {
 public:
  // Replaces the buffer by count value-initialised elements. On failure the
  // array is empty and false is returned. Never call on the audio thread.
  bool Allocate(std::size_t count) {
    data_.reset();
    size_ = 0;
    if (count == 0) return true;
    data_.reset(new (std::nothrow) T[count]());
    if (!data_) return false;
    size_ = count;
    return true;
  }

  std::size_t size() const { return size_; }
  T* data() { return data_.get(); }
  const T* data() const { return data_.get(); }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }

 private:
  std::unique_ptr<T[]> data_;
  std::size_t size_ = 0;
};

}  // namespace kalvo5

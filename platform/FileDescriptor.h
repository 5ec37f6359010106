// Owns a file descriptor and closes it when it goes out of scope.
#pragma once

#include <unistd.h>

namespace platform {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : mFd(fd) {}
  ~FileDescriptor() {
    if (mFd >= 0) ::close(mFd);
  }
  FileDescriptor(FileDescriptor&& other) noexcept : mFd(other.Release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int Get() const { return mFd; }
  int Release() {
    const int fd = mFd;
    mFd = -1;
    return fd;
  }
  void Reset(int fd = -1) {
    if (mFd >= 0) ::close(mFd);
    mFd = fd;
  }
  // Closes now and reports whether that worked (a deferred write error can
  // show up here).
  bool Close() {
    const int fd = Release();
    return fd >= 0 && ::close(fd) == 0;
  }

 private:
  int mFd;
};

}  // namespace platform

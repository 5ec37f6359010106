#include "plugin/PresetFileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace kalvo5 {

namespace {

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : mFd(fd) {}
  ~FileDescriptor() {
    if (mFd >= 0) ::close(mFd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return mFd; }
  // Closes now and reports whether that worked (a deferred write error can
  // show up here).
  bool Close() {
    const int fd = mFd;
    mFd = -1;
    return fd >= 0 && ::close(fd) == 0;
  }

 private:
  int mFd;
};

void NormalizeLineEnds(std::string& text) {
  std::size_t out = 0;
  for (std::size_t in = 0; in < text.size(); ++in) {
    if (text[in] == '\r') {
      text[out++] = '\n';
      if (in + 1 < text.size() && text[in + 1] == '\n') ++in;
    } else {
      text[out++] = text[in];
    }
  }
  text.resize(out);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// A name for the new file in the target's folder that no other writer in
// this or another process picks at the same time. It is hidden and never
// looks like a preset file name, so a file left by a crash is not listed as
// a user preset.
std::string TemporaryPathFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  return folder + ".~kalvo5-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1)) +
         ".partial";
}

}  // namespace

bool ReadPresetFileText(const std::string& path, std::string& text) {
  text.clear();
  // Non-blocking, so that opening a FIFO does not wait for a writer.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  struct stat status {};
  if (file.Get() < 0 || ::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode) ||
      status.st_size <= 0 || status.st_size > kMaxPresetFileBytes)
    return false;
  text.resize(static_cast<std::size_t>(status.st_size));
  std::size_t filled = 0;
  while (filled < text.size()) {
    const ssize_t got = ::read(file.Get(), text.data() + filled, text.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // the file shrank meanwhile: keep what was read
    filled += static_cast<std::size_t>(got);
  }
  text.resize(filled);
  NormalizeLineEnds(text);
  return !text.empty();
}

bool WriteFileReplacing(const std::string& path, std::string_view bytes) {
  if (path.empty()) return false;
  const std::string temporary = TemporaryPathFor(path);
  FileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
  if (file.Get() < 0) return false;
  const bool complete = WriteAll(file.Get(), bytes) && ::fsync(file.Get()) == 0;
  if (!file.Close() || !complete || ::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace kalvo5

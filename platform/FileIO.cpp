#include "platform/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <system_error>

#include "platform/FileDescriptor.h"
#include "platform/RegularFileRead.h"

namespace platform {

namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// errno after a failed call; a write that stopped without one (it wrote
// nothing) counts as an input/output error.
int LastError() { return errno != 0 ? errno : EIO; }

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

namespace detail {

bool ReadRegularFile(const std::string& path, std::string& bytes, long long maxBytes, bool wholeOnly,
                     long long& size) {
  bytes.clear();
  // Non-blocking, so that opening a FIFO does not wait for a writer.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  struct stat status {};
  if (file.Get() < 0 || ::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode) ||
      status.st_size <= 0 || maxBytes <= 0 || (wholeOnly && status.st_size > maxBytes))
    return false;
  size = status.st_size;
  bytes.resize(static_cast<std::size_t>(std::min<long long>(size, maxBytes)));
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t got = ::read(file.Get(), bytes.data() + filled, bytes.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // the file shrank meanwhile: keep what was read
    filled += static_cast<std::size_t>(got);
  }
  bytes.resize(filled);
  return !bytes.empty();
}

}  // namespace detail

bool WriteFileReplacing(const std::string& path, std::string_view bytes, std::string* failure) {
  // The reason of the first step that failed, from errno right after it.
  const auto fail = [failure](int error) {
    if (failure) *failure = std::generic_category().message(error);
    return false;
  };
  if (path.empty()) return fail(ENOENT);
  const std::string temporary = TemporaryPathFor(path);
  FileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
  if (file.Get() < 0) return fail(LastError());
  errno = 0;
  const bool complete = WriteAll(file.Get(), bytes) && ::fsync(file.Get()) == 0;
  int error = complete ? 0 : LastError();
  if (!file.Close() && error == 0) error = LastError();
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = LastError();
  if (error != 0) {
    ::unlink(temporary.c_str());
    return fail(error);
  }
  return true;
}

}  // namespace platform

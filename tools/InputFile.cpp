#include "tools/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kalvo5::meter {
namespace {

const char* KindOfSpecialFile(mode_t mode) {
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "a special file";
}

// The refusal for what stat() or fstat() found; none for a regular file.
bool Refuse(const struct stat& status, InputRefusal& refusal) {
  if (S_ISREG(status.st_mode)) return false;
  refusal = S_ISDIR(status.st_mode)
                ? InputRefusal{InputRefusal::kFolder, {}}
                : InputRefusal{InputRefusal::kNotRegular, KindOfSpecialFile(status.st_mode)};
  return true;
}

}  // namespace

std::unique_ptr<InputFile> InputFile::Open(const std::string& path, InputRefusal& refusal) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) {
    refusal = errno == ENOENT || errno == ENOTDIR
                  ? InputRefusal{InputRefusal::kMissing, {}}
                  : InputRefusal{InputRefusal::kUnreadable, std::strerror(errno)};
    return nullptr;
  }
  // Opening a device can act on it (a tape rewinds), so nothing but a
  // regular file is opened; O_NONBLOCK keeps a file swapped for a pipe
  // since stat() from waiting, and fstat() then refuses it.
  if (Refuse(status, refusal)) {
    // A folder that cannot be listed (met while walking folders) says why.
    if (refusal.kind == InputRefusal::kFolder && access(path.c_str(), R_OK | X_OK) != 0)
      refusal = {InputRefusal::kUnreadableFolder, std::strerror(errno)};
    return nullptr;
  }
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0 || fstat(descriptor, &status) != 0) {
    refusal = {InputRefusal::kUnreadable, std::strerror(errno)};
    if (descriptor >= 0) close(descriptor);
    return nullptr;
  }
  if (Refuse(status, refusal)) {
    close(descriptor);
    return nullptr;
  }
  return std::unique_ptr<InputFile>(new InputFile(descriptor, static_cast<std::uint64_t>(status.st_size)));
}

InputFile::~InputFile() {
  if (descriptor_ >= 0) close(descriptor_);
}

std::size_t InputFile::ReadAt(std::uint64_t offset, void* out, std::size_t count) const {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t got =
        pread(descriptor_, static_cast<char*>(out) + done, count - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

int InputFile::Release() {
  const int descriptor = descriptor_;
  descriptor_ = -1;
  return descriptor;
}

}  // namespace kalvo5::meter

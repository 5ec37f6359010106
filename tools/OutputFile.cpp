#include "tools/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace kalvo5::meter {
namespace {

// The file a path writes to, as the shell's redirection writes: through
// symbolic links (also one whose target does not exist yet), so the link
// stays and its target gets the data. The path itself when it is no link or
// the links go round in a circle.
std::string ThroughLinks(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path at(path);
  for (int hop = 0; hop < 40; ++hop) {
    std::error_code ec;
    if (!fs::is_symlink(at, ec)) return at.string();
    const fs::path next = fs::read_symlink(at, ec);
    if (ec) return at.string();
    at = next.is_absolute() ? next : at.parent_path() / next;
  }
  return path;
}

}  // namespace

std::unique_ptr<PendingFile> PendingFile::Create(const std::string& path, std::string& error) {
  namespace fs = std::filesystem;
  static std::atomic<unsigned> counter{0};
  const std::string destination = ThroughLinks(path);
  const fs::path target(destination);
  if (target.filename().empty()) {
    error = "not a file name: " + path;
    return nullptr;
  }
  if (const std::string refusal = WriteRefusal(path); !refusal.empty()) {
    error = refusal;
    return nullptr;
  }
  struct stat existing {};
  const int mode =
      stat(destination.c_str(), &existing) == 0 ? static_cast<int>(existing.st_mode & 07777) : -1;
  // A hidden name that no reader of the folder takes for a finished file.
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = ".";
    name += target.filename().string();
    name += ".partial-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    const std::string temporary = (target.parent_path() / name).string();
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      close(fd);
      return std::unique_ptr<PendingFile>(new PendingFile(path, destination, temporary, mode));
    }
    if (errno != EEXIST) {
      error = "cannot create " + path + ": " + std::strerror(errno);
      return nullptr;
    }
  }
  error = "cannot create " + path + ": no free temporary name";
  return nullptr;
}

int PendingFile::OpenDescriptor() const { return open(temporary_.c_str(), O_RDWR | O_CLOEXEC); }

PendingFile::~PendingFile() {
  if (!committed_) unlink(temporary_.c_str());
}

bool PendingFile::Commit(std::string& error) {
  if (mode_ >= 0 && chmod(temporary_.c_str(), static_cast<mode_t>(mode_)) != 0) {
    error = "cannot write " + target_ + ": " + std::strerror(errno);
    return false;
  }
  if (std::rename(temporary_.c_str(), destination_.c_str()) != 0) {
    error = "cannot write " + target_ + ": " + std::strerror(errno);
    return false;
  }
  committed_ = true;
  return true;
}

std::string WriteRefusal(const std::string& path) {
  struct stat existing {};
  if (stat(path.c_str(), &existing) != 0) return {};
  if (S_ISDIR(existing.st_mode)) return "cannot write " + path + ": it is a folder";
  if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
    return "cannot write " + path + ": " + std::strerror(errno);
  }
  return {};
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat x {
  }, y{};
  return stat(a.c_str(), &x) == 0 && stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

}  // namespace kalvo5::meter

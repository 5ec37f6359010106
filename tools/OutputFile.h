// Output files that never destroy anything: written under a temporary name
// in the target's folder and renamed over the target only when complete.
#pragma once

#include <memory>
#include <string>

namespace kalvo5::meter {

class PendingFile {
 public:
  // Creates an empty temporary file beside `path`. Null with a message when
  // the folder cannot take it.
  static std::unique_ptr<PendingFile> Create(const std::string& path, std::string& error);
  ~PendingFile();  // removes the temporary file unless committed
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Where to write.
  const std::string& TemporaryPath() const { return temporary_; }
  // Renames the temporary file over the target. False with a message.
  bool Commit(std::string& error);

 private:
  PendingFile(std::string target, std::string temporary)
      : target_(std::move(target)), temporary_(std::move(temporary)) {}
  std::string target_, temporary_;
  bool committed_ = false;
};

// Whether two paths name the same existing file (same device and inode, so
// links count too).
bool SameFile(const std::string& a, const std::string& b);

}  // namespace kalvo5::meter

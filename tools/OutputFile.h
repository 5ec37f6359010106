// Output files that never destroy anything: written under a temporary name
// in the target's folder and renamed over the target only when complete.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace kalvo5::meter {

class PendingFile {
 public:
  // Creates an empty temporary file beside the file `path` names (through
  // symbolic links, which stay). Null with a message when
  // the folder cannot take it or `path` is a file the caller may not write
  // (WriteRefusal). The finished file keeps the mode of the file it
  // replaces.
  static std::unique_ptr<PendingFile> Create(const std::string& path, std::string& error);
  ~PendingFile();  // removes the temporary file unless committed
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Where to write, and where the file goes when complete.
  const std::string& TemporaryPath() const { return temporary_; }
  const std::string& Target() const { return target_; }
  // A descriptor open for writing (and reading back) on the temporary file,
  // owned by the caller; -1 when it cannot be opened.
  int OpenDescriptor() const;
  // Renames the temporary file over the target. False with a message.
  bool Commit(std::string& error);

 private:
  PendingFile(std::string target, std::string destination, std::string temporary, int mode)
      : target_(std::move(target)),
        destination_(std::move(destination)),
        temporary_(std::move(temporary)),
        mode_(mode) {}
  std::string target_;       // the path asked for
  std::string destination_;  // the file it names, through symbolic links
  std::string temporary_;
  int mode_;  // the replaced file's permission bits; -1 for a new file
  bool committed_ = false;
};

// Writes a text file through a PendingFile; `write` fills it. False with a
// message that says why it could not be written.
bool WriteTextFile(const std::string& path, const std::function<void(std::ostream&)>& write,
                   std::string& error);

// Why the caller may not write an output at `path`, as the shell's
// redirection would refuse it: an existing file without write permission
// for the caller, or a folder. Empty when it may.
std::string WriteRefusal(const std::string& path);

// Whether two paths name the same existing file (same device and inode, so
// links count too).
bool SameFile(const std::string& a, const std::string& b);

}  // namespace kalvo5::meter

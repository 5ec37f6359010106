// A file the command reads by name (an audio file, a preset file). Only a
// regular file is opened: a named pipe, a device or a socket is refused, and
// never opened in a way that could wait for a writer. The command's system
// calls for its inputs are all here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kalvo5::meter {

// Why a path could not be opened for reading.
struct InputRefusal {
  enum Kind { kMissing, kFolder, kUnreadableFolder, kNotRegular, kUnreadable } kind = kUnreadable;
  // kNotRegular: what it is ("a named pipe"); kUnreadable and
  // kUnreadableFolder: the system's reason
  std::string detail;
};

class InputFile {
 public:
  // Null with the refusal when `path` is missing, a folder, not a regular
  // file or unreadable.
  static std::unique_ptr<InputFile> Open(const std::string& path, InputRefusal& refusal);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  std::uint64_t Size() const { return size_; }
  // Reads up to `count` bytes at `offset` without moving the read position;
  // the number read, fewer at the end of the file or on an error.
  std::size_t ReadAt(std::uint64_t offset, void* out, std::size_t count) const;
  // Hands the descriptor, positioned at the start, to a reader that closes it.
  int Release();

 private:
  InputFile(int descriptor, std::uint64_t size) : descriptor_(descriptor), size_(size) {}
  int descriptor_;
  std::uint64_t size_;
};

// The refusal as a sentence about the `noun` ("audio file") at `path`.
std::string RefusalMessage(const InputRefusal& refusal, const std::string& noun, const std::string& path);

}  // namespace kalvo5::meter

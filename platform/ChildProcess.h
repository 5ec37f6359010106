// Starting other programs. Always with an argument vector, never through a
// shell, so no character of an argument (";", "$(…)", quotes, blanks) can
// become a command of its own. The child runs in a session of its own with
// standard input and error on /dev/null, none of our other descriptors, the
// default signal handling and our environment.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/FileDescriptor.h"

namespace platform {

// The full path of the executable regular file `name` in the first absolute
// folder of $PATH that holds one (the system's default path when PATH is
// unset); empty when there is none, or when the name holds a "/".
std::string FindProgram(const std::string& name);

// Starts `program` (a full path) with `arguments` after its own name, as the
// child of a child that ends at once, so that it is nobody's zombie when it
// ends. Standard output goes to /dev/null too. Waits only until the program
// has started; true when it has (false when it could not be executed or an
// argument holds a NUL character).
bool StartDetached(const std::string& program, const std::vector<std::string>& arguments);

// A child whose standard output is read through a pipe, without waiting.
// One thread at a time uses an object.
class OutputChild {
 public:
  enum class Progress {
    Running,      // it may write more
    Ended,        // it closed its output (normally by ending)
    StartFailed,  // the program could not be executed
  };

  OutputChild() = default;
  // A child still running is told to end (its whole process group) and is
  // reaped: waits at most about a second before killing it.
  ~OutputChild();
  OutputChild(OutputChild&& other) noexcept;
  OutputChild& operator=(OutputChild&& other) noexcept;
  OutputChild(const OutputChild&) = delete;
  OutputChild& operator=(const OutputChild&) = delete;

  // False when no process could be made; a program that cannot be executed
  // shows as StartFailed in ReadAvailable.
  bool Start(const std::string& program, const std::vector<std::string>& arguments);

  // Appends what the child wrote since the last call to `output`, keeping at
  // most limit + 1 bytes in it (so a longer output is recognisable), and
  // reaps a child that has ended. Never waits.
  Progress ReadAvailable(std::string& output, std::size_t limit);

 private:
  bool TryReap();
  void Terminate();

  pid_t mPid = -1;  // until reaped
  FileDescriptor mOutput;
  FileDescriptor mStartError;  // carries errno when the exec fails
  Progress mProgress = Progress::StartFailed;
};

}  // namespace platform

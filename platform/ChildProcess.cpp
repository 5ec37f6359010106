#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <utility>

#include "platform/Paths.h"

extern char** environ;

namespace platform {

namespace {

// The argv array of a program, built before forking: the child may not
// allocate.
class ArgumentVector {
 public:
  ArgumentVector(const std::string& program, const std::vector<std::string>& arguments) {
    mStrings.push_back(FileNameOf(program));
    mStrings.insert(mStrings.end(), arguments.begin(), arguments.end());
    for (std::string& text : mStrings) {
      if (text.find('\0') != std::string::npos) mValid = false;
      mPointers.push_back(text.data());
    }
    mPointers.push_back(nullptr);
  }
  bool Valid() const { return mValid; }
  char* const* Get() const { return mPointers.data(); }

 private:
  std::vector<std::string> mStrings;
  std::vector<char*> mPointers;
  bool mValid = true;
};

// What the child needs, prepared by the parent.
struct ChildSetup {
  const char* program;
  char* const* argv;
  int outputFd;  // becomes standard output; -1 for /dev/null
  int errorFd;   // receives errno when the start fails; close-on-exec
  int maxFd;     // descriptors to close when the system cannot close a range
};

int OpenFileLimit() {
  const long limit = sysconf(_SC_OPEN_MAX);
  return limit <= 0 ? 1024 : static_cast<int>(std::min(limit, 65536L));
}

void Report(int errorFd, int error) {
  if (::write(errorFd, &error, sizeof error) < 0) {
    // Nothing to do: the parent then takes the start as done.
  }
}

// Blocks every signal of the calling thread for its lifetime: a forked child
// must not run one of the host's handlers before it has reset them.
class SignalsBlocked {
 public:
  SignalsBlocked() {
    sigset_t all;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &mSaved);
  }
  ~SignalsBlocked() { ::pthread_sigmask(SIG_SETMASK, &mSaved, nullptr); }
  SignalsBlocked(const SignalsBlocked&) = delete;
  SignalsBlocked& operator=(const SignalsBlocked&) = delete;

 private:
  sigset_t mSaved{};
};

// Keeps a descriptor clear of 0, 1 and 2, which are about to be replaced.
int AboveStandardStreams(int fd) { return fd >= 0 && fd < 3 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 3) : fd; }

// Runs in the forked child. The parent may have other threads whose locks a
// thread that does not exist here may hold, so only async-signal-safe calls
// follow: nothing allocates.
[[noreturn]] void RunChild(const ChildSetup& setup) {
  ::setsid();
  // Ignored signals would stay ignored in the new program; all are blocked
  // until then.
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  for (int sig = 1; sig < NSIG; ++sig) ::sigaction(sig, &standard, nullptr);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);

  const int errorFd = AboveStandardStreams(setup.errorFd);
  const int outputFd = AboveStandardStreams(setup.outputFd);
  const int nullFd = AboveStandardStreams(::open("/dev/null", O_RDWR | O_CLOEXEC));
  if (errorFd < 0 || nullFd < 0 || (setup.outputFd >= 0 && outputFd < 0)) {
    Report(errorFd < 0 ? setup.errorFd : errorFd, errno);
    ::_exit(127);
  }
  if (::dup2(nullFd, 0) < 0 || ::dup2(outputFd >= 0 ? outputFd : nullFd, 1) < 0 || ::dup2(nullFd, 2) < 0) {
    Report(errorFd, errno);
    ::_exit(127);
  }
  // Everything else of ours closes at the exec; the error pipe stays open
  // until then.
  if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0)
    for (int fd = 3; fd < setup.maxFd; ++fd)
      if (fd != errorFd) ::close(fd);
  ::execve(setup.program, setup.argv, environ);
  Report(errorFd, errno);
  ::_exit(127);
}

void WaitForChild(pid_t pid) {
  // ECHILD: a host that ignores SIGCHLD has it reaped already.
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

// Reads the errno a failed start sent; 0 when the pipe closed without one.
int ReadStartError(int fd) {
  int error = 0;
  ssize_t got;
  while ((got = ::read(fd, &error, sizeof error)) < 0 && errno == EINTR) {
  }
  return got == static_cast<ssize_t>(sizeof error) ? (error != 0 ? error : EIO) : 0;
}

bool IsExecutableFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string FindProgram(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return {};
  std::string searchPath;
  if (const char* path = std::getenv("PATH")) {
    searchPath = path;
  } else {
    searchPath.resize(::confstr(_CS_PATH, nullptr, 0));
    if (!searchPath.empty()) {
      ::confstr(_CS_PATH, searchPath.data(), searchPath.size());
      searchPath.pop_back();  // the terminator
    }
  }
  std::size_t start = 0;
  while (start <= searchPath.size()) {
    std::size_t end = searchPath.find(':', start);
    if (end == std::string::npos) end = searchPath.size();
    // Relative entries would make the host's working folder decide what runs.
    const std::string folder = searchPath.substr(start, end - start);
    if (!folder.empty() && folder[0] == '/') {
      const std::string candidate = JoinPath(folder, name);
      if (IsExecutableFile(candidate)) return candidate;
    }
    start = end + 1;
  }
  return {};
}

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) {
  const ArgumentVector argv(program, arguments);
  if (program.empty() || !argv.Valid()) return false;
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return false;
  FileDescriptor readEnd(ends[0]);
  FileDescriptor writeEnd(ends[1]);
  const ChildSetup setup{program.c_str(), argv.Get(), -1, writeEnd.Get(), OpenFileLimit()};

  pid_t middle;
  {
    const SignalsBlocked blocked;
    middle = ::fork();
    if (middle == 0) {
      const pid_t child = ::fork();
      if (child == 0) RunChild(setup);
      if (child < 0) Report(setup.errorFd, errno);
      ::_exit(0);
    }
  }
  if (middle < 0) return false;
  writeEnd.Reset();
  WaitForChild(middle);
  return ReadStartError(readEnd.Get()) == 0;
}

OutputChild::~OutputChild() { Terminate(); }

OutputChild::OutputChild(OutputChild&& other) noexcept
    : mPid(std::exchange(other.mPid, -1)),
      mOutput(std::move(other.mOutput)),
      mStartError(std::move(other.mStartError)),
      mProgress(other.mProgress) {}

OutputChild& OutputChild::operator=(OutputChild&& other) noexcept {
  if (this != &other) {
    Terminate();
    mPid = std::exchange(other.mPid, -1);
    mOutput = std::move(other.mOutput);
    mStartError = std::move(other.mStartError);
    mProgress = other.mProgress;
  }
  return *this;
}

bool OutputChild::Start(const std::string& program, const std::vector<std::string>& arguments) {
  Terminate();
  mProgress = Progress::StartFailed;
  const ArgumentVector argv(program, arguments);
  if (program.empty() || !argv.Valid()) return false;
  int output[2];
  int error[2];
  if (::pipe2(output, O_CLOEXEC) != 0) return false;
  FileDescriptor outputRead(output[0]);
  FileDescriptor outputWrite(output[1]);
  if (::pipe2(error, O_CLOEXEC) != 0) return false;
  FileDescriptor errorRead(error[0]);
  FileDescriptor errorWrite(error[1]);
  const ChildSetup setup{program.c_str(), argv.Get(), outputWrite.Get(), errorWrite.Get(), OpenFileLimit()};

  pid_t pid;
  {
    const SignalsBlocked blocked;
    pid = ::fork();
    if (pid == 0) RunChild(setup);
  }
  if (pid < 0) return false;
  mPid = pid;
  ::fcntl(outputRead.Get(), F_SETFL, O_NONBLOCK);
  ::fcntl(errorRead.Get(), F_SETFL, O_NONBLOCK);
  mOutput = std::move(outputRead);
  mStartError = std::move(errorRead);
  mProgress = Progress::Running;
  return true;
}

OutputChild::Progress OutputChild::ReadAvailable(std::string& output, std::size_t limit) {
  if (mProgress != Progress::Running) {
    TryReap();
    return mProgress;
  }
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(mOutput.Get(), buffer, sizeof buffer);
    if (got > 0) {
      const std::size_t room = limit + 1 - std::min(output.size(), limit + 1);
      output.append(buffer, std::min(static_cast<std::size_t>(got), room));
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return Progress::Running;
    break;  // end of output, or an error that ends it as well
  }
  // The exec either closed the error pipe or the child wrote errno into it
  // before it ended, which closed its output.
  mProgress = ReadStartError(mStartError.Get()) == 0 ? Progress::Ended : Progress::StartFailed;
  mOutput.Reset();
  mStartError.Reset();
  TryReap();
  return mProgress;
}

bool OutputChild::TryReap() {
  if (mPid <= 0) return true;
  pid_t result;
  while ((result = ::waitpid(mPid, nullptr, WNOHANG)) < 0 && errno == EINTR) {
  }
  // ECHILD: a host that ignores SIGCHLD lets the system reap it.
  if (result == 0) return false;
  mPid = -1;
  return true;
}

void OutputChild::Terminate() {
  if (mPid <= 0) return;
  if (mProgress == Progress::Running) {
    // setsid made the child the leader of a group that holds whatever it
    // started; the second call covers a child that has not got that far.
    ::kill(-mPid, SIGTERM);
    ::kill(mPid, SIGTERM);
  }
  for (int attempt = 0; attempt < 200 && !TryReap(); ++attempt) ::usleep(5000);
  if (mPid > 0) {
    ::kill(-mPid, SIGKILL);
    ::kill(mPid, SIGKILL);
    WaitForChild(mPid);
    mPid = -1;
  }
  mOutput.Reset();
  mStartError.Reset();
}

}  // namespace platform

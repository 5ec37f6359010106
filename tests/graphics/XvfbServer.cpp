#include "XvfbServer.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <sstream>
#include <thread>

namespace graphicstest {
namespace {

std::string FindXvfb() {
  const char* path = getenv("PATH");
  std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    const std::string candidate = dir + "/Xvfb";
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

}  // namespace

XvfbServer::XvfbServer() {
  const std::string xvfb = FindXvfb();
  mInstalled = !xvfb.empty();
  if (!mInstalled) return;
  // Test programs run side by side: a number another one took makes Xvfb
  // exit at once, and the next number is tried.
  const int first = 90 + static_cast<int>(getpid() % 400);
  for (int n = first; n < first + 40 && mPid < 0; ++n) {
    const std::string number = std::to_string(n);
    std::string socket = "/tmp/.X11-unix/X", lock = "/tmp/.X", name = ":";
    socket += number;
    lock += number;
    lock += "-lock";
    name += number;
    if (Exists(socket) || Exists(lock)) continue;
    const pid_t pid = fork();
    if (pid < 0) return;
    if (pid == 0) {
      // A test program that dies takes its server with it.
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      // Room for an editor at twice its size, and for the pointer beyond it.
      execl(xvfb.c_str(), "Xvfb", name.c_str(), "-nolisten", "tcp", "-noreset", "-screen", "0",
            "1600x1000x24", static_cast<char*>(nullptr));
      _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool started = false, exited = false;
    while (!started && !exited && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      int status = 0;
      exited = waitpid(pid, &status, WNOHANG) == pid;
      started = !exited && Exists(socket);
    }
    if (started) {
      mPid = pid;
      mName = name;
    } else if (!exited) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
  if (mPid < 0) return;
  const char* previous = getenv("DISPLAY");
  mHadDisplay = previous != nullptr;
  if (mHadDisplay) mPreviousDisplay = previous;
  setenv("DISPLAY", mName.c_str(), 1);
}

XvfbServer::~XvfbServer() {
  if (mPid < 0) return;
  kill(mPid, SIGTERM);
  waitpid(mPid, nullptr, 0);
  if (mHadDisplay) {
    setenv("DISPLAY", mPreviousDisplay.c_str(), 1);
  } else {
    unsetenv("DISPLAY");
  }
}

}  // namespace graphicstest

// The resource limits the shared plug-in tests name, for the Windows build:
// Windows has no file-size limit, so setting one fails and the tests that
// need one (a full disk) are left out there (WindowsTests.cmake).
#pragma once

#include <signal.h>

struct rlimit {
  unsigned long long rlim_cur = 0;
  unsigned long long rlim_max = 0;
};
constexpr int RLIMIT_FSIZE = 1;
constexpr int SIGXFSZ = 25;
using sighandler_t = void (*)(int);
inline int getrlimit(int, rlimit*) { return -1; }
inline int setrlimit(int, const rlimit*) { return -1; }

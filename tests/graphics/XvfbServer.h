// A private X server for one test: Xvfb on a free display number, with
// DISPLAY pointing at it while it runs, stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <string>

namespace graphicstest {

class XvfbServer {
 public:
  XvfbServer();
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // False when Xvfb is not installed (the test skips) or did not start.
  bool Running() const { return mPid > 0; }
  bool Installed() const { return mInstalled; }
  const std::string& Name() const { return mName; }  // ":N"

 private:
  pid_t mPid = -1;
  bool mInstalled = false;
  std::string mName;
  std::string mPreviousDisplay;
  bool mHadDisplay = false;
};

}  // namespace graphicstest

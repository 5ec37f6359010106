// A signal one thread sleeps on and any thread may raise without waiting:
// raising it counts up atomically and wakes the sleeper through the kernel
// only when one sleeps (a POSIX semaphore; a Win32 semaphore on Windows), so
// even the audio thread may raise it. Each raise lets one Wait return.
#pragma once

#include <memory>

namespace platform {

class WakeSignal {
 public:
  WakeSignal();
  ~WakeSignal();
  WakeSignal(const WakeSignal&) = delete;
  WakeSignal& operator=(const WakeSignal&) = delete;

  void Raise();  // any thread; never blocks
  void Wait();   // until raised

 private:
  struct System;
  std::unique_ptr<System> mSystem;
};

}  // namespace platform

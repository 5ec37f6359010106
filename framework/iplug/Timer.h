// The framework timer and the process-wide lock that serialises main-thread
// work.
//
// The plug-in owns no thread that ticks: the host calls the plug-in back on
// its own GUI thread (effEditIdle every 15-40 ms while an editor is open,
// effIdle when it gives idle time), and each of those calls runs the ticks
// that are due. So every tick, and every host call a tick makes, happens on a
// host thread inside a call the host made into the plug-in.
//
// Dispatcher calls and ticks hold the one process-wide main-thread lock. It is
// let go around every call into the host (MainThreadUnlock), so a host that
// takes a lock of its own there can never deadlock against it. The audio
// thread never takes it.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

namespace iplug {

// The process-wide main-thread lock (recursive: a dispatcher call may stop a
// timer, a tick may call back into the plug-in).
std::recursive_mutex& MainThreadMutex();

// Holds the main-thread lock for its lifetime and marks the current thread as
// doing main-thread work.
class MainThreadScope {
 public:
  MainThreadScope();
  ~MainThreadScope();
  MainThreadScope(const MainThreadScope&) = delete;
  MainThreadScope& operator=(const MainThreadScope&) = delete;
};

// Lets go of every hold the current thread has on the main-thread lock for
// its lifetime and takes them back afterwards; nothing on a thread without
// one. Wrapped around each call into the host.
class MainThreadUnlock {
 public:
  MainThreadUnlock();
  ~MainThreadUnlock();
  MainThreadUnlock(const MainThreadUnlock&) = delete;
  MainThreadUnlock& operator=(const MainThreadUnlock&) = delete;

 private:
  int mDepth;
};

// True on a thread that currently holds a MainThreadScope (a dispatcher call
// or a tick). Editor work is only done there.
bool InMainThreadScope();

class Timer {
 public:
  using Callback = std::function<void()>;

  // Creates a timer that is started at once; its first tick is due one
  // interval from now. The callback runs under the main-thread lock.
  static std::unique_ptr<Timer> Create(Callback callback, int intervalMs);

  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  // Removes the timer from the process-wide list; the callback does not run
  // again. Any thread.
  void Stop();
  bool IsRunning() const;

  // Runs the callback when at least one interval (steady clock) has passed
  // since the last tick; the next one is due an interval later. Called from
  // the host's idle calls, on the host's thread.
  void TickIfDue();

  // Runs this timer's callback once now, on the calling thread, under the
  // main-thread lock (does nothing once stopped).
  void TickNow();

  // Runs one tick of every started timer, due or not, on the calling thread.
  static void TickAll();

  int IntervalMs() const { return mIntervalMs; }

 private:
  Timer(Callback callback, int intervalMs);
  friend class TimerList;

  Callback mCallback;
  int mIntervalMs;
  long long mNextDueMs = 0;  // guarded by the main-thread lock
  bool mRunning = false;     // guarded by the main-thread lock
};

}  // namespace iplug

// The framework timer and the locks that serialise main-thread work.
//
// The plug-in owns no thread that ticks: the host calls the plug-in back on
// its own GUI thread (effEditIdle every 15-40 ms while an editor is open,
// effIdle when it gives idle time), and each of those calls runs the ticks
// that are due. So every tick, and every host call a tick makes, happens on a
// host thread inside a call the host made into the plug-in.
//
// Each instance has a main-thread lock of its own: its dispatcher calls and
// its ticks hold it, so one instance's calls are serialised while another
// instance never waits for them. A lock is let go around every call into the
// host (MainThreadUnlock), so a host that takes a lock of its own there can
// never deadlock against it. The audio thread never takes one.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

namespace iplug {

// One instance's main-thread lock (recursive: a dispatcher call may stop a
// timer, a tick may call back into the plug-in).
using MainThreadLock = std::recursive_mutex;

// The lock of main-thread work that belongs to no instance yet: building an
// instance in the entry point, tests driving a plug-in object directly.
MainThreadLock& SharedMainThreadLock();

// Holds a main-thread lock for its lifetime and marks the current thread as
// doing main-thread work.
class MainThreadScope {
 public:
  MainThreadScope() : MainThreadScope(SharedMainThreadLock()) {}
  explicit MainThreadScope(MainThreadLock& lock);
  ~MainThreadScope();
  MainThreadScope(const MainThreadScope&) = delete;
  MainThreadScope& operator=(const MainThreadScope&) = delete;

 private:
  friend class MainThreadUnlock;
  MainThreadLock& mLock;
  MainThreadScope* mOuter;  // the scope this one sits in on this thread
};

// Lets go of every main-thread lock the current thread holds for its
// lifetime and takes them back afterwards, outermost first; nothing on a
// thread without one. Wrapped around each call into the host.
class MainThreadUnlock {
 public:
  MainThreadUnlock();
  ~MainThreadUnlock();
  MainThreadUnlock(const MainThreadUnlock&) = delete;
  MainThreadUnlock& operator=(const MainThreadUnlock&) = delete;

 private:
  static void Relock(MainThreadScope* scope);
  MainThreadScope* mInnermost;
};

// True on a thread that currently holds a MainThreadScope (a dispatcher call
// or a tick). Editor work is only done there.
bool InMainThreadScope();

class Timer {
 public:
  using Callback = std::function<void()>;

  // Creates a timer that is started at once; its first tick is due one
  // interval from now. The callback runs under `lock`, the main-thread lock
  // of the instance it belongs to.
  static std::unique_ptr<Timer> Create(Callback callback, int intervalMs,
                                       MainThreadLock& lock = SharedMainThreadLock());

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

  // Runs this timer's callback once now, on the calling thread, under its
  // main-thread lock (does nothing once stopped).
  void TickNow();

  // Runs one tick of every started timer, due or not, on the calling thread;
  // a timer whose lock another thread holds just then is left out (tests).
  static void TickAll();

  int IntervalMs() const { return mIntervalMs; }

 private:
  Timer(Callback callback, int intervalMs, MainThreadLock& lock);
  friend class TimerList;

  Callback mCallback;
  int mIntervalMs;
  MainThreadLock& mLock;
  long long mNextDueMs = 0;  // guarded by mLock
  bool mRunning = false;     // guarded by the timer list's lock
};

}  // namespace iplug

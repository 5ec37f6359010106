// The framework timer and the process-wide lock that serialises main-thread
// work.
//
// Hosts on Linux call the dispatcher from their GUI thread and may never give
// the plug-in an idle call, so the framework owns one UI thread per process.
// It ticks every started timer at its interval. Dispatcher calls (made under
// a MainThreadScope) and timer ticks never overlap: both hold the one
// process-wide main-thread lock. The audio thread never takes it.
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

 private:
  std::unique_lock<std::recursive_mutex> mLock;
};

// True on a thread that currently holds a MainThreadScope (a dispatcher call
// or a timer tick). Editor work is only done there.
bool InMainThreadScope();

class Timer {
 public:
  using Callback = std::function<void()>;

  // Creates a timer that is started at once. The callback runs on the UI
  // thread (or in TickAll/TickNow) under the main-thread lock.
  static std::unique_ptr<Timer> Create(Callback callback, int intervalMs);

  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  // Removes the timer from the process-wide list. Once Stop returns, the
  // callback is not running and will not run again. Safe from any thread,
  // also with the main-thread lock held.
  void Stop();
  bool IsRunning() const;

  // Runs this timer's callback once now, on the calling thread, under the
  // main-thread lock (does nothing once stopped).
  void TickNow();

  // Runs one tick of every started timer, due or not, on the calling thread.
  static void TickAll();

  // Whether the process-wide UI thread ticks the timers by itself (default
  // true). Tests switch it off and tick synchronously. Switching it off
  // stops the thread; a tick in progress finishes first.
  static void SetAutomaticTicks(bool enabled);
  static bool AutomaticTicks();

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

#include "Timer.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace iplug {

namespace {

// The innermost main-thread scope of this thread; each scope links to the
// one it sits in. Initial-exec, as every thread-local of the plug-in: in the
// static block each thread gets, never allocated on a thread's first call.
[[gnu::tls_model("initial-exec")]] thread_local MainThreadScope* tInnermostScope = nullptr;

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

MainThreadLock& SharedMainThreadLock() {
  static MainThreadLock lock;
  return lock;
}

MainThreadScope::MainThreadScope(MainThreadLock& lock) : mLock(lock), mOuter(tInnermostScope) {
  mLock.lock();
  tInnermostScope = this;
}

MainThreadScope::~MainThreadScope() {
  tInnermostScope = mOuter;
  mLock.unlock();
}

MainThreadUnlock::MainThreadUnlock() : mInnermost(tInnermostScope) {
  for (MainThreadScope* scope = mInnermost; scope; scope = scope->mOuter) scope->mLock.unlock();
  tInnermostScope = nullptr;
}

MainThreadUnlock::~MainThreadUnlock() {
  Relock(mInnermost);
  tInnermostScope = mInnermost;
}

void MainThreadUnlock::Relock(MainThreadScope* scope) {
  // Outermost first, the order in which they were taken.
  if (!scope) return;
  Relock(scope->mOuter);
  scope->mLock.lock();
}

bool InMainThreadScope() { return tInnermostScope != nullptr; }

// The process-wide list of started timers, with its own lock. A tick never
// holds it, so starting or stopping an instance's timer never waits for
// another instance's work.
class TimerList {
 public:
  static TimerList& Get() {
    static TimerList list;
    return list;
  }

  void Add(Timer* timer) {
    std::lock_guard<std::recursive_mutex> guard(mLock);
    if (timer->mRunning) return;
    timer->mRunning = true;
    timer->mNextDueMs = NowMs() + timer->mIntervalMs;
    mTimers.push_back(timer);
  }

  void Remove(Timer* timer) {
    std::lock_guard<std::recursive_mutex> guard(mLock);
    if (!timer->mRunning) return;
    timer->mRunning = false;
    mTimers.erase(std::remove(mTimers.begin(), mTimers.end(), timer), mTimers.end());
  }

  bool IsRunning(const Timer* timer) {
    std::lock_guard<std::recursive_mutex> guard(mLock);
    return timer->mRunning;
  }

  // One tick of every started timer. A callback may stop timers: index the
  // live list rather than a copy, so a stopped (perhaps destroyed) timer is
  // never called. A timer's own lock is only tried while the list's is held,
  // so an instance closing on another thread cannot deadlock against this.
  void RunAll() {
    std::lock_guard<std::recursive_mutex> guard(mLock);
    for (std::size_t i = 0; i < mTimers.size(); ++i) {
      Timer* timer = mTimers[i];
      std::unique_lock<MainThreadLock> busy(timer->mLock, std::try_to_lock);
      if (!busy.owns_lock()) continue;
      MainThreadScope scope(timer->mLock);
      busy.unlock();
      timer->mNextDueMs = NowMs() + timer->mIntervalMs;
      timer->mCallback();
    }
  }

 private:
  std::recursive_mutex mLock;
  std::vector<Timer*> mTimers;
};

Timer::Timer(Callback callback, int intervalMs, MainThreadLock& lock)
    : mCallback(std::move(callback)), mIntervalMs(std::max(1, intervalMs)), mLock(lock) {}

std::unique_ptr<Timer> Timer::Create(Callback callback, int intervalMs, MainThreadLock& lock) {
  std::unique_ptr<Timer> timer(new Timer(std::move(callback), intervalMs, lock));
  TimerList::Get().Add(timer.get());
  return timer;
}

Timer::~Timer() { Stop(); }

void Timer::Stop() { TimerList::Get().Remove(this); }

bool Timer::IsRunning() const { return TimerList::Get().IsRunning(this); }

void Timer::TickIfDue() {
  MainThreadScope scope(mLock);
  const long long now = NowMs();
  if (!IsRunning() || now < mNextDueMs) return;
  // A host that idles rarely gets one tick, not a burst of missed ones.
  mNextDueMs = now + mIntervalMs;
  mCallback();
}

void Timer::TickNow() {
  MainThreadScope scope(mLock);
  if (!IsRunning()) return;
  mNextDueMs = NowMs() + mIntervalMs;
  mCallback();
}

void Timer::TickAll() { TimerList::Get().RunAll(); }

}  // namespace iplug

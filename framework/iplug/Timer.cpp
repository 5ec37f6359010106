#include "Timer.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace iplug {

namespace {

thread_local int tMainScopeDepth = 0;

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

std::recursive_mutex& MainThreadMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

MainThreadScope::MainThreadScope() {
  MainThreadMutex().lock();
  ++tMainScopeDepth;
}

MainThreadScope::~MainThreadScope() {
  --tMainScopeDepth;
  MainThreadMutex().unlock();
}

MainThreadUnlock::MainThreadUnlock() : mDepth(tMainScopeDepth) {
  for (int n = 0; n < mDepth; ++n) MainThreadMutex().unlock();
  tMainScopeDepth = 0;
}

MainThreadUnlock::~MainThreadUnlock() {
  for (int n = 0; n < mDepth; ++n) MainThreadMutex().lock();
  tMainScopeDepth = mDepth;
}

bool InMainThreadScope() { return tMainScopeDepth > 0; }

// The process-wide list of started timers. Every member is guarded by the
// main-thread lock.
class TimerList {
 public:
  static TimerList& Get() {
    static TimerList list;
    return list;
  }

  void Add(Timer* timer) {
    MainThreadScope scope;
    if (timer->mRunning) return;
    timer->mRunning = true;
    timer->mNextDueMs = NowMs() + timer->mIntervalMs;
    mTimers.push_back(timer);
  }

  void Remove(Timer* timer) {
    MainThreadScope scope;
    if (!timer->mRunning) return;
    timer->mRunning = false;
    mTimers.erase(std::remove(mTimers.begin(), mTimers.end(), timer), mTimers.end());
  }

  // One tick of every started timer. A callback may stop timers: index the
  // live list rather than a copy, so a stopped (perhaps destroyed) timer is
  // never called. Caller holds the lock.
  void RunAll() {
    for (std::size_t i = 0; i < mTimers.size(); ++i) {
      Timer* timer = mTimers[i];
      timer->mNextDueMs = NowMs() + timer->mIntervalMs;
      timer->mCallback();
    }
  }

 private:
  TimerList() { MainThreadMutex(); }  // constructed first, so destroyed after this list

  std::vector<Timer*> mTimers;
};

Timer::Timer(Callback callback, int intervalMs)
    : mCallback(std::move(callback)), mIntervalMs(std::max(1, intervalMs)) {}

std::unique_ptr<Timer> Timer::Create(Callback callback, int intervalMs) {
  std::unique_ptr<Timer> timer(new Timer(std::move(callback), intervalMs));
  TimerList::Get().Add(timer.get());
  return timer;
}

Timer::~Timer() { Stop(); }

void Timer::Stop() { TimerList::Get().Remove(this); }

bool Timer::IsRunning() const {
  MainThreadScope scope;
  return mRunning;
}

void Timer::TickIfDue() {
  MainThreadScope scope;
  const long long now = NowMs();
  if (!mRunning || now < mNextDueMs) return;
  // A host that idles rarely gets one tick, not a burst of missed ones.
  mNextDueMs = now + mIntervalMs;
  mCallback();
}

void Timer::TickNow() {
  MainThreadScope scope;
  if (!mRunning) return;
  mNextDueMs = NowMs() + mIntervalMs;
  mCallback();
}

void Timer::TickAll() {
  MainThreadScope scope;
  TimerList::Get().RunAll();
}

}  // namespace iplug

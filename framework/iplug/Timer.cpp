#include "Timer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <thread>
#include <vector>

namespace iplug {

namespace {

thread_local int tMainScopeDepth = 0;

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// How long the UI thread waits before trying again when main-thread work
// (a dispatcher call) holds the lock.
constexpr long long kBusyRetryMs = 2;

}  // namespace

std::recursive_mutex& MainThreadMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

MainThreadScope::MainThreadScope() : mLock(MainThreadMutex()) { ++tMainScopeDepth; }

MainThreadScope::~MainThreadScope() { --tMainScopeDepth; }

bool InMainThreadScope() { return tMainScopeDepth > 0; }

// The process-wide list of started timers and the UI thread that ticks them.
//
// Lock order: the main-thread lock may be held while mThreadControl is taken,
// never the other way round. The UI thread only ever try-locks the main-thread
// lock, so joining it is safe even for a caller that holds that lock.
class TimerList {
 public:
  static TimerList& Get() {
    static TimerList list;
    return list;
  }

  ~TimerList() { StopThread(false); }

  void Add(Timer* timer) {
    {
      MainThreadScope scope;
      if (timer->mRunning) return;
      timer->mRunning = true;
      timer->mNextDueMs = NowMs() + timer->mIntervalMs;
      mTimers.push_back(timer);
      mCount.fetch_add(1);
    }
    EnsureThread();
  }

  void Remove(Timer* timer) {
    {
      MainThreadScope scope;
      if (!timer->mRunning) return;
      timer->mRunning = false;
      mTimers.erase(std::remove(mTimers.begin(), mTimers.end(), timer), mTimers.end());
      mCount.fetch_sub(1);
    }
    StopThreadIfIdle();
  }

  // Runs every started timer whose due time has come (all of them when
  // `all`); returns the time of the next due tick. Caller holds the lock.
  long long RunTimers(bool all) {
    const long long now = NowMs();
    // A callback may stop timers; index the live list rather than a copy so
    // that a stopped (perhaps destroyed) timer is never called.
    for (std::size_t i = 0; i < mTimers.size(); ++i) {
      Timer* timer = mTimers[i];
      if (!all && timer->mNextDueMs > now) continue;
      timer->mNextDueMs = now + timer->mIntervalMs;
      timer->mCallback();
    }
    long long next = now + 1000;
    for (const Timer* timer : mTimers) next = std::min(next, timer->mNextDueMs);
    return next;
  }

  void SetAutomatic(bool enabled) {
    mAutomatic.store(enabled);
    if (enabled) {
      EnsureThread();
    } else {
      StopThread(false);
    }
  }

  bool Automatic() const { return mAutomatic.load(); }

 private:
  TimerList() { MainThreadMutex(); }  // constructed first, so destroyed after this list

  void EnsureThread() {
    std::lock_guard<std::mutex> control(mThreadControl);
    if (!mAutomatic.load() || mCount.load() == 0) return;
    if (mThread.joinable()) {
      if (!mExitRequested) return;  // running
      // A thread that was asked to stop from inside a tick: wait for its end.
      mThread.join();
    }
    {
      std::lock_guard<std::mutex> state(mStateMutex);
      mExitRequested = false;
    }
    mThread = std::thread([this] { ThreadLoop(); });
  }

  void StopThreadIfIdle() { StopThread(true); }

  void StopThread(bool onlyIfIdle) {
    std::lock_guard<std::mutex> control(mThreadControl);
    if (onlyIfIdle && mCount.load() != 0) return;
    if (!mThread.joinable()) return;
    {
      std::lock_guard<std::mutex> state(mStateMutex);
      mExitRequested = true;
    }
    mWake.notify_all();
    // A timer stopped from one of its own ticks: the thread ends by itself
    // and is joined by the next start or at exit.
    if (mThread.get_id() != std::this_thread::get_id()) mThread.join();
  }

  void ThreadLoop() {
    long long wakeAt = NowMs() + 20;
    for (;;) {
      {
        std::unique_lock<std::mutex> state(mStateMutex);
        const auto delay = std::chrono::milliseconds(std::max(0LL, wakeAt - NowMs()));
        mWake.wait_for(state, delay, [this] { return mExitRequested; });
        if (mExitRequested) return;
      }
      std::unique_lock<std::recursive_mutex> main(MainThreadMutex(), std::try_to_lock);
      if (!main.owns_lock()) {
        wakeAt = NowMs() + kBusyRetryMs;
        continue;
      }
      ++tMainScopeDepth;
      wakeAt = RunTimers(false);
      --tMainScopeDepth;
    }
  }

  std::vector<Timer*> mTimers;  // guarded by the main-thread lock
  std::atomic<int> mCount{0};
  std::atomic<bool> mAutomatic{true};

  std::mutex mThreadControl;  // starting and stopping the thread
  std::thread mThread;        // guarded by mThreadControl

  std::mutex mStateMutex;  // the thread's wake-up
  std::condition_variable mWake;
  bool mExitRequested = false;  // guarded by mStateMutex (written under mThreadControl too)
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

void Timer::TickNow() {
  MainThreadScope scope;
  if (mRunning) mCallback();
}

void Timer::TickAll() {
  MainThreadScope scope;
  TimerList::Get().RunTimers(true);
}

void Timer::SetAutomaticTicks(bool enabled) { TimerList::Get().SetAutomatic(enabled); }

bool Timer::AutomaticTicks() { return TimerList::Get().Automatic(); }

}  // namespace iplug

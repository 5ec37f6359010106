// Runs one job at a time on a thread of its own, so that the thread that
// asks for it (the host's GUI thread) never waits on it: that thread starts
// a job, looks for its result on later ticks without blocking, and takes it
// once. A job never calls the host; it gets a flag that asks it to stop
// early, set when the job's owner goes away.
#pragma once

#include <atomic>
#include <functional>
#include <thread>
#include <utility>

namespace kalvo5 {

template <class Result>
class BackgroundJob {
 public:
  using Work = std::function<Result(const std::atomic<bool>& cancel)>;

  BackgroundJob() = default;
  BackgroundJob(const BackgroundJob&) = delete;
  BackgroundJob& operator=(const BackgroundJob&) = delete;
  // Asks a running job to stop and waits for it.
  ~BackgroundJob() {
    mCancel.store(true, std::memory_order_release);
    Join();
  }

  // Starts `work` unless a job is running or its result has not been taken;
  // returns whether it started. Owner's thread.
  bool Start(Work work) {
    if (mBusy) return false;
    Join();
    mBusy = true;
    mFinished.store(false, std::memory_order_relaxed);
    mCancel.store(false, std::memory_order_relaxed);
    mWorker = std::thread([this, work = std::move(work)] {
      mResult = work(mCancel);
      // Publishes mResult to the thread that sees mFinished set.
      mFinished.store(true, std::memory_order_release);
    });
    return true;
  }

  // True from Start until the result has been taken.
  bool Busy() const { return mBusy; }

  // Hands over a finished job's result once; false while there is none.
  // Never blocks. Owner's thread.
  bool TakeResult(Result& result) {
    if (!mBusy || !mFinished.load(std::memory_order_acquire)) return false;
    Join();
    result = std::move(mResult);
    mBusy = false;
    return true;
  }

 private:
  void Join() {
    if (mWorker.joinable()) mWorker.join();
  }

  std::thread mWorker;
  std::atomic<bool> mFinished{false};
  std::atomic<bool> mCancel{false};
  bool mBusy = false;
  Result mResult{};
};

}  // namespace kalvo5

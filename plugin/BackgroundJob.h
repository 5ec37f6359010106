// Runs one job at a time on a thread of its own, so that the thread that
// asks for it (the host's GUI thread) never waits on it: that thread starts
// a job, looks for its result on later ticks without blocking, and takes it
// once. A job never calls the host; it gets a flag that asks it to stop
// early, set when the job's owner goes away.
//
// The owner never waits for a running job, not even when it is destroyed
// (a host closing the instance while a transfer hangs on a slow server):
// the job's thread shares ownership of everything it touches (the work with
// its captures, the flag, the result slot) and is left to finish on its own;
// its result is dropped. Work must therefore capture what it needs by value,
// never its owner.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <utility>

namespace kalvo5 {

// Keeps the module that holds this code loaded until the process ends, so
// that a thread left running can still finish after the host unloads the
// plug-in. Safe from any thread; cheap after the first call.
void KeepModuleLoaded();

// How many job threads are running now, those left to end on their own
// included, and how many were ever started (any thread). Tests wait for
// none to run before their program ends.
int RunningBackgroundJobs();
int StartedBackgroundJobs();
// Counted by each job's thread as it starts and as it leaves its work.
void CountBackgroundJob(int change);

template <class Result>
class BackgroundJob {
 public:
  using Work = std::function<Result(const std::atomic<bool>& cancel)>;

  BackgroundJob() = default;
  BackgroundJob(const BackgroundJob&) = delete;
  BackgroundJob& operator=(const BackgroundJob&) = delete;
  // Asks a running job to stop and leaves it to end on its own thread.
  ~BackgroundJob() { Abandon(); }

  // Starts `work` unless a job is running or its result has not been taken;
  // returns whether it started. Owner's thread.
  bool Start(Work work) {
    if (mBusy) return false;
    mBusy = true;
    mShared = std::make_shared<Shared>();
    CountBackgroundJob(1);
    mWorker = std::thread([shared = mShared, work = std::move(work)] {
      shared->result = work(shared->cancel);
      // Publishes the result to the thread that sees `finished` set.
      shared->finished.store(true, std::memory_order_release);
      CountBackgroundJob(-1);
    });
    return true;
  }

  // True from Start until the result has been taken.
  bool Busy() const { return mBusy; }

  // Hands over a finished job's result once; false while there is none.
  // Never blocks (the thread has left its work and only returns). Owner's
  // thread.
  bool TakeResult(Result& result) {
    if (!mBusy || !mShared->finished.load(std::memory_order_acquire)) return false;
    mWorker.join();
    result = std::move(mShared->result);
    mShared.reset();
    mBusy = false;
    return true;
  }

 private:
  struct Shared {
    std::atomic<bool> cancel{false};
    std::atomic<bool> finished{false};
    Result result{};
  };

  void Abandon() {
    if (!mWorker.joinable()) return;
    mShared->cancel.store(true, std::memory_order_release);
    if (mShared->finished.load(std::memory_order_acquire)) {
      mWorker.join();
      return;
    }
    KeepModuleLoaded();
    mWorker.detach();
  }

  std::thread mWorker;
  std::shared_ptr<Shared> mShared;
  bool mBusy = false;
};

}  // namespace kalvo5

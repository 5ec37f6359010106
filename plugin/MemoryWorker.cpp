#include "MemoryWorker.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/WakeSignal.h"

namespace kalvo5 {

namespace {

// The process-wide worker. `lifecycle` serialises Register and Unregister,
// so one thread at most exists and the last one out may join it. `lock`
// guards the clients and their busy marks only: work runs outside it, so a
// client registering or leaving never waits for another's work.
struct WorkerState {
  std::mutex lifecycle;
  std::mutex lock;
  std::condition_variable workDone;
  std::vector<MemoryWorker::Client*> clients;
  std::thread thread;
  bool stop = false;
  platform::WakeSignal wake;
  std::atomic<unsigned long> wakeUps{0};
};

// Never destroyed: a host may exit without closing its instances, and a
// running thread must not meet the destructor of its state.
WorkerState& State() {
  static WorkerState* state = new WorkerState;
  return *state;
}

}  // namespace

void MemoryWorker::Client::WorkWanted() {
  // Only the first request until the worker takes it raises the signal: the
  // audio thread asks every block while retired memory waits.
  if (!mWanted.exchange(true, std::memory_order_acq_rel)) State().wake.Raise();
}

void MemoryWorker::Register(Client* client) {
  WorkerState& s = State();
  std::lock_guard<std::mutex> lifecycle(s.lifecycle);
  {
    std::lock_guard<std::mutex> lock(s.lock);
    s.clients.push_back(client);
    s.stop = false;
  }
  // Work wanted before the client was listed is done now.
  if (client->mWanted.load(std::memory_order_acquire)) s.wake.Raise();
  if (s.thread.joinable()) return;
  s.thread = std::thread([&s] {
    std::vector<Client*> due;
    for (;;) {
      s.wake.Wait();
      s.wakeUps.fetch_add(1, std::memory_order_relaxed);
      {
        std::lock_guard<std::mutex> lock(s.lock);
        if (s.stop) return;
        due.clear();
        for (Client* c : s.clients) {
          if (!c->mWanted.exchange(false, std::memory_order_acq_rel)) continue;
          c->mBusy = true;
          due.push_back(c);
        }
      }
      for (Client* c : due) {
        c->DoBackgroundWork();
        std::lock_guard<std::mutex> lock(s.lock);
        c->mBusy = false;
      }
      if (!due.empty()) s.workDone.notify_all();
    }
  });
}

void MemoryWorker::Unregister(Client* client) {
  WorkerState& s = State();
  std::lock_guard<std::mutex> lifecycle(s.lifecycle);
  {
    std::unique_lock<std::mutex> lock(s.lock);
    s.clients.erase(std::remove(s.clients.begin(), s.clients.end(), client), s.clients.end());
    s.workDone.wait(lock, [client] { return !client->mBusy; });
    if (!s.clients.empty()) return;
    s.stop = true;
  }
  s.wake.Raise();
  if (s.thread.joinable()) s.thread.join();
}

unsigned long MemoryWorker::WakeUps() { return State().wakeUps.load(std::memory_order_relaxed); }

}  // namespace kalvo5

#include "MemoryWorker.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace kalvo5 {

namespace {

// How often the worker looks for work: raising WorkWanted cannot wake a
// thread (that would be a system call, and it may happen on the audio
// thread), so the worker polls. A setting then takes effect within this
// much time plus the time its memory takes to obtain.
constexpr auto kPollInterval = std::chrono::milliseconds(10);

// The process-wide worker: its clients and its thread, guarded by `lock`.
// Work for a client runs with the lock held, so Unregister, which takes it,
// cannot return while that client's work runs. A thread runs while the
// generation it started with is current.
struct WorkerState {
  std::mutex lock;
  std::condition_variable stopping;
  std::vector<MemoryWorker::Client*> clients;
  std::thread thread;
  unsigned long generation = 0;
};

// Never destroyed: a host may exit without closing its instances, and a
// running thread must not meet the destructor of its state.
WorkerState& State() {
  static WorkerState* state = new WorkerState;
  return *state;
}

}  // namespace

void MemoryWorker::Register(Client* client) {
  WorkerState& s = State();
  std::lock_guard<std::mutex> lock(s.lock);
  s.clients.push_back(client);
  if (s.thread.joinable()) return;
  const unsigned long generation = ++s.generation;
  s.thread = std::thread([&s, generation] {
    std::unique_lock<std::mutex> held(s.lock);
    const auto stopped = [&s, generation] { return s.generation != generation; };
    while (!stopped()) {
      for (Client* c : s.clients)
        if (c->mWanted.exchange(false, std::memory_order_acq_rel)) c->DoBackgroundWork();
      s.stopping.wait_for(held, kPollInterval, stopped);
    }
  });
}

void MemoryWorker::Unregister(Client* client) {
  WorkerState& s = State();
  std::thread finished;
  {
    std::lock_guard<std::mutex> lock(s.lock);
    s.clients.erase(std::remove(s.clients.begin(), s.clients.end(), client), s.clients.end());
    if (!s.clients.empty()) return;
    ++s.generation;
    finished = std::move(s.thread);
  }
  s.stopping.notify_all();
  if (finished.joinable()) finished.join();
}

}  // namespace kalvo5

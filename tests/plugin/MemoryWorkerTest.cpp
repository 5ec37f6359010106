// The process's memory worker: it serves every instance that asks, sleeps
// while none does, and lets instances come and go while another's work runs.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <thread>

#include "plugin/MemoryWorker.h"

namespace kalvo5 {
namespace {

using namespace std::chrono_literals;

class CountingClient : public MemoryWorker::Client {
 public:
  std::atomic<int> runs{0};
  // While set, the work waits for it to clear: work in flight.
  std::atomic<bool> hold{false};
  std::atomic<bool> running{false};

 private:
  void DoBackgroundWork() override {
    running = true;
    while (hold.load()) std::this_thread::sleep_for(1ms);
    ++runs;
    running = false;
  }
};

bool Within(std::chrono::milliseconds limit, const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

TEST(MemoryWorker, ServesEveryClientThatAsksAndSleepsOtherwise) {
  CountingClient clients[8];
  for (auto& c : clients) MemoryWorker::Register(&c);
  // Asked many times before it runs, a client's work runs at least once
  // and the worker wakes once per first request, not per request.
  for (int round = 0; round < 3; ++round) {
    for (auto& c : clients)
      for (int i = 0; i < 100; ++i) c.WorkWanted();
    EXPECT_TRUE(Within(1000ms, [&] {
      for (auto& c : clients)
        if (c.runs.load() < round + 1) return false;
      return true;
    }));
  }
  // Idle: no request, no wake-up. A request made while the worker ran the
  // same client's work raised the signal again; those wake it once each
  // right away, then it sleeps.
  unsigned long wakeUps = MemoryWorker::WakeUps();
  for (int settle = 0; settle < 50; ++settle) {
    std::this_thread::sleep_for(20ms);
    const unsigned long now = MemoryWorker::WakeUps();
    if (now == wakeUps) break;
    wakeUps = now;
  }
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(MemoryWorker::WakeUps(), wakeUps);
  for (auto& c : clients) MemoryWorker::Unregister(&c);
}

TEST(MemoryWorker, ClientsComeAndGoWhileAnothersWorkRunsAndLeavingWaitsForOwnWork) {
  CountingClient busy, other;
  MemoryWorker::Register(&busy);
  busy.hold = true;
  busy.WorkWanted();
  ASSERT_TRUE(Within(1000ms, [&] { return busy.running.load(); }));
  // Another instance opens and closes without waiting for that work.
  auto elsewhere = std::async(std::launch::async, [&] {
    MemoryWorker::Register(&other);
    MemoryWorker::Unregister(&other);
  });
  EXPECT_EQ(elsewhere.wait_for(1s), std::future_status::ready);
  // The busy one's own close waits until its work is done.
  auto closing = std::async(std::launch::async, [&] { MemoryWorker::Unregister(&busy); });
  EXPECT_EQ(closing.wait_for(50ms), std::future_status::timeout);
  busy.hold = false;
  EXPECT_EQ(closing.wait_for(1s), std::future_status::ready);
  EXPECT_EQ(busy.runs.load(), 1);
  EXPECT_FALSE(busy.running.load());

  // A worker stopped by the last client starts again for the next.
  CountingClient later;
  MemoryWorker::Register(&later);
  later.WorkWanted();
  EXPECT_TRUE(Within(1000ms, [&] { return later.runs.load() == 1; }));
  MemoryWorker::Unregister(&later);
}

}  // namespace
}  // namespace kalvo5

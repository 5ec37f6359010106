// Every plug-in test program ends only once the job threads its tests left
// running (the update check of a closed instance) have ended: a thread still
// inside a transfer as the program exits holds memory of the TLS library,
// which the leak checker would report.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "plugin/BackgroundJob.h"

namespace {

class WaitForBackgroundJobs : public ::testing::Environment {
 public:
  void TearDown() override {
    if (kalvo5::StartedBackgroundJobs() == 0) return;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (kalvo5::RunningBackgroundJobs() > 0 && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    // A thread that left its work still exits, and frees its state as it does.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
};

[[maybe_unused]] const ::testing::Environment* const kWaitForBackgroundJobs =
    ::testing::AddGlobalTestEnvironment(new WaitForBackgroundJobs);

}  // namespace

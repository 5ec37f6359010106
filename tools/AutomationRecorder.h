// Collects the parameter values a plug-in writes to the host
// (audioMasterAutomate). Plug-ins write from their audio thread or from a UI
// thread of their own, so everything here is safe to call from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace kalvo5::meter {

class AutomationRecorder {
 public:
  using Clock = std::chrono::steady_clock;

  explicit AutomationRecorder(int parameterCount = 0);

  // Sizes the tables for a plug-in's parameter count; clears everything.
  void Reset(int parameterCount);

  // One audioMasterAutomate call. Indices outside the parameter list are
  // ignored.
  // `fromRenderThread` tells whether the plug-in wrote from inside a process
  // call of the rendering thread or from a thread of its own.
  void Record(int index, float normalized, bool fromRenderThread);

  // Number of writes recorded so far (a sequence number).
  std::uint64_t WriteCount() const;

  // Waits until a write with sequence number above `after` has arrived and the
  // writes following it have settled: either every parameter written in the
  // batch before has been written again, or no write came for `quiet`.
  // False when no such write arrives within `timeout`.
  bool WaitForBatch(std::uint64_t after, Clock::duration timeout,
                    Clock::duration quiet = std::chrono::milliseconds(2));

  // Waits until no write has come for `quiet` (returns at once when no write
  // came for that long already).
  void WaitForQuiet(Clock::duration quiet);

  // Whether every write so far came from inside process calls: then a block
  // that ends an automation period carries its own batch.
  bool WritesOnlyWhileProcessing() const;

  // Parameters written at least once, in index order.
  std::vector<int> WrittenIndices() const;
  // The latest value written to a parameter (0 when never written).
  float Latest(int index) const;

 private:
  bool BatchSettled(std::uint64_t after, Clock::duration quiet) const;  // caller holds mutex_

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<float> latest_;
  std::vector<std::uint64_t> lastWriteSeq_;  // sequence number of the latest write per parameter
  std::vector<int> previousBatch_;           // parameters of the last batch that settled
  std::uint64_t writes_ = 0;
  std::uint64_t writesElsewhere_ = 0;  // writes not made from inside a process call
  Clock::time_point lastWrite_{};
};

}  // namespace kalvo5::meter

// Collects the parameter values a plug-in writes to the host
// (audioMasterAutomate). Only writes made on the host's thread from inside
// one of its calls into the plug-in (a process or dispatcher call) reach it,
// so it is used from that one thread and needs no lock.
#pragma once

#include <cstdint>
#include <vector>

namespace kalvo5::meter {

class AutomationRecorder {
 public:
  explicit AutomationRecorder(int parameterCount = 0);

  // Sizes the tables for a plug-in's parameter count; clears everything.
  void Reset(int parameterCount);

  // Forgets every write, keeping the size.
  void Clear() { Reset(static_cast<int>(latest_.size())); }

  // One audioMasterAutomate call. Indices outside the parameter list are
  // ignored.
  void Record(int index, float normalized);

  // Number of writes recorded so far.
  std::uint64_t WriteCount() const { return writes_; }

  // Parameters written at least once, in index order.
  std::vector<int> WrittenIndices() const;
  // The latest value written to a parameter (0 when never written).
  float Latest(int index) const;

 private:
  std::vector<float> latest_;
  std::vector<bool> written_;
  std::uint64_t writes_ = 0;
};

}  // namespace kalvo5::meter

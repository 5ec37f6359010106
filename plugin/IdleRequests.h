// What the plug-in asks of the next idle tick on the host's GUI thread:
// raised on any thread (the audio thread and host automation included, so a
// plain atomic store), taken once there.
#pragma once

#include <atomic>

namespace kalvo5 {

enum class IdleRequest {
  MeterRefresh,    // the meter columns from the latest readings
  ReadoutRefresh,  // the read-outs from the latest readings
  EditorResize,    // the editor window to the "GUI Scale"
  Tooltips,        // tooltips switched on or off
  AnalyzerView,    // the page, scale captions and unit texts of "Type"
  About,           // the About box
  UpdateCheck,     // a manual update check
};

class IdleRequests {
 public:
  void Raise(IdleRequest request) { Flag(request).store(true, std::memory_order_release); }
  // True once per raising (or per several raisings before it).
  bool Take(IdleRequest request) { return Flag(request).exchange(false, std::memory_order_acq_rel); }

 private:
  static constexpr int kCount = static_cast<int>(IdleRequest::UpdateCheck) + 1;
  std::atomic<bool>& Flag(IdleRequest request) { return mFlags[static_cast<int>(request)]; }
  std::atomic<bool> mFlags[kCount] = {};
};

}  // namespace kalvo5

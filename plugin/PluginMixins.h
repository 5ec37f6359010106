// Small mixin bases of the plug-in class.
#pragma once

#include <atomic>
#include <string>

namespace kalvo5 {

// The latency last reported to the host, for hosts that want a changed
// latency re-reported.
class IExtPDCHandler {
 public:
  int PDCLatency() const { return mPDCLatency.load(); }
  void SetPDCLatency(int samples) { mPDCLatency.store(samples); }

 private:
  std::atomic<int> mPDCLatency{0};
};

// A message box the idle handler shows when pending. Main thread.
class ICMessageBox {
 public:
  void RequestMessageBox(const std::string& text, const std::string& caption) {
    mMessageText = text;
    mMessageCaption = caption;
    mMessagePending = true;
  }

 protected:
  std::string mMessageText;
  std::string mMessageCaption;
  bool mMessagePending = false;
};

}  // namespace kalvo5

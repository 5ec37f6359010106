// Small helper classes the plug-in class holds as members: the latency
// reported to the host and a message box waiting for the idle handler.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <utility>

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
  struct Message {
    std::string text;
    std::string caption;
  };

  void RequestMessageBox(const std::string& text, const std::string& caption) {
    mMessage = Message{text, caption};
  }
  // The pending message, once.
  std::optional<Message> TakeMessage() { return std::exchange(mMessage, std::nullopt); }

 private:
  std::optional<Message> mMessage;
};

}  // namespace kalvo5

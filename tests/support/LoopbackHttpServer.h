// A real HTTP server on 127.0.0.1 for tests: answers every request with a
// fixed status and body, accepts connections and never answers, or sends the
// head and the first half of the body and then stalls.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kalvo5::test {

class LoopbackHttpServer {
 public:
  enum class Behaviour { Answer, NeverAnswer, StallMidReply };

  LoopbackHttpServer(int status, std::string body, Behaviour behaviour = Behaviour::Answer);
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  // "http://127.0.0.1:<port>"
  std::string BaseAddress() const;
  int RequestCount() const { return requests_.load(); }
  // The request line of the latest request, e.g. "GET /path HTTP/1.1".
  std::string LastRequestLine() const;

 private:
  void Serve();
  void Answer(int connection);

  int status_;
  std::string body_;
  Behaviour behaviour_;
  int listener_ = -1;
  int wakeRead_ = -1, wakeWrite_ = -1;
  int port_ = 0;
  std::atomic<int> requests_{0};
  mutable std::mutex mutex_;
  std::string lastRequestLine_;
  std::vector<int> heldConnections_;
  std::thread thread_;
};

}  // namespace kalvo5::test

// The version check's WinHTTP transfer against a server on the loopback
// interface (Winsock, one connection a test): a 200 reply is classified, an
// error page is no version whatever its body says, and a set cancel flag
// ends a transfer whose server never answers.
#include <gtest/gtest.h>
#include <winsock2.h>
// After winsock2.h, which must come before windows.h.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "plugin/UpdateCheck.h"

namespace {

// Answers one request with `reply`, or holds the connection without a word
// until it is closed when `reply` is empty.
class OneReplyServer {
 public:
  explicit OneReplyServer(std::string reply) : mReply(std::move(reply)) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    mListener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(mListener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(mListener, reinterpret_cast<sockaddr*>(&address), &length);
    mPort = ntohs(address.sin_port);
    listen(mListener, 1);
    mThread = std::thread([this] {
      const SOCKET client = accept(mListener, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      std::string request;
      char buffer[1024];
      int got = 0;
      while (request.find("\r\n\r\n") == std::string::npos &&
             (got = recv(client, buffer, sizeof buffer, 0)) > 0)
        request.append(buffer, static_cast<std::size_t>(got));
      if (!mReply.empty()) {
        send(client, mReply.data(), static_cast<int>(mReply.size()), 0);
      } else {
        while (!mStop.load()) Sleep(10);
      }
      closesocket(client);
    });
  }
  ~OneReplyServer() {
    mStop = true;
    closesocket(mListener);
    mThread.join();
    WSACleanup();
  }
  std::string Address() const {
    return "http://127.0.0.1:" + std::to_string(mPort) + "/versioncheck?productname=Kalvo5";
  }

 private:
  std::string mReply;
  SOCKET mListener = INVALID_SOCKET;
  int mPort = 0;
  std::atomic<bool> mStop{false};
  std::thread mThread;
};

std::string Reply(const std::string& status, const std::string& body) {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

TEST(WinHttpVersionCheck, ClassifiesAVersionRepliedWith200) {
  OneReplyServer server(Reply("200 OK", "99.0.0"));
  kalvo5::VersionReply reply;
  EXPECT_EQ(kalvo5::QueryServerVersion(server.Address(), reply, 10),
            kalvo5::VersionCheckResult::UpdateAvailable);
  EXPECT_EQ(reply.status, 0);
}

TEST(WinHttpVersionCheck, AnErrorPageIsNoVersion) {
  OneReplyServer server(Reply("404 Not Found", "99.0.0"));
  kalvo5::VersionReply reply;
  EXPECT_EQ(kalvo5::QueryServerVersion(server.Address(), reply, 10), kalvo5::VersionCheckResult::NotAVersion);
}

TEST(WinHttpVersionCheck, CancelEndsATransferTheServerNeverAnswers) {
  OneReplyServer server("");
  std::atomic<bool> cancel{false};
  std::thread canceller([&] {
    Sleep(300);
    cancel = true;
  });
  const auto start = std::chrono::steady_clock::now();
  kalvo5::VersionReply reply;
  EXPECT_EQ(kalvo5::QueryServerVersion(server.Address(), reply, 30, &cancel),
            kalvo5::VersionCheckResult::TransferFailed);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_FALSE(reply.text.empty());
  canceller.join();
}

}  // namespace

#include "support/LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace kalvo5::test {
namespace {

const char* ReasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 404:
      return "Not Found";
    case 500:
      return "Internal Server Error";
    default:
      return "Status";
  }
}

void WriteAll(int fd, const std::string& data) {
  std::size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return;
    sent += static_cast<std::size_t>(n);
  }
}

}  // namespace

LoopbackHttpServer::LoopbackHttpServer(int status, std::string body, Behaviour behaviour)
    : status_(status), body_(std::move(body)), behaviour_(behaviour) {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  if (listener_ < 0) throw std::runtime_error("socket failed");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 8) != 0)
    throw std::runtime_error("bind/listen on loopback failed");
  socklen_t length = sizeof address;
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  int wake[2];
  if (::pipe(wake) != 0) throw std::runtime_error("pipe failed");
  wakeRead_ = wake[0];
  wakeWrite_ = wake[1];
  thread_ = std::thread([this] { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
  const char stop = 1;
  (void)::write(wakeWrite_, &stop, 1);
  thread_.join();
  for (int fd : heldConnections_) ::close(fd);
  ::close(listener_);
  ::close(wakeRead_);
  ::close(wakeWrite_);
}

std::string LoopbackHttpServer::BaseAddress() const { return "http://127.0.0.1:" + std::to_string(port_); }

std::string LoopbackHttpServer::LastRequestLine() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lastRequestLine_;
}

void LoopbackHttpServer::Serve() {
  for (;;) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents != 0) return;
    const int connection = ::accept(listener_, nullptr, nullptr);
    if (connection < 0) continue;
    if (behaviour_ == Behaviour::NeverAnswer) {
      heldConnections_.push_back(connection);
      requests_.fetch_add(1);
      continue;
    }
    Answer(connection);
    if (behaviour_ == Behaviour::StallMidReply)
      heldConnections_.push_back(connection);
    else
      ::close(connection);
  }
}

void LoopbackHttpServer::Answer(int connection) {
  // Read the request head (bounded in size and time).
  std::string request;
  char buffer[1024];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
    pollfd fd = {connection, POLLIN, 0};
    if (::poll(&fd, 1, 2000) <= 0) break;
    const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    request.append(buffer, static_cast<std::size_t>(n));
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    lastRequestLine_ = request.substr(0, request.find("\r\n"));
  }
  requests_.fetch_add(1);
  const std::size_t sent = behaviour_ == Behaviour::StallMidReply ? body_.size() / 2 : body_.size();
  WriteAll(connection, "HTTP/1.1 " + std::to_string(status_) + " " + ReasonPhrase(status_) +
                           "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body_.size()) +
                           "\r\nConnection: close\r\n\r\n" + body_.substr(0, sent));
}

}  // namespace kalvo5::test

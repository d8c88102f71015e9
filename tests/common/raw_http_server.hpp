#pragma once
// A loopback HTTP server for tests that must see the request bytes exactly as they went
// out. It listens before the constructor returns, so no test waits for readiness.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tessaly::testing {

class RawHttpServer {
 public:
  // The raw response bytes. Empty bytes keep the connection open without answering until
  // the server stops; `thenHold` sends the bytes and then keeps it open (a stalled body).
  struct Reply {
    Reply(std::string text = {}, bool hold = false) : bytes(std::move(text)), thenHold(hold) {}
    Reply(const char* text) : bytes(text) {}
    std::string bytes;
    bool thenHold = false;
  };
  // Gets the raw request (head and body) and returns the reply.
  using Handler = std::function<Reply(const std::string& request)>;

  explicit RawHttpServer(Handler handler) : handler_(std::move(handler)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    int yes = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(listener_, 16);
    socklen_t len = sizeof addr;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { serve(); });
  }

  ~RawHttpServer() {
    stopping_ = true;
    thread_.join();
    ::close(listener_);
  }

  int port() const { return port_; }
  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }

  std::vector<std::string> requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }

  // Waits until `count` requests have arrived (or a generous limit passes).
  bool waitForRequests(std::size_t count) const {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::seconds(30),
                             [&] { return requests_.size() >= count; });
  }

  std::size_t replyCount() const {
    std::lock_guard lock(mutex_);
    return replies_;
  }

  // Waits until `count` non-empty replies have been written out.
  bool waitForReplies(std::size_t count) const {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::seconds(30), [&] { return replies_ >= count; });
  }

  static std::string response(int status, const std::string& body,
                              const std::string& extraHeaders = "") {
    return "HTTP/1.1 " + std::to_string(status) +
           " X\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n" +
           extraHeaders + "\r\n" + body;
  }

 private:
  bool readable(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, ms) > 0;
  }

  void serve() {
    std::vector<int> held;  // connections kept open without an answer
    while (!stopping_) {
      if (!readable(listener_, 20)) continue;
      const int fd = ::accept(listener_, nullptr, nullptr);
      if (fd < 0) continue;
      std::string request;
      char buffer[4096];
      std::size_t bodyNeeded = std::string::npos;
      while (!stopping_ && readable(fd, 2000)) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<std::size_t>(n));
        const std::size_t headEnd = request.find("\r\n\r\n");
        if (headEnd == std::string::npos) continue;
        if (bodyNeeded == std::string::npos) {
          bodyNeeded = 0;
          std::string lower = request.substr(0, headEnd);
          for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
          const std::size_t at = lower.find("\r\ncontent-length:");
          if (at != std::string::npos) bodyNeeded = std::stoul(lower.substr(at + 17));
        }
        if (request.size() >= headEnd + 4 + bodyNeeded) break;
      }
      {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
      }
      arrived_.notify_all();
      const Reply reply = handler_(request);
      const std::string& bytes = reply.bytes;
      std::size_t sent = 0;
      while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
      }
      if (!bytes.empty()) {
        {
          std::lock_guard lock(mutex_);
          ++replies_;
        }
        arrived_.notify_all();
      }
      if (bytes.empty() || reply.thenHold)
        held.push_back(fd);
      else
        ::close(fd);
    }
    for (int fd : held) ::close(fd);
  }

  Handler handler_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::size_t replies_ = 0;
  mutable std::condition_variable arrived_;
};

}  // namespace tessaly::testing

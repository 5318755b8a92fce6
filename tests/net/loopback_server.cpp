#include "loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace larkbay::testing {
namespace {

constexpr std::size_t kMaxRequest = 64 << 20;
constexpr int kPollMs = 20;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool SameNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// The header lines of a head, without the request line.
std::vector<std::string_view> HeadLines(std::string_view head) {
  std::vector<std::string_view> lines;
  size_t start = head.find("\r\n");
  while (start != std::string_view::npos) {
    start += 2;
    const size_t end = head.find("\r\n", start);
    if (end == std::string_view::npos || end == start) break;
    lines.push_back(head.substr(start, end - start));
    start = end;
  }
  return lines;
}

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

}  // namespace

std::string RecordedRequest::Header(std::string_view name) const {
  for (std::string_view line : HeadLines(head)) {
    const size_t colon = line.find(':');
    if (colon != std::string_view::npos && SameNoCase(Trim(line.substr(0, colon)), name)) {
      return std::string(Trim(line.substr(colon + 1)));
    }
  }
  return {};
}

bool RecordedRequest::HasHeader(std::string_view name) const {
  for (std::string_view line : HeadLines(head)) {
    const size_t colon = line.find(':');
    if (colon != std::string_view::npos && SameNoCase(Trim(line.substr(0, colon)), name)) return true;
  }
  return false;
}

Answer Answer::Raw(std::string bytes) {
  Answer answer;
  answer.steps.push_back({std::chrono::milliseconds(0), std::move(bytes)});
  return answer;
}

Answer Answer::Http(std::string status, std::vector<std::string> lines, std::string body) {
  std::string bytes = "HTTP/1.1 " + status + "\r\n";
  for (const std::string& line : lines) bytes += line + "\r\n";
  bytes += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
  bytes += body;
  return Raw(std::move(bytes));
}

Answer Answer::Chunked(std::string status, std::vector<std::string> lines,
                       std::vector<std::string> pieces) {
  std::string bytes = "HTTP/1.1 " + status + "\r\n";
  for (const std::string& line : lines) bytes += line + "\r\n";
  bytes += "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n";
  static constexpr char kHex[] = "0123456789abcdef";
  for (const std::string& piece : pieces) {
    std::string size;
    for (size_t n = piece.size(); n > 0; n /= 16) size.insert(size.begin(), kHex[n % 16]);
    bytes += size + "\r\n" + piece + "\r\n";
  }
  bytes += "0\r\n\r\n";
  return Raw(std::move(bytes));
}

Answer Answer::Silence() {
  Answer answer;
  answer.holdOpen = true;
  return answer;
}

Answer& Answer::Then(std::chrono::milliseconds delay, std::string bytes) {
  steps.push_back({delay, std::move(bytes)});
  return *this;
}

LoopbackServer::LoopbackServer() {
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0) throw std::runtime_error("socket");
  const int on = 1;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address = Loopback(0);
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listenFd_, 64) != 0) {
    ::close(listenFd_);
    throw std::runtime_error("bind/listen");
  }
  socklen_t length = sizeof address;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  fallback_ = [](const RecordedRequest&) { return Answer::Http("404 Not Found", {}, "no route"); };
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() { Stop(); }

void LoopbackServer::Stop() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_ && !acceptor_.joinable()) return;
    stopping_ = true;
  }
  stopped_.notify_all();
  if (acceptor_.joinable()) acceptor_.join();
  std::list<Connection> connections;
  {
    std::lock_guard lock(mutex_);
    connections.swap(connections_);
  }
  for (Connection& connection : connections) connection.thread.join();
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    listenFd_ = -1;
  }
}

int LoopbackServer::UnusedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = Loopback(0);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);  // bound but never listening: connections are refused
  return ntohs(address.sin_port);
}

void LoopbackServer::Route(std::string target, Answer answer) {
  Route(std::move(target), [answer](const RecordedRequest&) { return answer; });
}

void LoopbackServer::Route(std::string target, Handler handler) {
  std::lock_guard lock(mutex_);
  routes_[std::move(target)] = std::move(handler);
}

void LoopbackServer::Fallback(Handler handler) {
  std::lock_guard lock(mutex_);
  fallback_ = std::move(handler);
}

std::string LoopbackServer::Base() const { return "http://127.0.0.1:" + std::to_string(port_); }

std::string LoopbackServer::Url(std::string_view target) const {
  return Base() + std::string(target);
}

std::vector<RecordedRequest> LoopbackServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::size_t LoopbackServer::RequestCount() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}

void LoopbackServer::KeepRequests(bool keep) {
  std::lock_guard lock(mutex_);
  keepRequests_ = keep;
}

void LoopbackServer::ClearRequests() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

Handler LoopbackServer::HandlerFor(const std::string& target) {
  std::lock_guard lock(mutex_);
  auto it = routes_.find(target);
  return it != routes_.end() ? it->second : fallback_;
}

bool LoopbackServer::Sleep(std::chrono::milliseconds delay) {
  std::unique_lock lock(mutex_);
  return !stopped_.wait_for(lock, delay, [this] { return stopping_; });
}

void LoopbackServer::AcceptLoop() {
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) return;
    }
    pollfd waiting{listenFd_, POLLIN, 0};
    if (::poll(&waiting, 1, kPollMs) <= 0) continue;
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    std::lock_guard lock(mutex_);
    // Finished connections are joined here so long runs do not pile them up.
    for (auto it = connections_.begin(); it != connections_.end();) {
      if (it->done->load()) {
        it->thread.join();
        it = connections_.erase(it);
      } else {
        ++it;
      }
    }
    auto done = std::make_shared<std::atomic<bool>>(false);
    connections_.push_back({std::thread([this, fd, done] {
                              Serve(fd);
                              done->store(true);
                            }),
                            done});
  }
}

void LoopbackServer::Serve(int fd) {
  auto stopping = [this] {
    std::lock_guard lock(mutex_);
    return stopping_;
  };
  // Reads what is there; false when the client left or the server stops.
  auto readSome = [&](std::string& into) {
    for (;;) {
      if (stopping()) return false;
      pollfd waiting{fd, POLLIN, 0};
      const int ready = ::poll(&waiting, 1, kPollMs);
      if (ready < 0) return false;
      if (ready == 0) continue;
      char buffer[65536];
      const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) return false;
      into.append(buffer, static_cast<size_t>(n));
      return true;
    }
  };

  RecordedRequest request;
  std::string& raw = request.raw;
  bool complete = false;
  size_t headEnd = std::string::npos;
  while (!complete && raw.size() < kMaxRequest) {
    if (headEnd == std::string::npos) {
      headEnd = raw.find("\r\n\r\n");
      if (headEnd != std::string::npos) {
        headEnd += 4;
        request.head = raw.substr(0, headEnd);
      }
    }
    if (headEnd != std::string::npos) {
      const std::string length = request.Header("Content-Length");
      const size_t want = length.empty() ? 0 : std::strtoull(length.c_str(), nullptr, 10);
      if (raw.size() >= headEnd + want) {
        request.body = raw.substr(headEnd, want);
        complete = true;
        break;
      }
    }
    if (!readSome(raw)) break;
  }
  const size_t space = request.head.find(' ');
  if (space != std::string::npos) {
    request.method = request.head.substr(0, space);
    const size_t targetEnd = request.head.find(' ', space + 1);
    request.target = request.head.substr(space + 1, targetEnd - space - 1);
  }
  {
    std::lock_guard lock(mutex_);
    if (keepRequests_) requests_.push_back(request);
  }

  if (complete) {
    const Answer answer = HandlerFor(request.target)(request);
    bool sending = true;
    for (const AnswerStep& step : answer.steps) {
      if (step.delay.count() > 0 && !Sleep(step.delay)) {
        sending = false;
        break;
      }
      size_t sent = 0;
      while (sent < step.bytes.size()) {
        const ssize_t n = ::send(fd, step.bytes.data() + sent, step.bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
          sending = false;
          break;
        }
        sent += static_cast<size_t>(n);
      }
      if (!sending) break;
    }
    if (sending && answer.reset) {
      const linger abort{1, 0};
      ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
      ::close(fd);
      return;
    }
    if (sending && !answer.holdOpen) ::shutdown(fd, SHUT_WR);
    // Wait for the client to leave (or the server to stop) so that nothing
    // still unread on either side turns into a reset.
    std::string rest;
    while (readSome(rest)) rest.clear();
  }
  ::close(fd);
}

}  // namespace larkbay::testing

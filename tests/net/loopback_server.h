#pragma once
// A raw-socket HTTP server on 127.0.0.1 for tests: it records every request
// byte for byte and answers with scripted raw bytes, so tests can check the
// exact wire form and serve broken answers (cut bodies, stalls, endless
// trickles, oversized header blocks) that a real server library would not.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace larkbay::testing {

struct RecordedRequest {
  std::string raw;     // exactly what came, head and body
  std::string head;    // request line and header lines, up to and with the empty line
  std::string body;    // as announced by Content-Length
  std::string method;
  std::string target;  // as on the request line (a path, or a whole URL for a proxy)
  // The value of the first header line with this name (any case); empty when none.
  std::string Header(std::string_view name) const;
  bool HasHeader(std::string_view name) const;
};

// Bytes sent after a pause.
struct AnswerStep {
  std::chrono::milliseconds delay{0};
  std::string bytes;
};

struct Answer {
  std::vector<AnswerStep> steps;
  // After the last step keep the connection open until the client leaves or
  // the server stops (a server that never finishes answering).
  bool holdOpen = false;
  // After the last step end the connection with a reset (RST) instead of a
  // close (a server or proxy that dies mid-answer).
  bool reset = false;

  static Answer Raw(std::string bytes);
  // "HTTP/1.1 " + status, the lines, Content-Length, "Connection: close" (the
  // server answers one request per connection), the empty line, the body.
  static Answer Http(std::string status, std::vector<std::string> lines = {},
                     std::string body = {});
  // The same with a chunked body, one chunk per piece.
  static Answer Chunked(std::string status, std::vector<std::string> lines,
                        std::vector<std::string> pieces);
  // A request that is read and never answered.
  static Answer Silence();
  Answer& Then(std::chrono::milliseconds delay, std::string bytes);
};

using Handler = std::function<Answer(const RecordedRequest&)>;

class LoopbackServer {
 public:
  LoopbackServer();   // listening on an ephemeral port
  ~LoopbackServer();  // Stop()
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // Answers for a request target (exact text of the request line's target).
  void Route(std::string target, Answer answer);
  void Route(std::string target, Handler handler);
  // For targets without a route; the default answers 404.
  void Fallback(Handler handler);

  int Port() const { return port_; }
  std::string Base() const;                           // "http://127.0.0.1:PORT"
  std::string Url(std::string_view target) const;     // Base() + target
  std::vector<RecordedRequest> Requests() const;
  std::size_t RequestCount() const;
  void ClearRequests();
  // Off: requests are answered but not kept (long benchmark runs).
  void KeepRequests(bool keep);

  // Ends every connection and joins every thread.
  void Stop();

  // A loopback port nothing listens on (connecting is refused).
  static int UnusedPort();

 private:
  void AcceptLoop();
  void Serve(int fd);
  bool Sleep(std::chrono::milliseconds delay);  // false when the server stops
  Handler HandlerFor(const std::string& target);

  int listenFd_ = -1;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::condition_variable stopped_;
  bool stopping_ = false;
  std::map<std::string, Handler> routes_;
  Handler fallback_;
  std::vector<RecordedRequest> requests_;
  bool keepRequests_ = true;
  struct Connection {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  std::list<Connection> connections_;
  std::thread acceptor_;
};

}  // namespace larkbay::testing

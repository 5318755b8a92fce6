#include "net/server_request.h"

#include <chrono>
#include <utility>

#include "net/cancel_token.h"
#include "net/http_request_engine.h"
#include "services/json/json_object.h"
#include "services/log/developer_log.h"
#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

constexpr int kPost = 1;
constexpr int kHead = 2;

// UnixSeconds gives at most ten characters, digits first.
std::int64_t SecondsOf(Utc8Time time) {
  const std::string text = UnixSeconds(time);
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string Checksum(const std::string& base64) { return Md5Hex(base64, true); }

std::string Base64Document(std::string_view document) { return Base64Encode(TextToUtf8(document)); }

std::string EnvelopeBody(std::string_view checksum, std::int64_t timestamp,
                         const std::string& base64) {
  std::string body = "data=";
  body += checksum;
  body += std::to_string(timestamp);
  body += SwapLetterCase(base64);
  return body;
}

}  // namespace

std::string GatewayPath(std::string_view path) {
  if ((path.empty() || path.front() != '/') && path.find("http") == std::string_view::npos) {
    std::string rooted(1, '/');
    rooted += path;
    return rooted;
  }
  return std::string(path);
}

std::string RequestDocument(std::string_view path, std::string_view data, int check) {
  JsonObject document;
  document.SetValue("path", GatewayPath(path));
  if (!data.empty()) document.SetValue("data", data);
  document.SetValue("check", check == 1 ? "1" : "0");
  return document.ToText();
}

std::string BuildEnvelope(std::string_view path, std::string_view data, int check,
                          std::int64_t timestamp) {
  return SealEnvelope(RequestDocument(path, data, check), timestamp);
}

std::string SealEnvelope(std::string_view document, std::int64_t timestamp) {
  const std::string base64 = Base64Document(document);
  return EnvelopeBody(Checksum(base64), timestamp, base64);
}

namespace {

std::int64_t SteadyMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

std::string DecodeAnswer(std::string_view answer) {
  return Utf8ToText(Base64Decode(SwapLetterCase(answer)));
}

ServerClient::ServerClient(std::string baseUrl) : baseUrl_(std::move(baseUrl)) {
  while (!baseUrl_.empty() && baseUrl_.back() == '/') baseUrl_.pop_back();
}

std::string ServerClient::GatewayUrl() const { return baseUrl_ + std::string(kGatewayScript); }

std::int64_t ServerClient::ClockOffset() const {
  const std::int64_t offset = offset_.load(std::memory_order_relaxed);
  return offset == kUnmeasured ? 0 : offset;
}

bool ServerClient::ClockMeasured() const {
  return offset_.load(std::memory_order_relaxed) != kUnmeasured;
}

void ServerClient::SetClockOffset(std::int64_t offset) {
  offset_.store(offset == kUnmeasured ? offset + 1 : offset, std::memory_order_relaxed);
}

void ServerClient::ForgetClockOffset() { offset_.store(kUnmeasured, std::memory_order_relaxed); }

void ServerClient::MeasureClock(std::string_view checksum, CancelToken* cancel) {
  std::string headers;
  HttpRequestArgs args;
  const std::string url = GatewayUrl();
  const std::string body = "data=" + std::string(checksum);
  args.url = url;
  args.method = kHead;
  args.body = body;
  args.responseHeaders = &headers;
  args.cancel = cancel;
  args.timeout = kClockProbeTimeout;
  HttpRequestEngine(args);
  if (headers.empty()) {
    // Nobody answered: the requests go out with the local clock for a while
    // rather than each waiting for a probe of its own.
    probeAgainAt_.store(SteadyMilliseconds() + kClockProbeRetry.count(), std::memory_order_relaxed);
    DevLog(LogArea::kNet, "clock probe unanswered; the local clock serves for now");
    return;
  }
  const Utc8Time server = HttpDateToUtc8(HeaderValue(headers, "Date"));
  if (!server.valid) return;  // no readable Date: stay unmeasured
  SetClockOffset(SecondsOf(server) - SecondsOf(LocalClockNow()));
}

std::string ServerClient::ServerRequest(std::string_view path, std::string_view data, int check,
                                        int decode, CancelToken* cancel) {
  const std::string base64 = Base64Document(RequestDocument(path, data, check));
  const std::string checksum = Checksum(base64);
  if (!ClockMeasured() && SteadyMilliseconds() >= probeAgainAt_.load(std::memory_order_relaxed))
    MeasureClock(checksum, cancel);
  if (cancel != nullptr && cancel->Cancelled()) return {};

  const std::int64_t timestamp = SecondsOf(LocalClockNow()) + ClockOffset();
  const std::string body = EnvelopeBody(checksum, timestamp, base64);

  HttpRequestArgs args;
  const std::string url = GatewayUrl();
  args.url = url;
  args.method = kPost;
  args.body = body;
  args.cancel = cancel;
  std::string status;
  args.status = &status;
  std::string answer = HttpRequestEngine(args);
  if (LogEnabled() && (answer.empty() || !status.starts_with("200")))
    DevLog(LogArea::kNet, "gateway " + std::string(path) + ": " + status + ", " +
                              std::to_string(answer.size()) + " bytes");
  return decode == 1 ? DecodeAnswer(answer) : answer;
}

}  // namespace larkbay

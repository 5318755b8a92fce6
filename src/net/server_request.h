#pragma once
// The one way to call the API server: a logical request (an API script path
// and its form data) is wrapped in a small JSON document, encoded (UTF-8,
// Base64, letter-case swap), signed with the MD5 of the Base64 text and a
// timestamp on the server's clock, and posted to the gateway script.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace larkbay {

class CancelToken;

inline constexpr std::string_view kGatewayScript = "/server_to_get.php";

// The path as the gateway gets it: "/" in front unless it already starts with
// "/" or holds "http".
std::string GatewayPath(std::string_view path);
// The compact JSON request document.
std::string RequestDocument(std::string_view path, std::string_view data, int check);
// The form body posted for a request made at server time `timestamp`:
// "data=" + 32 upper-case MD5 digits + timestamp digits + payload, nothing
// URL-encoded.
std::string BuildEnvelope(std::string_view path, std::string_view data, int check,
                          std::int64_t timestamp);
// The same body for any document text (BuildEnvelope seals RequestDocument);
// lets tests hand the gateway documents the client would never write.
std::string SealEnvelope(std::string_view document, std::int64_t timestamp);
// A gateway answer decoded: letter-case swap, Base64, UTF-8.
std::string DecodeAnswer(std::string_view answer);

// The clock probe's own limit, and the pause after a probe nobody answered.
inline constexpr std::chrono::milliseconds kClockProbeTimeout{3000};
inline constexpr std::chrono::milliseconds kClockProbeRetry{60000};

class ServerClient {
 public:
  explicit ServerClient(std::string baseUrl);
  ServerClient(const ServerClient&) = delete;
  ServerClient& operator=(const ServerClient&) = delete;

  // The answer text (decoded when `decode` is 1, otherwise as the gateway sent
  // it); empty when the exchange failed. The first request measures the
  // server's clock with a HEAD request; a HEAD that brings no readable Date
  // leaves the clock unmeasured, so the next request measures again. A HEAD
  // that brings no answer at all within kClockProbeTimeout costs that wait
  // once: requests go out with the local clock and the next probe waits
  // kClockProbeRetry.
  std::string ServerRequest(std::string_view path, std::string_view data, int check, int decode,
                            CancelToken* cancel = nullptr);

  // Server clock minus local clock in seconds; 0 until measured.
  std::int64_t ClockOffset() const;
  bool ClockMeasured() const;
  // Sets the offset as if measured (tests, and a value known from elsewhere).
  void SetClockOffset(std::int64_t offset);
  // Forgets the measurement: the next request measures again.
  void ForgetClockOffset();

  const std::string& BaseUrl() const { return baseUrl_; }
  std::string GatewayUrl() const;

 private:
  // Sentinel for "not measured"; any other value is a measured offset,
  // including 0 (an accurate local clock).
  static constexpr std::int64_t kUnmeasured = std::numeric_limits<std::int64_t>::min();

  void MeasureClock(std::string_view checksum, CancelToken* cancel);

  std::string baseUrl_;
  std::atomic<std::int64_t> offset_{kUnmeasured};
  // Steady-clock milliseconds before which no probe is made again (after one
  // that got no answer).
  std::atomic<std::int64_t> probeAgainAt_{0};
};

}  // namespace larkbay

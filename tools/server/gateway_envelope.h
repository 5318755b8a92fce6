#pragma once
// The gateway's wire form. A request body is
//   "data=" + MD5 (32 upper-case hex digits, of the Base64 text before its case
//   swap) + the client's timestamp (decimal Unix seconds of our clock) + the
//   case-swapped Base64 of the UTF-8 JSON {"path":..,"data":..,"check":..};
// the answer mirrors it: the case-swapped Base64 of UTF-8 text.

#include <cstdint>
#include <string>
#include <string_view>

namespace larkbay::server {

enum class GatewayStatus {
  kOk,
  kMalformed,      // not "data=" + digest + timestamp + payload, or no JSON envelope
  kBadChecksum,    // the digest does not belong to the payload
  kStaleTimestamp  // outside the clock window
};

struct GatewayRequest {
  GatewayStatus status = GatewayStatus::kMalformed;
  std::int64_t timestamp = 0;
  std::string path;   // as the client wrote it, normally "/Lark-Bay/Tool/Api/..."
  std::string data;   // the form text; empty when the envelope had none
  std::string check;  // "1" or "0"
};

// Checks and opens a request body. `now` is the server's Unix time; a timestamp
// further than `windowSeconds` from it, either way, is stale.
GatewayRequest OpenGatewayRequest(std::string_view body, std::int64_t now,
                                  std::int64_t windowSeconds);

// The answer's transport form.
std::string SealGatewayAnswer(std::string_view utf8Text);

// A short, plain text for a refused request (never sealed: a client that
// decodes it gets no JSON, one that reads it raw gets a short text).
std::string GatewayRefusal(GatewayStatus status);

}  // namespace larkbay::server

#include "gateway_envelope.h"

#include <nlohmann/json.hpp>

#include "services/text/text_helpers.h"

namespace larkbay::server {
namespace {

constexpr std::string_view kPrefix = "data=";
constexpr size_t kDigestLength = 32;
constexpr size_t kMaxTimestampDigits = 12;

bool IsUpperHex(std::string_view text) {
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHex(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// The client writes a backslash of its form text as one raw backslash, so
// "a\x" reaches us as "a\x" inside the JSON: keep every backslash that starts
// no JSON escape as the character itself.
std::string LiteralBackslashes(std::string_view json) {
  std::string out;
  out.reserve(json.size() + 8);
  for (size_t i = 0; i < json.size(); ++i) {
    if (json[i] != '\\') {
      out.push_back(json[i]);
      continue;
    }
    const char next = i + 1 < json.size() ? json[i + 1] : '\0';
    bool escape = std::string_view("\"\\/bfnrt").find(next) != std::string_view::npos;
    if (next == 'u') {
      escape = i + 5 < json.size() && IsHex(json[i + 2]) && IsHex(json[i + 3]) &&
               IsHex(json[i + 4]) && IsHex(json[i + 5]);
    }
    if (escape) {
      out.append(json.substr(i, 2));
      ++i;
    } else {
      out.append("\\\\");
    }
  }
  return out;
}

}  // namespace

GatewayRequest OpenGatewayRequest(std::string_view body, std::int64_t now,
                                  std::int64_t windowSeconds) {
  GatewayRequest request;
  if (!body.starts_with(kPrefix)) return request;
  body.remove_prefix(kPrefix.size());
  if (body.size() <= kDigestLength) return request;
  const std::string_view digest = body.substr(0, kDigestLength);
  if (!IsUpperHex(digest)) return request;
  body.remove_prefix(kDigestLength);

  // The payload starts with a letter (a JSON object always encodes to "ey..."),
  // so the timestamp is the run of digits in front of it.
  size_t digits = 0;
  while (digits < body.size() && IsDigit(body[digits])) ++digits;
  if (digits == 0 || digits > kMaxTimestampDigits || digits == body.size()) return request;
  const std::int64_t timestamp = std::stoll(std::string(body.substr(0, digits)));
  const std::string_view payload = body.substr(digits);

  const std::string base64 = SwapLetterCase(payload);
  if (Md5Hex(base64, true) != digest) {
    request.status = GatewayStatus::kBadChecksum;
    return request;
  }
  request.timestamp = timestamp;
  if (timestamp < now - windowSeconds || timestamp > now + windowSeconds) {
    request.status = GatewayStatus::kStaleTimestamp;
    return request;
  }

  const std::string json = Base64Decode(base64);
  nlohmann::json envelope = nlohmann::json::parse(json, nullptr, false);
  if (envelope.is_discarded())
    envelope = nlohmann::json::parse(LiteralBackslashes(json), nullptr, false);
  if (!envelope.is_object()) return request;
  const auto path = envelope.find("path");
  if (path == envelope.end() || !path->is_string()) return request;
  request.path = path->get<std::string>();
  if (const auto data = envelope.find("data"); data != envelope.end()) {
    if (!data->is_string()) return request;
    request.data = data->get<std::string>();
  }
  if (const auto check = envelope.find("check"); check != envelope.end() && check->is_string()) {
    request.check = check->get<std::string>();
  }
  request.status = GatewayStatus::kOk;
  return request;
}

std::string SealGatewayAnswer(std::string_view utf8Text) {
  return SwapLetterCase(Base64Encode(utf8Text));
}

std::string GatewayRefusal(GatewayStatus status) {
  switch (status) {
    case GatewayStatus::kOk:
      return {};
    case GatewayStatus::kMalformed:
      return "ERR malformed request";
    case GatewayStatus::kBadChecksum:
      return "ERR bad checksum";
    case GatewayStatus::kStaleTimestamp:
      return "ERR stale timestamp";
  }
  return "ERR";
}

}  // namespace larkbay::server

// Gateway requests from the command line: send one, or show the exact body
// one would post.
#include <cstdint>
#include <optional>

#include "cli_command.h"
#include "net/api_base.h"
#include "net/server_request.h"

namespace larkbay::cli {
namespace {

struct GatewayArgs {
  std::vector<std::string> positional;  // PATH [DATA]
  bool raw = false;
  std::optional<std::string> time;
};

// Reads PATH [DATA] and the flags this command allows; false on anything else.
bool ReadArgs(const std::vector<std::string>& args, bool allowRaw, bool allowTime, GatewayArgs& out) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (allowRaw && args[i] == "--raw") {
      out.raw = true;
    } else if (allowTime && args[i] == "--time" && i + 1 < args.size()) {
      out.time = args[++i];
    } else if (args[i].starts_with("--")) {
      return false;
    } else {
      out.positional.push_back(args[i]);
    }
  }
  return !out.positional.empty() && out.positional.size() <= 2;
}

std::optional<std::int64_t> Timestamp(const std::string& text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

int RequestCommand(const std::vector<std::string>& args) {
  GatewayArgs a;
  if (!ReadArgs(args, true, false, a)) return UsageError("usage: request PATH [DATA] [--raw]");
  const std::string data = a.positional.size() > 1 ? a.positional[1] : std::string();
  ServerClient client(ApiBaseUrl());
  const std::string answer = client.ServerRequest(a.positional[0], data, 1, a.raw ? 0 : 1);
  if (answer.empty()) return UsageError("request: no answer from " + client.GatewayUrl());
  return PrintText(answer);
}

int EnvelopeCommand(const std::vector<std::string>& args) {
  GatewayArgs a;
  if (!ReadArgs(args, false, true, a) || !a.time) {
    return UsageError("usage: envelope PATH [DATA] --time T");
  }
  const auto timestamp = Timestamp(*a.time);
  if (!timestamp) return UsageError("envelope: --time takes decimal seconds, not '" + *a.time + "'");
  const std::string data = a.positional.size() > 1 ? a.positional[1] : std::string();
  return PrintText(BuildEnvelope(a.positional[0], data, 1, *timestamp));
}

const CommandRegistration request{
    "request",
    "request PATH [DATA] [--raw]  one gateway request (LARKBAY_API_BASE); the decoded answer",
    &RequestCommand};
const CommandRegistration envelope{
    "envelope", "envelope PATH [DATA] --time T  the body a gateway request would post at time T",
    &EnvelopeCommand};

}  // namespace
}  // namespace larkbay::cli

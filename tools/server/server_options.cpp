#include "server_options.h"

#include <charconv>

namespace larkbay::server {
namespace {

template <typename Number>
bool ParseNumber(const std::string& text, Number& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string ServerUsage() {
  return std::string(
             "usage: lark-bay-server [--host ADDR] [--port N] [--data DIR] [--media DIR]\n"
             "                       [--vendor DIR] [--downloads DIR] [--public-base URL]\n"
             "                       [--fault LIST] [--slow-ms N] [--clock-skew S] [--clock-window "
             "S]\n"
             "                       [--main-version V] [--media-rate BYTES_PER_S]\n"
             "                       [--tls-cert PEM --tls-key PEM]\n"
             "  --port 0 picks a free port; the ready line names it.\n"
             "  --tls-cert and --tls-key (together) serve https with that certificate.\n"
             "  --fault takes a comma-separated list of: ") +
         std::string(FaultNames()) + "\n";
}

bool ParseServerOptions(const std::vector<std::string>& args, int defaultPort,
                        const std::filesystem::path& defaultData, ServerOptions& options,
                        std::string& error) {
  options = ServerOptions{};
  options.port = defaultPort;
  options.data = defaultData;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (name == "--help" || name == "-h") {
      options.help = true;
      continue;
    }
    if (i + 1 >= args.size()) {
      error = name.starts_with("--") ? name + " needs a value" : "unknown argument: " + name;
      return false;
    }
    const std::string& value = args[++i];
    bool ok = true;
    if (name == "--host") {
      options.host = value;
    } else if (name == "--port") {
      ok = ParseNumber(value, options.port) && options.port >= 0 && options.port <= 65535;
    } else if (name == "--data") {
      options.data = value;
    } else if (name == "--media") {
      options.media = value;
    } else if (name == "--vendor") {
      options.vendor = value;
    } else if (name == "--downloads") {
      options.downloads = value;
    } else if (name == "--public-base") {
      options.publicBase = value;
      while (options.publicBase.ends_with('/')) options.publicBase.pop_back();
    } else if (name == "--fault") {
      std::string badName;
      if (!options.faults.Add(value, badName)) {
        error = "unknown fault: " + badName + " (one of " + std::string(FaultNames()) + ")";
        return false;
      }
    } else if (name == "--media-rate") {
      ok = ParseNumber(value, options.mediaRate) && options.mediaRate >= 0;
    } else if (name == "--slow-ms") {
      ok = ParseNumber(value, options.slowMs) && options.slowMs >= 0;
    } else if (name == "--clock-skew") {
      ok = ParseNumber(value, options.clockSkew);
    } else if (name == "--clock-window") {
      ok = ParseNumber(value, options.clockWindow) && options.clockWindow >= 0;
    } else if (name == "--main-version") {
      options.mainVersion = value;
    } else if (name == "--tls-cert") {
      options.tlsCert = value;
    } else if (name == "--tls-key") {
      options.tlsKey = value;
    } else {
      error = "unknown option: " + name;
      return false;
    }
    if (!ok) {
      error = "bad value for " + name + ": " + value;
      return false;
    }
  }
  if (options.tlsCert.empty() != options.tlsKey.empty()) {
    error = "--tls-cert and --tls-key go together";
    return false;
  }
  if (options.media.empty()) options.media = options.data / "media";
  if (options.vendor.empty()) options.vendor = options.data / "vendor";
  if (options.downloads.empty()) options.downloads = options.data / "downloads";
  return true;
}

}  // namespace larkbay::server

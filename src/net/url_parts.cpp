#include "net/url_parts.h"

#include <algorithm>

#include "net/curl_exchange.h"
#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

std::string Lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lower(c);
  return out;
}

}  // namespace

std::string UrlHost(std::string_view address, bool keepPort) {
  std::string lower = Lowered(address);
  if (lower.empty() || lower.back() != '/') lower += '/';
  std::string host;
  if (lower.starts_with("https://")) {
    host = TextBetween(lower, "https://", "/");
  } else {
    // Only a leading "http://" is the scheme; one inside the query is not.
    if (!lower.starts_with("http://")) lower.insert(0, "http://");
    host = TextBetween(lower, "http://", "/");
  }
  if (!keepPort) host = host.substr(0, host.find(':'));
  return host;
}

int UrlPort(std::string_view address) {
  const std::string host = UrlHost(address, true);
  const size_t colon = host.rfind(':');
  if (colon != std::string::npos) {
    const std::string_view digits = std::string_view(host).substr(colon + 1);
    if (digits.empty() || digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      return 0;
    }
    const int port = std::stoi(std::string(digits));
    return port <= 65535 ? port : 0;
  }
  return Lowered(address.substr(0, 5)) == "https" ? 443 : 80;
}

std::string UrlPath(std::string_view address) {
  const std::string host = UrlHost(address, false);
  const std::string lower = Lowered(address);
  size_t at = lower.find(host);
  if (at == std::string::npos) at = 0;
  const size_t slash = address.find('/', at + host.size());
  if (slash == std::string_view::npos) return "/";
  return std::string(address.substr(slash));
}

bool IsHttpAddress(std::string_view address) { return net_detail::IsHttpUrl(address); }

}  // namespace larkbay

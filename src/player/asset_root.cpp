#include "player/asset_root.h"

#include <cstdlib>

#include "net/api_base.h"

namespace larkbay {
namespace {

bool IsSchemeChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '-' || c == '.';
}

// The scheme before "://", or "" when the text does not start with one.
std::string_view SchemeOf(std::string_view url) {
  const size_t mark = url.find("://");
  if (mark == std::string_view::npos || mark == 0) return {};
  for (size_t i = 0; i < mark; ++i) {
    if (!IsSchemeChar(url[i])) return {};
  }
  return url.substr(0, mark);
}

// Schemes are compared without regard to case ("HTTPS" is "https").
bool IsScheme(std::string_view scheme, std::string_view lower) {
  if (scheme.size() != lower.size()) return false;
  for (size_t i = 0; i < scheme.size(); ++i) {
    const char c = scheme[i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != lower[i]) return false;
  }
  return true;
}

}  // namespace

std::string AssetRootFor(std::string_view apiBaseUrl) {
  const std::string_view scheme = SchemeOf(apiBaseUrl);
  std::string_view authority = scheme.empty() ? apiBaseUrl : apiBaseUrl.substr(scheme.size() + 3);
  authority = authority.substr(0, authority.find_first_of("/?#"));
  const size_t at = authority.rfind('@');
  if (at != std::string_view::npos) authority.remove_prefix(at + 1);
  if (authority.empty()) return {};
  // Assets come the way the API does: an https server's page would not load
  // them over http. Anything but https is taken as the plain http it was.
  const char* root = IsScheme(scheme, "https") ? "https://" : "http://";
  return root + std::string(authority) + "/";
}

std::string DefaultAssetRoot() {
  const char* fromEnv = std::getenv("LARKBAY_API_BASE");
  const bool baseOverridden = fromEnv != nullptr && *fromEnv != '\0';
  std::string configured = LARKBAY_ASSET_ROOT_DEFAULT;
  if (baseOverridden || configured.empty()) return AssetRootFor(ApiBaseUrl());
  if (configured.back() != '/') configured += '/';
  return configured;
}

}  // namespace larkbay

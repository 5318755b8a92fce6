#include "player/asset_root.h"

#include <cstdlib>

#include "net/api_base.h"

namespace larkbay {
namespace {

bool IsSchemeChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '-' || c == '.';
}

// The text after "scheme://", or the whole text when it does not start with one.
std::string_view AfterScheme(std::string_view url) {
  const size_t mark = url.find("://");
  if (mark == std::string_view::npos || mark == 0) return url;
  for (size_t i = 0; i < mark; ++i) {
    if (!IsSchemeChar(url[i])) return url;
  }
  return url.substr(mark + 3);
}

}  // namespace

std::string AssetRootFor(std::string_view apiBaseUrl) {
  std::string_view authority = AfterScheme(apiBaseUrl);
  authority = authority.substr(0, authority.find_first_of("/?#"));
  const size_t at = authority.rfind('@');
  if (at != std::string_view::npos) authority.remove_prefix(at + 1);
  if (authority.empty()) return {};
  return "http://" + std::string(authority) + "/";
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

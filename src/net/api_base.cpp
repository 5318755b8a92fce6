#include "net/api_base.h"

#include <cstdlib>

namespace larkbay {

std::string ApiBaseUrl() {
  const char* fromEnv = std::getenv("LARKBAY_API_BASE");
  std::string base = fromEnv != nullptr && *fromEnv != '\0' ? fromEnv : LARKBAY_API_BASE_DEFAULT;
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base;
}

}  // namespace larkbay

#include "net/tls_trust.h"

#include <cstdlib>
#include <mutex>

namespace larkbay {
namespace {

std::mutex& ConfiguredMutex() {
  static std::mutex mutex;
  return mutex;
}

std::string& Configured() {
  static std::string path;
  return path;
}

}  // namespace

void SetConfiguredCaFile(std::string path) {
  std::lock_guard lock(ConfiguredMutex());
  Configured() = std::move(path);
}

std::string TrustedCaFile() {
  if (const char* named = std::getenv(kCaFileVariable); named != nullptr && *named != '\0') {
    return named;
  }
  std::lock_guard lock(ConfiguredMutex());
  return Configured();
}

}  // namespace larkbay

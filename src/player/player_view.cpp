#include "player/player_view.h"

#include <cstdio>

namespace larkbay {

std::string PlayerPagePath(const std::string& dataDir) {
  return dataDir + std::string(kPlayerPageFile);
}

void OnPlayerViewDocumentComplete(const std::string& dataDir) {
  std::remove(PlayerPagePath(dataDir).c_str());
}

}  // namespace larkbay

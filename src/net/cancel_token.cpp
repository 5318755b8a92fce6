#include "net/cancel_token.h"

#include <utility>

namespace larkbay {

CancelToken::Watch::Watch(CancelToken* token, std::function<void()> wake) {
  if (token != nullptr) callback_.emplace(token->source_.get_token(), std::move(wake));
}

}  // namespace larkbay

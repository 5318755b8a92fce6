#include "search/query_encoding.h"

#include "services/text/text_helpers.h"

namespace larkbay {

std::string EncodeQueryValue(std::string_view value) {
  if (value.empty()) return {};
  return PercentEncode(TextToUtf8(value), "-.");
}

}  // namespace larkbay

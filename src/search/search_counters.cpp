#include "search/search_counters.h"

#include <limits>
#include <string>

#include "services/json/json_object.h"

namespace larkbay {
namespace {

// Leading blanks, an optional sign and the digits that follow; anything else
// ends the number, no digits give 0. Out-of-range values are clamped.
std::int32_t ToInt32(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::int64_t value = 0;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max())
    value = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

}  // namespace

SearchCounters ReadSearchCounters(const JsonObject& answer) {
  SearchCounters counters;
  counters.Page = ToInt32(answer.GetText("Page"));
  counters.ListCount = ToInt32(answer.GetText("ListCount"));
  counters.PageaCount = ToInt32(answer.GetText("PageaCount"));
  counters.DataCount = ToInt32(answer.GetText("DataCount"));
  return counters;
}

}  // namespace larkbay

#pragma once
// The page counters a search answer carries, for songs and mixes alike.

#include <cstdint>

namespace larkbay {

class JsonObject;

struct SearchCounters {
  std::int32_t Page = 0;
  std::int32_t ListCount = 0;
  std::int32_t PageaCount = 0;
  std::int32_t DataCount = 0;
};

// Page, ListCount, PageaCount and DataCount of the answer; a missing or
// non-numeric member reads as 0.
SearchCounters ReadSearchCounters(const JsonObject& answer);

}  // namespace larkbay

#pragma once
// Paging and keyword matching shared by the song and DJ searches.

#include <string>
#include <string_view>

#include "api_documents.h"

namespace larkbay::server {

struct PageWindow {
  int page = 1;       // as asked, at least 1
  int pageCount = 0;  // PageaCount
  size_t first = 0;   // index of the page's first match
  size_t count = 0;   // ListCount: 0 past the last page
};
PageWindow PageOf(size_t matches, int pageSize, std::string_view pageText);
// The answer of one search page, the same for songs and DJ mixes: the four
// counters, then the page's entries.
std::string SearchPageAnswer(const PageWindow& window, size_t dataCount, Json list);

// Case-insensitive for ASCII letters; other characters compare exactly.
bool ContainsKeyword(std::string_view text, std::string_view keyword);

}  // namespace larkbay::server

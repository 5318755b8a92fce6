#include "search_paging.h"

#include <algorithm>
#include <charconv>

namespace larkbay::server {
namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

PageWindow PageOf(size_t matches, int pageSize, std::string_view pageText) {
  PageWindow window;
  int page = 1;
  const auto [end, ec] = std::from_chars(pageText.data(), pageText.data() + pageText.size(), page);
  if (ec != std::errc() || end != pageText.data() + pageText.size() || page < 1) page = 1;
  window.page = page;
  const size_t size = static_cast<size_t>(std::max(1, pageSize));
  window.pageCount = static_cast<int>((matches + size - 1) / size);
  const size_t first = static_cast<size_t>(page - 1) * size;
  if (first < matches) {
    window.first = first;
    window.count = std::min(size, matches - first);
  }
  return window;
}

std::string SearchPageAnswer(const PageWindow& window, size_t dataCount, Json list) {
  Json answer;
  answer["Page"] = window.page;
  answer["ListCount"] = window.count;
  answer["PageaCount"] = window.pageCount;
  answer["DataCount"] = dataCount;
  answer["List"] = std::move(list);
  return DumpJson(answer);
}

bool ContainsKeyword(std::string_view text, std::string_view keyword) {
  if (keyword.empty()) return true;
  const auto it = std::search(text.begin(), text.end(), keyword.begin(), keyword.end(),
                              [](char a, char b) { return FoldAscii(a) == FoldAscii(b); });
  return it != text.end();
}

}  // namespace larkbay::server

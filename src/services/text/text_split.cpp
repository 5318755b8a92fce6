#include <algorithm>

#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// 0-based position of `needle` in `hay` at or after `from`, or npos.
size_t Find(std::string_view hay, std::string_view needle, size_t from, bool ignoreCase) {
  if (from > hay.size()) return std::string_view::npos;
  if (!ignoreCase) return hay.find(needle, from);
  auto it = std::search(hay.begin() + static_cast<std::ptrdiff_t>(from), hay.end(), needle.begin(),
                        needle.end(), [](char a, char b) { return Lower(a) == Lower(b); });
  return it == hay.end() && !needle.empty() ? std::string_view::npos
                                            : static_cast<size_t>(it - hay.begin());
}

size_t FindLast(std::string_view hay, std::string_view needle, bool ignoreCase) {
  if (!ignoreCase) return hay.rfind(needle);
  auto it = std::find_end(hay.begin(), hay.end(), needle.begin(), needle.end(),
                          [](char a, char b) { return Lower(a) == Lower(b); });
  if (it == hay.end() && !needle.empty()) return std::string_view::npos;
  return static_cast<size_t>(it - hay.begin());
}

std::string WithQuotes(std::string_view marker) {
  static constexpr std::string_view kQuoteMark = "#引号";
  std::string out;
  out.reserve(marker.size());
  size_t from = 0;
  for (size_t at = marker.find(kQuoteMark); at != std::string_view::npos;
       at = marker.find(kQuoteMark, from)) {
    out.append(marker.substr(from, at - from)).push_back('"');
    from = at + kQuoteMark.size();
  }
  out.append(marker.substr(from));
  return out;
}

}  // namespace

std::string HeaderValue(std::string_view headers, std::string_view name) {
  const std::string marker = std::string(name) + ": ";
  size_t lineStart = 0;
  while (lineStart <= headers.size()) {
    size_t lineEnd = headers.find("\r\n", lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = headers.size();
    const std::string_view line = headers.substr(lineStart, lineEnd - lineStart);
    if (line.substr(0, name.size()) == name) {
      // The first line that starts with the name decides, even without a value.
      const size_t at = line.rfind(marker);
      return at == std::string_view::npos ? std::string() : std::string(line.substr(at + marker.size()));
    }
    if (lineEnd == headers.size()) break;
    lineStart = lineEnd + 2;
  }
  return {};
}

std::string TextBefore(std::string_view text, std::string_view separator, int start,
                       bool ignoreCase) {
  size_t at;
  if (start == -1) {
    at = FindLast(text, separator, ignoreCase);
  } else {
    at = Find(text, separator, start > 0 ? static_cast<size_t>(start - 1) : 0, ignoreCase);
  }
  if (at == std::string_view::npos) return {};
  return std::string(text.substr(0, at));
}

std::string TextBetween(std::string_view text, std::string_view left, std::string_view right,
                        int start, bool ignoreCase) {
  const std::string l = WithQuotes(left);
  const std::string r = WithQuotes(right);
  const size_t from = start > 1 ? static_cast<size_t>(start - 1) : 0;
  const size_t leftAt = Find(text, l, from, ignoreCase);
  if (leftAt == std::string_view::npos) return {};
  const size_t valueStart = leftAt + l.size();
  const size_t rightAt = Find(text, r, valueStart, ignoreCase);
  if (rightAt == std::string_view::npos) return {};
  return std::string(text.substr(valueStart, rightAt - valueStart));
}

}  // namespace larkbay

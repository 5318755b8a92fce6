// RegexObject on an arbitrary pattern and subject. Every input must finish
// within a second: a search that does not is a hang, whatever the pattern.
//
// Input: one option byte, then the pattern, a 0x00 byte, and the subject.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "services/regex/regex_object.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) {
    return 0;
  }
  const std::uint8_t options = data[0];
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t cut = rest.find('\0');
  const std::string_view pattern = rest.substr(0, cut);
  const std::string_view subject =
      cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);

  const auto began = std::chrono::steady_clock::now();
  larkbay::RegexObject regex;
  const bool ran = regex.Execute(pattern, subject, (options & 1) != 0, (options & 2) != 0,
                                 (options & 4) != 0, (options & 8) != 0);
  const int matches = regex.MatchCount();
  if (!ran && matches != 0) {
    std::fprintf(stderr, "a search that did not run kept %d matches\n", matches);
    std::abort();
  }
  const int lastGroup = (options >> 4) + 1;
  for (int m = 0; m <= matches + 1; ++m) {
    for (int g = 0; g <= lastGroup; ++g) {
      const std::string text = regex.GetSubMatch(m, g);
      if (text.size() > subject.size()) {
        std::fprintf(stderr, "group %d of match %d is longer than the subject\n", g, m);
        std::abort();
      }
    }
  }
  const auto took = std::chrono::steady_clock::now() - began;
  if (took > std::chrono::seconds(1)) {
    std::fprintf(stderr, "one search took %lld ms\n",
                 static_cast<long long>(
                     std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
    std::abort();
  }
  return 0;
}

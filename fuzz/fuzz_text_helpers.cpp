// The text helpers on arbitrary bytes: decoders, converters, the Date reader
// and the splitters, with their arguments cut from the input. Checks the few
// promises every caller leans on (valid UTF-8 out, Base64 both ways).
//
// Input: the pieces of the input between 0x01 bytes are the arguments; the
// first byte also picks the options.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "services/text/text_helpers.h"

namespace {

using namespace larkbay;

std::vector<std::string_view> Pieces(std::string_view text) {
  std::vector<std::string_view> pieces;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = text.find('\x01', from);
    pieces.push_back(text.substr(from, at == std::string_view::npos ? at : at - from));
    if (at == std::string_view::npos || pieces.size() == 4) {
      return pieces;
    }
    from = at + 1;
  }
}

void Expect(bool ok, const char* what, std::string_view input) {
  if (!ok) {
    std::fprintf(stderr, "%s for %zu bytes of input\n", what, input.size());
    std::abort();
  }
}

// True when `text` is well-formed UTF-8 (no surrogates, nothing past U+10FFFF).
bool IsUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::size_t extra;
    char32_t cp;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      extra = 1, cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2, cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3, cp = b & 0x07;
    } else {
      return false;
    }
    if (i + extra >= text.size()) {
      return false;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto c = static_cast<unsigned char>(text[i + k]);
      if ((c & 0xC0) != 0x80) {
        return false;
      }
      cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += extra + 1;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::uint8_t options = size > 0 ? data[0] : 0;
  const std::vector<std::string_view> pieces = Pieces(input);
  const std::string_view a = pieces[0];
  const std::string_view b = pieces.size() > 1 ? pieces[1] : std::string_view();
  const std::string_view c = pieces.size() > 2 ? pieces[2] : std::string_view();

  // Base64 and the letter-case swap.
  (void)Base64Decode(input);
  Expect(Base64Decode(Base64Encode(input)) == input, "Base64 round trip", input);
  Expect(SwapLetterCase(SwapLetterCase(input)) == input, "SwapLetterCase twice", input);
  (void)Base64Decode(SwapLetterCase(input));

  // Encodings: every text handed to the program is valid UTF-8.
  const std::string text = Utf8ToText(input);
  Expect(IsUtf8(text), "Utf8ToText gave invalid UTF-8", input);
  Expect(IsUtf8(SanitizeUtf8(input)), "SanitizeUtf8 gave invalid UTF-8", input);
  const Bytes utf16 = TextToUtf16(input, (options & 1) != 0);
  Expect(Utf16ToText(utf16) == text, "UTF-16 round trip", input);
  Expect(IsUtf8(Utf16ToText(input)), "Utf16ToText gave invalid UTF-8", input);
  const std::string fromGbk = GbkToText(input);
  Expect(IsUtf8(fromGbk), "GbkToText gave invalid UTF-8", input);
  (void)GbkToText(TextToGbk(input));
  std::string converted;
  if (CharsetToText(b, a.substr(0, 40), converted)) {
    Expect(IsUtf8(converted), "CharsetToText gave invalid UTF-8", input);
  } else {
    Expect(converted.empty(), "CharsetToText failed but kept text", input);
  }
  (void)TextToUtf8(input);

  // The server's Date header.
  const Utc8Time time = HttpDateToUtc8(input);
  if (time.valid) {
    Expect(UnixSeconds(time).size() == 10, "UnixSeconds is not ten characters", input);
  }
  (void)HttpDateToUtc8(b);

  // Header blocks and splitting.
  (void)HeaderValue(b, a);
  (void)HeaderValue(input, c);
  const int start = static_cast<int>(options % 8) - 2;  // -2 .. 5
  const bool ignoreCase = (options & 8) != 0;
  const std::string before = TextBefore(c, a, start, ignoreCase);
  Expect(before.size() <= c.size(), "TextBefore longer than the text", input);
  const std::string between = TextBetween(c, a, b, start, ignoreCase);
  Expect(between.size() <= c.size(), "TextBetween longer than the text", input);
  (void)TextBetween(input, a, b, start * 97, !ignoreCase);
  (void)Md5Hex(a, ignoreCase);
  return 0;
}

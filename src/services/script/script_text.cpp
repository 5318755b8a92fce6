#include "services/script/script_text.h"

#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes one sequence at `pos` (advancing it). With `allowSurrogates` the
// encoded surrogates U+D800..U+DFFF are returned as they are; otherwise they
// are invalid. An invalid sequence advances by one byte and gives kInvalid.
char32_t Decode(std::string_view s, size_t& pos, bool allowSurrogates) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  int length;
  char32_t cp;
  char32_t min;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, cp = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, cp = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, cp = lead & 0x07, min = 0x10000;
  } else {
    ++pos;
    return kInvalid;
  }
  if (pos + length > s.size()) {
    ++pos;
    return kInvalid;
  }
  for (int i = 1; i < length; ++i) {
    const unsigned char next = byte(pos + i);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return kInvalid;
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (!allowSurrogates && cp >= 0xD800 && cp <= 0xDFFF)) {
    ++pos;
    return kInvalid;
  }
  pos += length;
  return cp;
}

bool IsHighSurrogate(char32_t cp) { return cp >= 0xD800 && cp <= 0xDBFF; }
bool IsLowSurrogate(char32_t cp) { return cp >= 0xDC00 && cp <= 0xDFFF; }

}  // namespace

std::string Utf8ToScriptText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + utf8.size() / 2);
  for (size_t pos = 0; pos < utf8.size();) {
    const char32_t cp = Decode(utf8, pos, false);
    if (cp == kInvalid) {
      AppendUtf8(out, kReplacement);
    } else if (cp >= 0x10000) {
      AppendUtf8(out, 0xD800 + ((cp - 0x10000) >> 10));
      AppendUtf8(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      AppendUtf8(out, cp);
    }
  }
  return out;
}

std::string ScriptTextToUtf8(std::string_view engineText) {
  std::string out;
  out.reserve(engineText.size());
  for (size_t pos = 0; pos < engineText.size();) {
    const char32_t cp = Decode(engineText, pos, true);
    if (cp == kInvalid || IsLowSurrogate(cp)) {
      AppendUtf8(out, kReplacement);
    } else if (IsHighSurrogate(cp)) {
      size_t next = pos;
      const char32_t low = next < engineText.size() ? Decode(engineText, next, true) : kInvalid;
      if (IsLowSurrogate(low)) {
        AppendUtf8(out, 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00));
        pos = next;
      } else {
        AppendUtf8(out, kReplacement);
      }
    } else {
      AppendUtf8(out, cp);
    }
  }
  return out;
}

}  // namespace larkbay

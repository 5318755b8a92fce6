#include "services/json/json_utf8.h"

#include <algorithm>

#include "services/text/text_helpers.h"

namespace larkbay::json_utf8 {

std::size_t Decode(const char* p, const char* end, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(*p);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t len;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2, min = 0x80, cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3, min = 0x800, cp = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4, min = 0x10000, cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (static_cast<std::size_t>(end - p) < len) {
    return 0;
  }
  for (std::size_t i = 1; i < len; ++i) {
    const auto b = static_cast<unsigned char>(p[i]);
    if ((b & 0xC0) != 0x80) {
      return 0;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    return 0;
  }
  return len;
}

std::string CleanText(std::string_view text) {
  if (const auto nul = text.find('\0'); nul != std::string_view::npos) {
    text = text.substr(0, nul);
  }
  std::string out;
  out.reserve(text.size());
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    const char* run = p;
    while (p < end && static_cast<unsigned char>(*p) < 0x80) {
      ++p;
    }
    out.append(run, p);
    if (p == end) {
      break;
    }
    char32_t cp;
    if (const std::size_t len = Decode(p, end, cp)) {
      out.append(p, len);
      p += len;
    } else {
      AppendUtf8(out, kReplacement);
      ++p;
    }
  }
  return out;
}

void AppendUnmarked(std::string& out, std::string_view text) {
  for (;;) {
    const auto mark = text.find(kBackslashMark);
    if (mark == std::string_view::npos) {
      break;
    }
    out.append(text.data(), mark);
    out += '\\';
    text.remove_prefix(mark + kBackslashMark.size());
  }
  out.append(text);
}

namespace {
// Stored strings are valid UTF-8, so the lead byte alone gives the length.
std::size_t SequenceLength(unsigned char lead) {
  return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}
}  // namespace

std::size_t Utf16Length(std::string_view text) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = SequenceLength(static_cast<unsigned char>(text[i]));
    units += len == 4 ? 2 : 1;
    i += len;
  }
  return units;
}

bool Utf16UnitAt(std::string_view text, std::size_t index, std::string& out) {
  std::size_t unit = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len =
        std::min(SequenceLength(static_cast<unsigned char>(text[i])), text.size() - i);
    const std::size_t width = len == 4 ? 2 : 1;
    if (index < unit + width) {
      out.clear();
      if (width == 2) {
        AppendUtf8(out, kReplacement);
      } else {
        out.assign(text.data() + i, len);
      }
      return true;
    }
    unit += width;
    i += len;
  }
  return false;
}

}  // namespace larkbay::json_utf8

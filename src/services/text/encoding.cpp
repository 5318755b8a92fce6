#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::string_view UpToNul(std::string_view text) {
  const size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

// Decodes one UTF-8 sequence at `i`; an invalid or cut sequence yields U+FFFD
// and consumes one byte, so decoding always moves forward.
char32_t NextCodePoint(std::string_view s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int extra;
  char32_t cp;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    extra = 1, cp = b0 & 0x1F, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    extra = 2, cp = b0 & 0x0F, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    extra = 3, cp = b0 & 0x07, min = 0x10000;
  } else {
    ++i;
    return kReplacement;
  }
  if (i + static_cast<size_t>(extra) >= s.size()) {
    ++i;
    return kReplacement;
  }
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kReplacement;
  }
  i += extra + 1;
  return cp;
}

bool IsAscii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Runs iconv over the whole input; undecodable bytes become U+FFFD (as UTF-8
// when the target is UTF-8, otherwise they are skipped). Returns false when
// iconv does not know one of the two charsets.
bool Convert(std::string_view in, const char* to, const char* from, std::string& out) {
  out.clear();
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  const bool toUtf8 = std::strcmp(to, "UTF-8") == 0;
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  out.resize(in.size() * 2 + 16);
  size_t used = 0;
  while (true) {
    char* dst = out.data() + used;
    size_t dstLeft = out.size() - used;
    const size_t r = srcLeft == 0 ? iconv(cd, nullptr, nullptr, &dst, &dstLeft)
                                  : iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    used = out.size() - dstLeft;
    if (r != static_cast<size_t>(-1)) {
      if (srcLeft == 0) break;
      continue;
    }
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ or EINVAL (a sequence cut at the end): skip one byte.
    out.resize(used);
    if (toUtf8) out.append("\xEF\xBF\xBD");
    ++src;
    --srcLeft;
    used = out.size();
    out.resize(used + srcLeft * 2 + 16);
  }
  out.resize(used);
  iconv_close(cd);
  return true;
}

// Charset names as pages declare them, mapped to what iconv knows best.
std::string CanonicalCharset(std::string_view name) {
  std::string lower;
  for (char c : name) lower.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c));
  if (lower == "gbk" || lower == "gb2312" || lower == "gb_2312-80" || lower == "cp936" ||
      lower == "x-gbk" || lower == "gb18030") {
    return "GB18030";
  }
  if (lower == "big5") return "BIG5-HKSCS";
  if (lower == "utf8") return "UTF-8";
  return lower;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string SanitizeUtf8(std::string_view bytes) {
  if (IsAscii(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    const size_t start = i;
    NextCodePoint(bytes, i);
    // A valid sequence of a non-ASCII character is at least two bytes long.
    if (i - start == 1 && static_cast<unsigned char>(bytes[start]) >= 0x80) {
      AppendUtf8(out, kReplacement);
    } else {
      out.append(bytes.substr(start, i - start));
    }
  }
  return out;
}

Bytes TextToUtf16(std::string_view text, bool dropTerminator) {
  Bytes out;
  text = UpToNul(text);
  if (text.empty()) return out;
  out.reserve(text.size() * 2 + 2);
  auto put = [&out](char32_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
  };
  size_t i = 0;
  while (i < text.size()) {
    const char32_t cp = NextCodePoint(text, i);
    if (cp >= 0x10000) {
      put(0xD800 + ((cp - 0x10000) >> 10));
      put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put(cp);
    }
  }
  if (!dropTerminator) put(0);
  return out;
}

std::string Utf16ToText(std::string_view utf16le) {
  std::string out;
  const size_t units = utf16le.size() / 2;
  auto unitAt = [&utf16le](size_t k) {
    return static_cast<char32_t>(static_cast<unsigned char>(utf16le[k * 2]) |
                                 (static_cast<unsigned char>(utf16le[k * 2 + 1]) << 8));
  };
  for (size_t k = 0; k < units; ++k) {
    char32_t u = unitAt(k);
    if (u == 0) break;
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
      const char32_t low = unitAt(k + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        ++k;
        continue;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF) u = kReplacement;
    AppendUtf8(out, u);
  }
  return out;
}

Bytes TextToUtf8(std::string_view text) { return SanitizeUtf8(UpToNul(text)); }

std::string Utf8ToText(std::string_view utf8) { return SanitizeUtf8(UpToNul(utf8)); }

Bytes TextToGbk(std::string_view text) {
  const std::string clean = SanitizeUtf8(text);
  if (IsAscii(clean)) return clean;
  std::string out;
  if (!Convert(clean, "GB18030", "UTF-8", out)) return {};
  return out;
}

std::string GbkToText(std::string_view gbk) {
  if (IsAscii(gbk)) return std::string(gbk);
  std::string out;
  if (!Convert(gbk, "UTF-8", "GB18030", out)) return {};
  return out;
}

bool CharsetToText(std::string_view bytes, std::string_view charset, std::string& out) {
  const std::string name = CanonicalCharset(charset);
  if (name == "utf-8" || name == "UTF-8") {
    out = SanitizeUtf8(bytes);
    return true;
  }
  if (!Convert(bytes, "UTF-8", name.c_str(), out)) {
    out.clear();
    return false;
  }
  // iconv's own UTF-8 reader (reached through names such as "utf-8//") lets
  // sequences past U+10FFFF through; the program's text never holds them.
  out = SanitizeUtf8(out);
  return true;
}

}  // namespace larkbay

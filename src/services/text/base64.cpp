#include <algorithm>
#include <array>
#include <cstdint>

#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<std::int8_t, 256> MakeDecodeTable() {
  std::array<std::int8_t, 256> table{};
  for (auto& v : table) v = -1;
  for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::int8_t>(i);
  return table;
}
constexpr auto kDecode = MakeDecodeTable();

// Drops ASCII spaces and full-width spaces (U+3000), then every CR LF pair of
// what is left, as the server's line-wrapped or padded answers need.
std::string StripBlanks(std::string_view text) {
  std::string noSpaces;
  noSpaces.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ') continue;
    if (c == '\xE3' && i + 2 < text.size() && text[i + 1] == '\x80' && text[i + 2] == '\x80') {
      i += 2;
      continue;
    }
    noSpaces.push_back(c);
  }
  std::string out;
  out.reserve(noSpaces.size());
  for (size_t i = 0; i < noSpaces.size(); ++i) {
    if (noSpaces[i] == '\r' && i + 1 < noSpaces.size() && noSpaces[i + 1] == '\n') {
      ++i;
      continue;
    }
    out.push_back(noSpaces[i]);
  }
  return out;
}

bool NeedsStripping(std::string_view text) {
  for (char c : text) {
    if (c == ' ' || c == '\r' || c == '\xE3') return true;
  }
  return false;
}

}  // namespace

std::string Base64Encode(std::string_view bytes) {
  std::string out;
  if (bytes.empty()) return out;
  out.resize((bytes.size() + 2) / 3 * 4);
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t whole = bytes.size() / 3 * 3;
  char* o = out.data();
  for (size_t i = 0; i < whole; i += 3) {
    const std::uint32_t v = (in[i] << 16) | (in[i + 1] << 8) | in[i + 2];
    *o++ = kAlphabet[(v >> 18) & 63];
    *o++ = kAlphabet[(v >> 12) & 63];
    *o++ = kAlphabet[(v >> 6) & 63];
    *o++ = kAlphabet[v & 63];
  }
  const size_t rest = bytes.size() - whole;
  if (rest > 0) {
    std::uint32_t v = in[whole] << 16;
    if (rest == 2) v |= in[whole + 1] << 8;
    *o++ = kAlphabet[(v >> 18) & 63];
    *o++ = kAlphabet[(v >> 12) & 63];
    *o++ = rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    *o++ = '=';
  }
  return out;
}

Bytes Base64Decode(std::string_view text) {
  std::string stripped;
  if (NeedsStripping(text)) {
    stripped = StripBlanks(text);
    text = stripped;
  }
  Bytes out;
  if (text.empty()) return out;
  const size_t groups = (text.size() + 3) / 4;
  out.resize(groups * 3);
  auto* o = reinterpret_cast<unsigned char*>(out.data());
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();

  // Whole groups of four alphabet characters: the common case, without checks
  // per character beyond the table lookup.
  size_t i = 0;
  size_t g = 0;
  for (; i + 4 <= n; i += 4, ++g) {
    const int a = kDecode[in[i]], b = kDecode[in[i + 1]], c = kDecode[in[i + 2]], d = kDecode[in[i + 3]];
    if ((a | b | c | d) < 0) break;
    const std::uint32_t v = (a << 18) | (b << 12) | (c << 6) | d;
    o[g * 3] = static_cast<unsigned char>(v >> 16);
    o[g * 3 + 1] = static_cast<unsigned char>(v >> 8);
    o[g * 3 + 2] = static_cast<unsigned char>(v);
  }

  // The rest, group by group: the first character outside the alphabet ends its
  // group, and the values from there on count as zero.
  int lastEnd = 0;  // position (1-4) where the last group was ended, 0 if it was not
  for (; i < n; i += 4, ++g) {
    int s[4] = {0, 0, 0, 0};
    lastEnd = 0;
    for (int k = 0; k < 4 && i + k < n; ++k) {
      const int v = kDecode[in[i + k]];
      if (v < 0) {
        lastEnd = k + 1;
        break;
      }
      s[k] = v;
    }
    o[g * 3] = static_cast<unsigned char>((s[0] << 2) | (s[1] >> 4));
    o[g * 3 + 1] = static_cast<unsigned char>((s[1] << 4) | (s[2] >> 2));
    o[g * 3 + 2] = static_cast<unsigned char>((s[2] << 6) | s[3]);
  }
  // A last group ended at position k keeps k - 2 of its three bytes (none
  // below two). A group ended at its first character removes only its own
  // three: a stray "=" or line feed after whole groups must not cut the byte
  // before it.
  if (lastEnd > 0) {
    const size_t drop = std::min<size_t>(std::min(5 - lastEnd, 3), out.size());
    out.resize(out.size() - drop);
  }
  return out;
}

}  // namespace larkbay

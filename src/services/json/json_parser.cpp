#include "services/json/json_parser.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "services/json/json_utf8.h"
#include "services/json/json_value.h"
#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

// Bytes that end a plain run inside a string literal.
constexpr std::array<bool, 256> MakeStringStops() {
  std::array<bool, 256> t{};
  for (unsigned char c : {'"', '\'', '\\', '\n', '\r'}) {
    t[c] = true;
  }
  for (int c = 0x80; c < 0x100; ++c) {
    t[c] = true;
  }
  return t;
}
constexpr std::array<bool, 256> kStringStop = MakeStringStops();

int HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

bool ReadHex(const char*& p, const char* end, int count, char32_t& unit) {
  if (end - p < count) {
    return false;
  }
  unit = 0;
  for (int i = 0; i < count; ++i) {
    const int d = HexDigit(p[i]);
    if (d < 0) {
      return false;
    }
    unit = (unit << 4) | static_cast<char32_t>(d);
  }
  p += count;
  return true;
}

// One escape after the backslash, as the script reads it: the usual letters
// (but "\v" is a plain "v" in the engine), \xHH, \uHHHH with surrogate pairs
// joined (a lone half becomes U+FFFD), octal escapes, and any other
// character standing for itself.
bool ReadEscape(const char*& p, const char* end, std::string& out) {
  if (p == end) {
    return false;
  }
  const char c = *p++;
  switch (c) {
    case 'b':
      out += '\b';
      return true;
    case 'f':
      out += '\f';
      return true;
    case 'n':
      out += '\n';
      return true;
    case 'r':
      out += '\r';
      return true;
    case 't':
      out += '\t';
      return true;
    case '\n':
    case '\r':
      return false;
    case 'x': {
      char32_t unit;
      if (!ReadHex(p, end, 2, unit)) {
        return false;
      }
      AppendUtf8(out, unit);
      return true;
    }
    case 'u': {
      char32_t unit;
      if (!ReadHex(p, end, 4, unit)) {
        return false;
      }
      if (unit >= 0xD800 && unit <= 0xDBFF && end - p >= 6 && p[0] == '\\' && p[1] == 'u') {
        const char* q = p + 2;
        char32_t low;
        if (ReadHex(q, end, 4, low) && low >= 0xDC00 && low <= 0xDFFF) {
          p = q;
          AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
          return true;
        }
      }
      if (unit >= 0xD800 && unit <= 0xDFFF) {
        unit = json_utf8::kReplacement;
      }
      AppendUtf8(out, unit);
      return true;
    }
    default:
      break;
  }
  if (c >= '0' && c <= '7') {
    char32_t value = static_cast<char32_t>(c - '0');
    const int more = c <= '3' ? 2 : 1;
    for (int i = 0; i < more && p < end && *p >= '0' && *p <= '7'; ++i) {
      value = value * 8 + static_cast<char32_t>(*p++ - '0');
    }
    AppendUtf8(out, value);
    return true;
  }
  if (static_cast<unsigned char>(c) < 0x80) {
    out += c;
    return true;
  }
  --p;
  char32_t cp;
  const std::size_t len = json_utf8::Decode(p, end, cp);
  if (len == 0) {
    AppendUtf8(out, json_utf8::kReplacement);
    ++p;
  } else {
    out.append(p, len);
    p += len;
  }
  return true;
}

// `p` is on the opening quote.
bool ReadString(const char*& p, const char* end, std::string& out) {
  const char quote = *p++;
  out.clear();
  const char* run = p;
  while (p < end) {
    const auto b = static_cast<unsigned char>(*p);
    if (!kStringStop[b]) {
      ++p;
      continue;
    }
    if (b >= 0x80) {
      // Most text here is CJK: three-byte sequences from E1 to EC.
      if (b >= 0xE1 && b <= 0xEC && end - p >= 3 &&
          (static_cast<unsigned char>(p[1]) & 0xC0) == 0x80 &&
          (static_cast<unsigned char>(p[2]) & 0xC0) == 0x80) {
        p += 3;
        continue;
      }
      char32_t cp;
      if (const std::size_t len = json_utf8::Decode(p, end, cp)) {
        p += len;
        continue;
      }
      out.append(run, p);
      AppendUtf8(out, json_utf8::kReplacement);
      run = ++p;
      continue;
    }
    if (b == static_cast<unsigned char>(quote)) {
      out.append(run, p);
      ++p;
      return true;
    }
    if (b == '"' || b == '\'') {  // the other quote character
      ++p;
      continue;
    }
    if (b != '\\') {
      return false;  // a line break inside a literal
    }
    out.append(run, p);
    ++p;
    if (!ReadEscape(p, end, out)) {
      return false;
    }
    run = p;
  }
  return false;
}

// What the allocator adds to every block, roughly.
constexpr std::size_t kBlockOverhead = 16;
// std::string keeps this many characters without a heap block.
constexpr std::size_t kInlineText = 15;
// A name index entry: the hash node with its copy of the name.
constexpr std::size_t kIndexEntry = 64;

std::size_t TextCost(const std::string& text) {
  return text.size() > kInlineText ? text.size() + 1 + kBlockOverhead : 0;
}

// Lists grow by doubling; a finished one gives back its slack when that is
// more than an eighth and worth a copy (small objects keep theirs).
template <typename T>
std::size_t Trim(std::vector<T>& list) {
  const std::size_t slack = list.capacity() - list.size();
  if (slack <= list.size() / 8 || slack * sizeof(T) < 1024) {
    return 0;
  }
  list.shrink_to_fit();
  return slack * sizeof(T);
}

class Parser {
 public:
  Parser(const char* begin, const char* end, std::size_t budget)
      : p_(begin), end_(end), budget_(budget) {}

  void SkipSpace() {
    while (p_ < end_) {
      const auto c = static_cast<unsigned char>(*p_);
      if (c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\v' || c == '\f') {
        ++p_;
      } else if (c == 0xC2 && end_ - p_ >= 2 && static_cast<unsigned char>(p_[1]) == 0xA0) {
        p_ += 2;  // no-break space
      } else if (c == 0xEF && end_ - p_ >= 3 && static_cast<unsigned char>(p_[1]) == 0xBB &&
                 static_cast<unsigned char>(p_[2]) == 0xBF) {
        p_ += 3;  // byte order mark
      } else {
        break;
      }
    }
  }

  bool AtEnd() const { return p_ == end_; }
  bool Peek(char c) const { return p_ < end_ && *p_ == c; }
  void Skip() { ++p_; }

  bool Value(JsonValue& out) {
    if (p_ == end_) {
      return false;
    }
    switch (*p_) {
      case '{':
        return ObjectValue(out);
      case '[':
        return ArrayValue(out);
      case '"': {
        std::string text;
        if (!ReadString(p_, end_, text) ||
            !Charge(sizeof(std::string) + kBlockOverhead + TextCost(text))) {
          return false;
        }
        out = JsonValue::String(std::move(text));
        return true;
      }
      case 't':
        return Word("true", JsonValue::Boolean(true), out);
      case 'f':
        return Word("false", JsonValue::Boolean(false), out);
      case 'n':
        return Word("null", JsonValue::Null(), out);
      default:
        return NumberValue(out);
    }
  }

 private:
  bool Charge(std::size_t bytes) {
    spent_ += bytes;
    return spent_ <= budget_;
  }

  bool Word(std::string_view word, JsonValue value, JsonValue& out) {
    if (std::string_view(p_, static_cast<std::size_t>(end_ - p_)).substr(0, word.size()) != word) {
      return false;
    }
    p_ += word.size();
    out = std::move(value);
    return true;
  }

  bool ObjectValue(JsonValue& out) {
    if (++depth_ > kMaxJsonDepth) {
      return false;
    }
    ++p_;
    out = JsonValue::Object();
    SkipSpace();
    if (Peek('}')) {
      ++p_;
      --depth_;
      return true;
    }
    if (!Charge(sizeof(JsonMembers) + kBlockOverhead)) {
      return false;
    }
    JsonMembers& members = out.Members();
    std::string name;
    for (;;) {
      if (!Peek('"') || !ReadString(p_, end_, name)) {
        return false;
      }
      const std::size_t capacity = members.List().capacity();
      SkipSpace();
      if (!Peek(':')) {
        return false;
      }
      ++p_;
      SkipSpace();
      if (JsonValue* existing = members.Find(name)) {  // a repeated name keeps its first place
        JsonValue value;
        if (!Value(value)) {
          return false;
        }
        *existing = std::move(value);
      } else {
        const std::size_t nameCost = TextCost(name);
        JsonValue& value = members.Append(std::move(name));
        const std::size_t grown = members.List().capacity() - capacity;
        if (!Charge(grown * sizeof(JsonMember) + (grown ? kBlockOverhead : 0) + nameCost +
                    (members.HasIndex() ? kIndexEntry + nameCost : 0)) ||
            !Value(value)) {
          return false;
        }
      }
      SkipSpace();
      if (Peek(',')) {
        ++p_;
        SkipSpace();
        continue;
      }
      if (!Peek('}')) {
        return false;
      }
      ++p_;
      --depth_;
      spent_ -= Trim(members.List());
      return true;
    }
  }

  bool ArrayValue(JsonValue& out) {
    if (++depth_ > kMaxJsonDepth) {
      return false;
    }
    ++p_;
    out = JsonValue::Array();
    SkipSpace();
    if (Peek(']')) {
      ++p_;
      --depth_;
      return true;
    }
    if (!Charge(sizeof(std::vector<JsonValue>) + kBlockOverhead)) {
      return false;
    }
    std::vector<JsonValue>& items = out.Items();
    for (;;) {
      const std::size_t capacity = items.capacity();
      items.emplace_back();
      const std::size_t grown = items.capacity() - capacity;
      if ((grown && !Charge(grown * sizeof(JsonValue) + kBlockOverhead)) || !Value(items.back())) {
        return false;
      }
      SkipSpace();
      if (Peek(',')) {
        ++p_;
        SkipSpace();
        continue;
      }
      if (!Peek(']')) {
        return false;
      }
      ++p_;
      --depth_;
      spent_ -= Trim(items);
      return true;
    }
  }

  // -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
  bool NumberValue(JsonValue& out) {
    const char* start = p_;
    const char* p = p_;
    const bool negative = p < end_ && *p == '-';
    if (negative) {
      ++p;
    }
    const char* intBegin = p;
    if (p < end_ && *p == '0') {
      ++p;
    } else {
      while (p < end_ && *p >= '0' && *p <= '9') {
        ++p;
      }
    }
    const char* intEnd = p;
    if (intEnd == intBegin) {
      return false;
    }
    const char* fracBegin = p;
    const char* fracEnd = p;
    if (p < end_ && *p == '.') {
      fracBegin = ++p;
      while (p < end_ && *p >= '0' && *p <= '9') {
        ++p;
      }
      fracEnd = p;
      if (fracEnd == fracBegin) {
        return false;
      }
    }
    long exponent = 0;
    if (p < end_ && (*p == 'e' || *p == 'E')) {
      ++p;
      bool expNegative = false;
      if (p < end_ && (*p == '+' || *p == '-')) {
        expNegative = *p++ == '-';
      }
      const char* expBegin = p;
      while (p < end_ && *p >= '0' && *p <= '9') {
        if (exponent < 100000000) {
          exponent = exponent * 10 + (*p - '0');
        }
        ++p;
      }
      if (p == expBegin) {
        return false;
      }
      if (expNegative) {
        exponent = -exponent;
      }
    }
    p_ = p;
    // Whole numbers of up to 15 digits are exact in a double.
    if (fracBegin == fracEnd && p == intEnd && intEnd - intBegin <= 15) {
      std::int64_t whole = 0;
      for (const char* d = intBegin; d < intEnd; ++d) {
        whole = whole * 10 + (*d - '0');
      }
      const auto value = static_cast<double>(whole);
      out = JsonValue::Number(negative ? -value : value);
      return true;
    }
    double value = 0;
    const auto res = std::from_chars(start, p, value);
    if (res.ec == std::errc::result_out_of_range) {
      // Too large gives Infinity, too small gives 0, as the script reads it.
      long magnitude = exponent;
      const char* firstDigit = intBegin;
      while (firstDigit < intEnd && *firstDigit == '0') {
        ++firstDigit;
      }
      if (firstDigit < intEnd) {
        magnitude += intEnd - firstDigit;
      } else {
        const char* d = fracBegin;
        while (d < fracEnd && *d == '0') {
          ++d;
        }
        magnitude -= d - fracBegin;
      }
      value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
      if (negative) {
        value = -value;
      }
    } else if (res.ec != std::errc() || res.ptr != p) {
      return false;
    }
    out = JsonValue::Number(value);
    return true;
  }

  const char* p_;
  const char* end_;
  std::size_t budget_;
  std::size_t spent_ = 0;
  int depth_ = 0;
};

// The engine evaluated the value of a string text once more as a program.
// Of programs this reads the blank one, an empty block and a single
// expression statement of the kind above; everything else counts as an error.
bool EvaluateProgram(std::string_view program, JsonValue& out, std::size_t budget) {
  Parser parser(program.data(), program.data() + program.size(), budget);
  parser.SkipSpace();
  if (parser.AtEnd()) {
    out = JsonValue();
    return true;
  }
  if (parser.Peek('{')) {  // a statement block, not an object
    parser.Skip();
    parser.SkipSpace();
    if (!parser.Peek('}')) {
      return false;
    }
    parser.Skip();
    parser.SkipSpace();
    if (!parser.AtEnd()) {
      return false;
    }
    out = JsonValue();
    return true;
  }
  JsonValue value;
  if (!parser.Value(value)) {
    return false;
  }
  parser.SkipSpace();
  if (parser.Peek(';')) {
    parser.Skip();
    parser.SkipSpace();
  }
  if (!parser.AtEnd()) {
    return false;
  }
  out = std::move(value);
  return true;
}

}  // namespace

bool ParseDocument(std::string_view text, JsonValue& out, std::size_t budget) {
  if (const auto nul = text.find('\0'); nul != std::string_view::npos) {
    text = text.substr(0, nul);
  }
  Parser parser(text.data(), text.data() + text.size(), budget);
  parser.SkipSpace();
  if (parser.AtEnd()) {
    out = JsonValue();
    return true;
  }
  JsonValue value;
  if (!parser.Value(value)) {
    return false;
  }
  parser.SkipSpace();
  if (!parser.AtEnd()) {
    return false;
  }
  if (value.Kind() == JsonKind::String) {
    return EvaluateProgram(value.StringValue(), out, budget);
  }
  out = std::move(value);
  return true;
}

bool ReadStringLiteral(std::string_view text, std::size_t& pos, std::string& out) {
  if (pos >= text.size() || (text[pos] != '"' && text[pos] != '\'')) {
    return false;
  }
  const char* p = text.data() + pos;
  if (!ReadString(p, text.data() + text.size(), out)) {
    return false;
  }
  pos = static_cast<std::size_t>(p - text.data());
  return true;
}

}  // namespace larkbay

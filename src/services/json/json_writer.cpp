#include "services/json/json_writer.h"

#include <array>
#include <cmath>
#include <string_view>

#include "services/json/json_number.h"
#include "services/json/json_utf8.h"
#include "services/json/json_value.h"

namespace larkbay {
namespace {

// Bytes that may start something the quoting changes: ASCII controls, the
// quote, the backslash, DEL, and the lead bytes of the escaped ranges
// (U+0080–U+00AD, U+0600–U+0604, U+070F, U+17B4/5, U+200C–U+206F and U+2400,
// U+FEFF, U+FFF0–U+FFFF).
constexpr std::array<bool, 256> MakeSpecialBytes() {
  std::array<bool, 256> t{};
  for (int c = 0; c < 0x20; ++c) {
    t[c] = true;
  }
  for (unsigned char c : {'"', '\\', '\x7F'}) {
    t[c] = true;
  }
  for (int c : {0xC2, 0xD8, 0xDC, 0xE1, 0xE2, 0xEF}) {
    t[c] = true;
  }
  return t;
}
constexpr std::array<bool, 256> kSpecialByte = MakeSpecialBytes();

bool EscapedAsHex(char32_t cp) {
  return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0xAD || (cp >= 0x600 && cp <= 0x604) ||
         cp == 0x70F || cp == 0x17B4 || cp == 0x17B5 || (cp >= 0x200C && cp <= 0x200F) ||
         (cp >= 0x2028 && cp <= 0x202F) || (cp >= 0x2060 && cp <= 0x206F) || cp == 0xFEFF ||
         cp >= 0xFFF0;
}

void AppendQuoted(std::string& out, std::string_view s) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  const char* p = s.data();
  const char* end = p + s.size();
  while (p < end) {
    const char* run = p;
    while (p < end && !kSpecialByte[static_cast<unsigned char>(*p)]) {
      ++p;
    }
    out.append(run, p);
    if (p == end) {
      break;
    }
    char32_t cp;
    std::size_t len = json_utf8::Decode(p, end, cp);
    if (len == 0) {  // not produced by this tree; keep the output valid
      cp = json_utf8::kReplacement;
      len = 1;
    }
    switch (cp) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\r':
        out += "\\r";
        break;
      case 0x2400:
        out += '\\';
        break;
      default:
        if (EscapedAsHex(cp)) {
          const char esc[6] = {'\\',
                               'u',
                               kHex[(cp >> 12) & 0xF],
                               kHex[(cp >> 8) & 0xF],
                               kHex[(cp >> 4) & 0xF],
                               kHex[cp & 0xF]};
          out.append(esc, sizeof esc);
        } else {
          out.append(p, len);
        }
    }
    p += len;
  }
  out += '"';
}

void AppendJsonValue(std::string& out, const JsonValue& v) {
  switch (v.Kind()) {
    case JsonKind::Undefined:
    case JsonKind::Null:
      out += "null";
      break;
    case JsonKind::Boolean:
      out += v.BooleanValue() ? "true" : "false";
      break;
    case JsonKind::Number:
      if (std::isfinite(v.NumberValue())) {
        AppendNumberText(out, v.NumberValue());
      } else {
        out += "null";
      }
      break;
    case JsonKind::String:
      AppendQuoted(out, v.StringValue());
      break;
    case JsonKind::Array: {
      out += '[';
      bool first = true;
      for (const JsonValue& item : v.Items()) {
        if (!first) {
          out += ',';
        }
        first = false;
        AppendJsonValue(out, item);
      }
      out += ']';
      break;
    }
    case JsonKind::Object: {
      out += '{';
      bool first = true;
      for (const JsonMember& m : v.Members().List()) {
        if (m.value.Kind() == JsonKind::Undefined) {
          continue;
        }
        if (!first) {
          out += ',';
        }
        first = false;
        AppendQuoted(out, m.name);
        out += ':';
        AppendJsonValue(out, m.value);
      }
      out += '}';
      break;
    }
  }
}

void AppendJoined(std::string& out, const JsonValue& v) {
  bool first = true;
  for (const JsonValue& item : v.Items()) {
    if (!first) {
      out += ',';
    }
    first = false;
    AppendPlainText(out, item);
  }
}

}  // namespace

bool AppendJson(std::string& out, const JsonValue& value) {
  if (value.Kind() == JsonKind::Undefined) {
    return false;
  }
  AppendJsonValue(out, value);
  return true;
}

bool AppendPlainText(std::string& out, const JsonValue& value) {
  switch (value.Kind()) {
    case JsonKind::Undefined:
    case JsonKind::Null:
      return false;
    case JsonKind::Boolean:
      out += value.BooleanValue() ? "true" : "false";
      break;
    case JsonKind::Number:
      AppendNumberText(out, value.NumberValue());
      break;
    case JsonKind::String:
      json_utf8::AppendUnmarked(out, value.StringValue());
      break;
    case JsonKind::Array:
      AppendJoined(out, value);
      break;
    case JsonKind::Object:
      out += "[object Object]";
      break;
  }
  return true;
}

}  // namespace larkbay

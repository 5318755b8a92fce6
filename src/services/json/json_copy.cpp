#include "services/json/json_copy.h"

#include <cmath>

#include "services/json/json_parser.h"
#include "services/json/json_utf8.h"
#include "services/json/json_value.h"

namespace larkbay {
namespace {

bool HasMark(const std::string& text) {
  return text.find(json_utf8::kBackslashMark) != std::string::npos;
}

bool Copy(const JsonValue& value, JsonValue& out, int depth) {
  switch (value.Kind()) {
    case JsonKind::Undefined:
    case JsonKind::Null:
      out = JsonValue::Null();
      return true;
    case JsonKind::Boolean:
      out = JsonValue::Boolean(value.BooleanValue());
      return true;
    case JsonKind::Number: {
      const double n = value.NumberValue();
      out = std::isfinite(n) ? JsonValue::Number(n == 0 ? 0.0 : n) : JsonValue::Null();
      return true;
    }
    case JsonKind::String:
      if (HasMark(value.StringValue())) {
        return false;
      }
      out = JsonValue::String(value.StringValue());
      return true;
    case JsonKind::Array: {
      if (depth >= kMaxJsonDepth) {
        return false;
      }
      out = JsonValue::Array();
      if (value.Items().empty()) {
        return true;
      }
      std::vector<JsonValue>& items = out.Items();
      items.resize(value.Items().size());
      for (std::size_t i = 0; i < items.size(); ++i) {
        if (!Copy(value.Items()[i], items[i], depth + 1)) {
          return false;
        }
      }
      return true;
    }
    case JsonKind::Object: {
      if (depth >= kMaxJsonDepth) {
        return false;
      }
      out = JsonValue::Object();
      if (value.Members().List().empty()) {
        return true;
      }
      JsonMembers& members = out.Members();
      members.List().reserve(value.Members().List().size());
      for (const JsonMember& m : value.Members().List()) {
        if (m.value.Kind() == JsonKind::Undefined) {
          continue;
        }
        if (HasMark(m.name)) {
          return false;
        }
        JsonValue copy;
        if (!Copy(m.value, copy, depth + 1)) {
          return false;
        }
        members.Set(m.name, std::move(copy));
      }
      return true;
    }
  }
  return false;
}

}  // namespace

bool CopyAsReparsed(const JsonValue& value, JsonValue& out) {
  if (value.Kind() == JsonKind::String) {
    return false;
  }
  if (value.Kind() == JsonKind::Undefined) {
    out = JsonValue();
    return true;
  }
  return Copy(value, out, 0);
}

}  // namespace larkbay

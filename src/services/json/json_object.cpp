#include "services/json/json_object.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "services/json/json_copy.h"
#include "services/json/json_parser.h"
#include "services/json/json_path.h"
#include "services/json/json_utf8.h"
#include "services/json/json_value.h"
#include "services/json/json_writer.h"

namespace larkbay {
namespace {

// The caller's path or value as the engine saw it: up to the first NUL, with
// invalid UTF-8 as U+FFFD. Plain ASCII (every path in practice) is used as is.
std::string_view CleanView(std::string_view text, std::string& storage) {
  const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
    return c != '\0' && static_cast<unsigned char>(c) < 0x80;
  });
  if (plain) {
    return text;
  }
  storage = json_utf8::CleanText(text);
  return storage;
}

// A text handed back to the program ends at its first NUL.
std::string EndAtNul(std::string text) {
  if (const auto nul = text.find('\0'); nul != std::string::npos) {
    text.resize(nul);
  }
  return text;
}

}  // namespace

JsonObject::JsonObject() : doc_(std::make_shared<JsonValue>(JsonValue::Object())) {}
JsonObject::~JsonObject() = default;
JsonObject::JsonObject(const JsonObject&) = default;
JsonObject& JsonObject::operator=(const JsonObject&) = default;
JsonObject::JsonObject(JsonObject&&) noexcept = default;
JsonObject& JsonObject::operator=(JsonObject&&) noexcept = default;

bool JsonObject::Parse(std::string_view text) {
  // A fresh document whatever happens: copies made before keep the old one.
  auto doc = std::make_shared<JsonValue>();
  JsonValue value;
  *doc = ParseDocument(text, value) ? std::move(value) : JsonValue::Null();
  doc_ = std::move(doc);
  return !doc_->IsNullish();
}

void JsonObject::Clear() {
  if (doc_) {
    *doc_ = JsonValue::Object();
  }
}

std::string JsonObject::ToText() const {
  std::string out;
  if (doc_) {
    AppendJson(out, *doc_);
  }
  return out;
}

bool JsonObject::SetValue(std::string_view path, std::string_view value, bool isJson) {
  if (!doc_) {
    return false;
  }
  std::string pathStorage;
  const std::string_view cleanPath = CleanView(path, pathStorage);
  if (isJson) {
    JsonValue parsed;
    if (!ParseDocument(value, parsed)) {
      return false;
    }
    return AssignPath(*doc_, cleanPath, std::move(parsed));
  }
  // Backslashes are stored as the mark and written back out as raw backslashes.
  const std::string clean = json_utf8::CleanText(value);
  std::string stored;
  stored.reserve(clean.size());
  for (char c : clean) {
    if (c == '\\') {
      stored += json_utf8::kBackslashMark;
    } else {
      stored += c;
    }
  }
  return AssignPath(*doc_, cleanPath, JsonValue::String(std::move(stored)));
}

std::string JsonObject::GetText(std::string_view path, bool asJson) const {
  if (!doc_) {
    return {};
  }
  std::string pathStorage;
  JsonValue scratch;
  const JsonValue* value;
  if (!ReadPath(*doc_, CleanView(path, pathStorage), scratch, value)) {
    return {};
  }
  std::string out;
  if (asJson) {
    AppendJson(out, *value);
    return out;
  }
  AppendPlainText(out, *value);
  return EndAtNul(std::move(out));
}

int JsonObject::GetNames(std::vector<std::string>& names, std::string_view path) const {
  names.clear();
  if (!doc_) {
    return 0;
  }
  std::string pathStorage;
  JsonValue scratch;
  const JsonValue* value;
  if (!ReadPath(*doc_, CleanView(path, pathStorage), scratch, value) ||
      value->Kind() != JsonKind::Object) {
    return 0;
  }
  // The names travel as one CR LF separated text, so a name holding CR LF
  // comes back as several, and a lone empty name as none. Names are not
  // serialised, so a U+2400 in one stays as it is.
  std::string joined;
  for (const JsonMember& m : value->Members().List()) {
    if (&m != &value->Members().List().front()) {
      joined += "\r\n";
    }
    joined += m.name;
  }
  joined = EndAtNul(std::move(joined));
  if (joined.empty()) {
    return 0;
  }
  std::string_view rest = joined;
  for (;;) {
    const auto cut = rest.find("\r\n");
    names.emplace_back(rest.substr(0, cut));
    if (cut == std::string_view::npos) {
      break;
    }
    rest.remove_prefix(cut + 2);
  }
  return static_cast<int>(std::min<std::size_t>(names.size(), INT_MAX));
}

int JsonObject::GetCount(std::string_view path) const {
  if (!doc_) {
    return 0;
  }
  std::string pathStorage;
  JsonValue scratch;
  const JsonValue* value;
  if (!ReadPath(*doc_, CleanView(path, pathStorage), scratch, value) ||
      value->Kind() != JsonKind::Array) {
    return 0;
  }
  return static_cast<int>(std::min<std::size_t>(value->Items().size(), INT_MAX));
}

JsonObject JsonObject::GetItemObject(int index, std::string_view path) const {
  JsonObject item;
  item.doc_ = std::make_shared<JsonValue>();  // undefined unless the element reads back
  if (!doc_) {
    return item;
  }
  std::string pathStorage;
  JsonValue scratch;
  const JsonValue* value;
  if (!ReadPathItem(*doc_, CleanView(path, pathStorage), index, scratch, value)) {
    return item;
  }
  if (CopyAsReparsed(*value, *item.doc_)) {
    return item;
  }
  std::string text;
  AppendJson(text, *value);
  item.Parse(text);
  return item;
}

std::string JsonObject::GetItemText(int index, std::string_view path, bool asJson) const {
  if (!doc_) {
    return {};
  }
  std::string pathStorage;
  JsonValue scratch;
  const JsonValue* value;
  if (!ReadPathItem(*doc_, CleanView(path, pathStorage), index, scratch, value)) {
    return {};
  }
  std::string out;
  if (asJson) {
    AppendJson(out, *value);
    return out;
  }
  if (value->Kind() != JsonKind::String) {
    return {};  // only strings have replace()
  }
  json_utf8::AppendUnmarked(out, value->StringValue());
  return EndAtNul(std::move(out));
}

}  // namespace larkbay

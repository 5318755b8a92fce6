#include "services/json/json_path.h"

#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "services/json/json_number.h"
#include "services/json/json_parser.h"
#include "services/json/json_utf8.h"
#include "services/json/json_value.h"

namespace larkbay {
namespace {

constexpr std::string_view kRootName = "da";
// Setting an element far past the end of an array would allocate every hole
// in between; such an assignment fails instead.
constexpr std::size_t kMaxArrayGrowth = 65536;
constexpr double kArrayIndexLimit = 4294967295.0;  // 2^32 - 1

const JsonValue kUndefined;

// Words the engine does not take as a member name after ".".
constexpr std::array<std::string_view, 36> kReservedWords = {
    "break",  "case",     "catch",  "class",  "const",  "continue",   "debugger", "default",
    "delete", "do",       "else",   "enum",   "export", "extends",    "false",    "finally",
    "for",    "function", "if",     "import", "in",     "instanceof", "new",      "null",
    "return", "super",    "switch", "this",   "throw",  "true",       "try",      "typeof",
    "var",    "void",     "while",  "with"};

bool IsIdentifierStart(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' || c >= 0x80;
}

bool IsIdentifierPart(unsigned char c) { return IsIdentifierStart(c) || (c >= '0' && c <= '9'); }

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// One member access: a name, or the number written between brackets.
class Key {
 public:
  void SetName(std::string_view name) {
    isNumber_ = false;
    decoded_ = false;
    view_ = name;
  }
  void SetDecodedName(std::string name) {
    isNumber_ = false;
    decoded_ = true;
    storage_ = std::move(name);
  }
  void SetNumber(double number) {
    isNumber_ = true;
    number_ = number;
  }

  // The property name the engine looks up.
  std::string_view Name(std::string& buffer) const {
    if (!isNumber_) {
      return decoded_ ? std::string_view(storage_) : view_;
    }
    buffer.clear();
    AppendNumberText(buffer, number_);
    return buffer;
  }

  // An array index (0 to 2^32 - 2), given as a number or as its canonical text.
  bool ArrayIndex(std::size_t& index) const {
    if (isNumber_) {
      if (!(number_ >= 0 && number_ < kArrayIndexLimit) || std::floor(number_) != number_) {
        return false;
      }
      index = static_cast<std::size_t>(number_);
      return true;
    }
    const std::string_view name = decoded_ ? std::string_view(storage_) : view_;
    if (name.empty() || name.size() > 10 || (name.size() > 1 && name[0] == '0')) {
      return false;
    }
    double value = 0;
    for (char c : name) {
      if (c < '0' || c > '9') {
        return false;
      }
      value = value * 10 + (c - '0');
    }
    if (value >= kArrayIndexLimit) {
      return false;
    }
    index = static_cast<std::size_t>(value);
    return true;
  }

 private:
  bool isNumber_ = false;
  bool decoded_ = false;
  double number_ = 0;
  std::string_view view_;
  std::string storage_;
};

// Reads a path text one member access at a time. A relative path is read as
// if "da." (or "da" before a leading "[") stood in front of it.
class PathReader {
 public:
  PathReader(std::string_view text, bool absolute) : text_(text), absolute_(absolute) {}

  bool Start() {
    if (absolute_) {
      // Of the names that begin with "da" only the root variable exists.
      std::size_t end = 0;
      while (end < text_.size() && IsIdentifierPart(static_cast<unsigned char>(text_[end]))) {
        ++end;
      }
      if (text_.substr(0, end) != kRootName) {
        return false;
      }
      pos_ = end;
      return true;
    }
    implicitDot_ = !text_.empty() && text_[0] != '[';
    return true;
  }

  // False on a syntax error; `done` once the whole text is read.
  bool Next(Key& key, bool& done) {
    done = false;
    if (implicitDot_) {
      implicitDot_ = false;
      return Name(key);
    }
    SkipSpace();
    if (pos_ == text_.size()) {
      done = true;
      return true;
    }
    if (text_[pos_] == '.') {
      ++pos_;
      return Name(key);
    }
    if (text_[pos_] != '[') {
      return false;
    }
    ++pos_;
    SkipSpace();
    if (pos_ < text_.size() && (text_[pos_] == '"' || text_[pos_] == '\'')) {
      std::string name;
      if (!ReadStringLiteral(text_, pos_, name)) {
        return false;
      }
      key.SetDecodedName(std::move(name));
    } else if (!Number(key)) {
      return false;
    }
    SkipSpace();
    if (pos_ == text_.size() || text_[pos_] != ']') {
      return false;
    }
    ++pos_;
    return true;
  }

 private:
  void SkipSpace() {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) {
      ++pos_;
    }
  }

  bool Name(Key& key) {
    SkipSpace();
    const std::size_t begin = pos_;
    if (pos_ == text_.size() || !IsIdentifierStart(static_cast<unsigned char>(text_[pos_]))) {
      return false;
    }
    while (pos_ < text_.size() && IsIdentifierPart(static_cast<unsigned char>(text_[pos_]))) {
      ++pos_;
    }
    const std::string_view name = text_.substr(begin, pos_ - begin);
    for (std::string_view word : kReservedWords) {
      if (name == word) {
        return false;
      }
    }
    key.SetName(name);
    return true;
  }

  // Decimal digits; a leading 0 followed by octal digits is octal, as the
  // engine read such literals.
  bool Number(Key& key) {
    const std::size_t begin = pos_;
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
      ++pos_;
    }
    const std::string_view digits = text_.substr(begin, pos_ - begin);
    if (digits.empty()) {
      return false;
    }
    if (pos_ < text_.size() && IsIdentifierPart(static_cast<unsigned char>(text_[pos_]))) {
      return false;
    }
    const bool octal = digits.size() > 1 && digits[0] == '0' &&
                       digits.find_first_of("89") == std::string_view::npos;
    double value = 0;
    for (char c : digits) {
      value = value * (octal ? 8 : 10) + (c - '0');
    }
    key.SetNumber(value);
    return true;
  }

  std::string_view text_;
  bool absolute_;
  bool implicitDot_ = false;
  std::size_t pos_ = 0;
};

// base[key]; nullptr where the engine raised an error (base null or undefined).
const JsonValue* Member(const JsonValue& base, const Key& key, JsonValue& scratch) {
  std::string buffer;
  switch (base.Kind()) {
    case JsonKind::Undefined:
    case JsonKind::Null:
      return nullptr;
    case JsonKind::Object: {
      const JsonValue* found = base.Members().Find(key.Name(buffer));
      return found ? found : &kUndefined;
    }
    case JsonKind::Array: {
      std::size_t index;
      if (key.ArrayIndex(index)) {
        return index < base.Items().size() ? &base.Items()[index] : &kUndefined;
      }
      if (key.Name(buffer) != "length") {
        return &kUndefined;
      }
      JsonValue length = JsonValue::Number(static_cast<double>(base.Items().size()));
      scratch = std::move(length);
      return &scratch;
    }
    case JsonKind::String: {
      std::size_t index;
      std::string unit;
      JsonValue computed;
      if (key.ArrayIndex(index)) {
        if (!json_utf8::Utf16UnitAt(base.StringValue(), index, unit)) {
          return &kUndefined;
        }
        computed = JsonValue::String(std::move(unit));
      } else if (key.Name(buffer) == "length") {
        computed =
            JsonValue::Number(static_cast<double>(json_utf8::Utf16Length(base.StringValue())));
      } else {
        return &kUndefined;
      }
      scratch = std::move(computed);
      return &scratch;
    }
    case JsonKind::Boolean:
    case JsonKind::Number:
      return &kUndefined;
  }
  return &kUndefined;
}

bool Walk(const JsonValue& root, std::string_view path, bool absolute, JsonValue& scratch,
          const JsonValue*& value) {
  PathReader reader(path, absolute);
  if (!reader.Start()) {
    return false;
  }
  const JsonValue* current = &root;
  Key key;
  for (;;) {
    bool done;
    if (!reader.Next(key, done)) {
      return false;
    }
    if (done) {
      break;
    }
    current = Member(*current, key, scratch);
    if (!current) {
      return false;
    }
  }
  value = current;
  return true;
}

// ResolvePath: a path beginning with "da" stays as written when it names a
// value that is neither null nor undefined; otherwise it is taken relative.
bool ResolvesAsWritten(const JsonValue& root, std::string_view path) {
  if (!path.starts_with(kRootName)) {
    return false;
  }
  JsonValue scratch;
  const JsonValue* value;
  return Walk(root, path, true, scratch, value) && !value->IsNullish();
}

}  // namespace

bool ReadPath(const JsonValue& root, std::string_view path, JsonValue& scratch,
              const JsonValue*& value) {
  if (path.starts_with(kRootName) && Walk(root, path, true, scratch, value) &&
      !value->IsNullish()) {
    return true;
  }
  return Walk(root, path, false, scratch, value);
}

bool ReadPathItem(const JsonValue& root, std::string_view path, int index, JsonValue& scratch,
                  const JsonValue*& value) {
  const JsonValue* base;
  if (!ReadPath(root, path, scratch, base)) {
    return false;
  }
  Key key;
  key.SetNumber(index);
  value = Member(*base, key, scratch);
  return value != nullptr;
}

bool AssignPath(JsonValue& root, std::string_view path, JsonValue value) {
  PathReader reader(path, ResolvesAsWritten(root, path));
  if (!reader.Start()) {
    return false;
  }
  Key pending;
  bool done;
  if (!reader.Next(pending, done)) {
    return false;
  }
  if (done) {  // the root variable itself
    root = std::move(value);
    return true;
  }
  JsonValue scratch;
  const JsonValue* base = &root;
  for (;;) {
    Key next;
    if (!reader.Next(next, done)) {
      return false;
    }
    if (done) {
      break;
    }
    base = Member(*base, pending, scratch);
    if (!base) {
      return false;
    }
    pending = std::move(next);
  }
  if (base->IsNullish()) {
    return false;
  }
  // Objects and arrays are never computed on the way, so they are tree nodes.
  auto& target = const_cast<JsonValue&>(*base);
  if (target.Kind() == JsonKind::Object) {
    std::string buffer;
    target.Members().Set(pending.Name(buffer), std::move(value));
  } else if (target.Kind() == JsonKind::Array) {
    std::size_t index;
    if (!pending.ArrayIndex(index)) {
      return true;  // a named member of an array is not kept
    }
    std::vector<JsonValue>& items = target.Items();
    if (index >= items.size()) {
      if (index - items.size() > kMaxArrayGrowth) {
        return false;
      }
      items.resize(index + 1);
    }
    items[index] = std::move(value);
  }
  // A member of a string, number or boolean: the engine ignored it silently.
  return true;
}

}  // namespace larkbay

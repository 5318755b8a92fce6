#pragma once
// The native document tree behind JsonObject. Values mirror the script
// language's: undefined (array holes, an empty document), null, booleans,
// numbers (doubles), strings (valid UTF-8; U+2400 kept as stored), arrays and
// objects whose members keep their insertion order.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace larkbay {

enum class JsonKind : std::uint8_t { Undefined, Null, Boolean, Number, String, Array, Object };

struct JsonMember;
class JsonMembers;

class JsonValue {
 public:
  JsonValue() = default;
  ~JsonValue();
  JsonValue(JsonValue&&) noexcept;
  JsonValue& operator=(JsonValue&&) noexcept;
  JsonValue(const JsonValue&) = delete;
  JsonValue& operator=(const JsonValue&) = delete;

  static JsonValue Null();
  static JsonValue Boolean(bool value);
  static JsonValue Number(double value);
  static JsonValue String(std::string value);
  static JsonValue Array();
  static JsonValue Object();

  JsonKind Kind() const { return kind_; }
  bool IsNullish() const { return kind_ == JsonKind::Undefined || kind_ == JsonKind::Null; }
  bool BooleanValue() const { return boolean_; }
  double NumberValue() const { return number_; }
  const std::string& StringValue() const { return text_; }

  // Arrays (empty for any other kind).
  std::vector<JsonValue>& Items();
  const std::vector<JsonValue>& Items() const;
  // Objects.
  JsonMembers& Members();
  const JsonMembers& Members() const;

  JsonValue Clone() const;

 private:
  JsonKind kind_ = JsonKind::Undefined;
  bool boolean_ = false;
  double number_ = 0;
  std::string text_;
  std::unique_ptr<std::vector<JsonValue>> items_;
  std::unique_ptr<JsonMembers> members_;
};

struct JsonMember {
  std::string name;
  JsonValue value;
};

// Members in insertion order. Small objects are searched linearly; from a
// few dozen members on a name index keeps lookups and parsing linear.
class JsonMembers {
 public:
  const std::vector<JsonMember>& List() const { return list_; }
  std::vector<JsonMember>& List() { return list_; }
  JsonValue* Find(std::string_view name);
  const JsonValue* Find(std::string_view name) const;
  // Replaces the value of an existing member in place (its position stays),
  // or appends a new member.
  JsonValue& Set(std::string_view name, JsonValue value);
  // Appends a member the caller knows is not there yet; its value is undefined.
  JsonValue& Append(std::string name);

 private:
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const {
      return std::hash<std::string_view>{}(name);
    }
  };
  using Index = std::unordered_map<std::string, std::uint32_t, NameHash, std::equal_to<>>;
  static constexpr std::size_t kIndexFrom = 24;
  std::vector<JsonMember> list_;
  std::unique_ptr<Index> index_;
};

}  // namespace larkbay

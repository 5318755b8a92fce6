#pragma once
// The native document tree behind JsonObject. Values mirror the script
// language's: undefined (array holes, an empty document), null, booleans,
// numbers (doubles), strings (valid UTF-8; U+2400 kept as stored), arrays and
// objects whose members keep their insertion order.
//
// A value is one 64-bit word: a number is its double, every other kind sits in
// the negative quiet-NaN space as a tag and (for strings, arrays and objects)
// a pointer to its heap part. A flat array of numbers thus costs 8 bytes per
// element, so a document of small numbers stays within a few times its text.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace larkbay {

enum class JsonKind : std::uint8_t { Undefined, Null, Boolean, Number, String, Array, Object };

struct JsonMember;
class JsonMembers;

class JsonValue {
 public:
  JsonValue() = default;
  ~JsonValue() { Release(); }
  JsonValue(JsonValue&& other) noexcept : bits_(std::exchange(other.bits_, kUndefinedBits)) {}
  JsonValue& operator=(JsonValue&& other) noexcept;
  JsonValue(const JsonValue&) = delete;
  JsonValue& operator=(const JsonValue&) = delete;

  static JsonValue Null();
  static JsonValue Boolean(bool value);
  static JsonValue Number(double value);
  static JsonValue String(std::string value);
  static JsonValue Array();
  static JsonValue Object();

  JsonKind Kind() const;
  bool IsNullish() const { return bits_ == kUndefinedBits || bits_ == kNullBits; }
  bool BooleanValue() const { return bits_ == kTrueBits; }
  double NumberValue() const;
  // Empty for any other kind.
  const std::string& StringValue() const;

  // Arrays (empty for any other kind). The mutable form makes a value of
  // another kind an empty array first.
  std::vector<JsonValue>& Items();
  const std::vector<JsonValue>& Items() const;
  // Objects, likewise.
  JsonMembers& Members();
  const JsonMembers& Members() const;

  JsonValue Clone() const;

 private:
  static constexpr int kTagShift = 48;
  static constexpr std::uint64_t kPointerMask = (std::uint64_t{1} << kTagShift) - 1;
  enum Tag : std::uint64_t {
    kUndefinedTag = 0xFFF9,
    kNullTag,
    kBooleanTag,
    kStringTag,
    kArrayTag,
    kObjectTag,
  };
  static constexpr std::uint64_t kUndefinedBits = std::uint64_t{kUndefinedTag} << kTagShift;
  static constexpr std::uint64_t kNullBits = std::uint64_t{kNullTag} << kTagShift;
  static constexpr std::uint64_t kFalseBits = std::uint64_t{kBooleanTag} << kTagShift;
  static constexpr std::uint64_t kTrueBits = kFalseBits | 1;

  std::uint64_t Tag() const { return bits_ >> kTagShift; }
  void* Pointer() const;
  static JsonValue Tagged(std::uint64_t tag, const void* pointer);
  void Release() noexcept {
    if (Tag() >= kStringTag && Tag() <= kObjectTag) {
      ReleaseHeapPart();
    }
  }
  void ReleaseHeapPart() noexcept;

  std::uint64_t bits_ = kUndefinedBits;
};

static_assert(sizeof(JsonValue) == 8);

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
  bool HasIndex() const { return index_ != nullptr; }

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

#include "services/json/json_value.h"

#include <bit>
#include <cmath>
#include <cstdlib>

namespace larkbay {

namespace {
const std::string kNoText;
const std::vector<JsonValue> kNoItems;
const JsonMembers kNoMembers;
// Every NaN is stored as this one, so no number looks like a tagged value.
constexpr std::uint64_t kCanonicalNaN = 0x7FF8'0000'0000'0000;
}  // namespace

JsonValue& JsonValue::operator=(JsonValue&& other) noexcept {
  if (this != &other) {
    Release();
    bits_ = std::exchange(other.bits_, kUndefinedBits);
  }
  return *this;
}

void* JsonValue::Pointer() const {
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(bits_ & kPointerMask));
}

JsonValue JsonValue::Tagged(std::uint64_t tag, const void* pointer) {
  const auto address = reinterpret_cast<std::uintptr_t>(pointer);
  // User-space addresses on the 64-bit targets we build for fit in 48 bits.
  if ((address & ~kPointerMask) != 0) {
    std::abort();
  }
  JsonValue v;
  v.bits_ = (tag << kTagShift) | address;
  return v;
}

void JsonValue::ReleaseHeapPart() noexcept {
  switch (Tag()) {
    case kStringTag:
      delete static_cast<std::string*>(Pointer());
      break;
    case kArrayTag:
      delete static_cast<std::vector<JsonValue>*>(Pointer());
      break;
    case kObjectTag:
      delete static_cast<JsonMembers*>(Pointer());
      break;
    default:
      break;
  }
  bits_ = kUndefinedBits;
}

JsonValue JsonValue::Null() {
  JsonValue v;
  v.bits_ = kNullBits;
  return v;
}

JsonValue JsonValue::Boolean(bool value) {
  JsonValue v;
  v.bits_ = value ? kTrueBits : kFalseBits;
  return v;
}

JsonValue JsonValue::Number(double value) {
  JsonValue v;
  v.bits_ = std::isnan(value) ? kCanonicalNaN : std::bit_cast<std::uint64_t>(value);
  return v;
}

JsonValue JsonValue::String(std::string value) {
  return Tagged(kStringTag, new std::string(std::move(value)));
}

// Empty arrays and objects have no heap part until something is added.
JsonValue JsonValue::Array() { return Tagged(kArrayTag, nullptr); }

JsonValue JsonValue::Object() { return Tagged(kObjectTag, nullptr); }

JsonKind JsonValue::Kind() const {
  switch (Tag()) {
    case kUndefinedTag:
      return JsonKind::Undefined;
    case kNullTag:
      return JsonKind::Null;
    case kBooleanTag:
      return JsonKind::Boolean;
    case kStringTag:
      return JsonKind::String;
    case kArrayTag:
      return JsonKind::Array;
    case kObjectTag:
      return JsonKind::Object;
    default:
      return JsonKind::Number;
  }
}

double JsonValue::NumberValue() const {
  return Kind() == JsonKind::Number ? std::bit_cast<double>(bits_) : 0.0;
}

const std::string& JsonValue::StringValue() const {
  return Tag() == kStringTag ? *static_cast<const std::string*>(Pointer()) : kNoText;
}

std::vector<JsonValue>& JsonValue::Items() {
  if (Tag() != kArrayTag) {
    *this = Array();
  }
  if (Pointer() == nullptr) {
    *this = Tagged(kArrayTag, new std::vector<JsonValue>());
  }
  return *static_cast<std::vector<JsonValue>*>(Pointer());
}

const std::vector<JsonValue>& JsonValue::Items() const {
  return Tag() == kArrayTag && Pointer() != nullptr
             ? *static_cast<const std::vector<JsonValue>*>(Pointer())
             : kNoItems;
}

JsonMembers& JsonValue::Members() {
  if (Tag() != kObjectTag) {
    *this = Object();
  }
  if (Pointer() == nullptr) {
    *this = Tagged(kObjectTag, new JsonMembers());
  }
  return *static_cast<JsonMembers*>(Pointer());
}

const JsonMembers& JsonValue::Members() const {
  return Tag() == kObjectTag && Pointer() != nullptr ? *static_cast<const JsonMembers*>(Pointer())
                                                     : kNoMembers;
}

JsonValue JsonValue::Clone() const {
  switch (Kind()) {
    case JsonKind::String:
      return String(StringValue());
    case JsonKind::Array: {
      JsonValue copy = Array();
      if (!Items().empty()) {
        std::vector<JsonValue>& items = copy.Items();
        items.reserve(Items().size());
        for (const JsonValue& item : Items()) {
          items.push_back(item.Clone());
        }
      }
      return copy;
    }
    case JsonKind::Object: {
      JsonValue copy = Object();
      if (!Members().List().empty()) {
        JsonMembers& members = copy.Members();
        members.List().reserve(Members().List().size());
        for (const JsonMember& m : Members().List()) {
          members.Set(m.name, m.value.Clone());
        }
      }
      return copy;
    }
    default: {
      JsonValue copy;
      copy.bits_ = bits_;
      return copy;
    }
  }
}

JsonValue* JsonMembers::Find(std::string_view name) {
  return const_cast<JsonValue*>(static_cast<const JsonMembers*>(this)->Find(name));
}

const JsonValue* JsonMembers::Find(std::string_view name) const {
  if (index_) {
    auto it = index_->find(name);
    return it == index_->end() ? nullptr : &list_[it->second].value;
  }
  for (const JsonMember& m : list_) {
    if (m.name.size() == name.size() && (name.empty() || m.name[0] == name[0]) &&
        std::string_view(m.name) == name) {
      return &m.value;
    }
  }
  return nullptr;
}

JsonValue& JsonMembers::Set(std::string_view name, JsonValue value) {
  if (JsonValue* existing = Find(name)) {
    *existing = std::move(value);
    return *existing;
  }
  JsonValue& added = Append(std::string(name));
  added = std::move(value);
  return added;
}

JsonValue& JsonMembers::Append(std::string name) {
  list_.push_back(JsonMember{std::move(name), JsonValue()});
  const auto position = static_cast<std::uint32_t>(list_.size() - 1);
  if (index_) {
    index_->emplace(list_.back().name, position);
  } else if (list_.size() >= kIndexFrom) {
    index_ = std::make_unique<Index>();
    index_->reserve(list_.size() * 2);
    for (std::uint32_t i = 0; i < list_.size(); ++i) {
      index_->emplace(list_[i].name, i);
    }
  }
  return list_.back().value;
}

}  // namespace larkbay

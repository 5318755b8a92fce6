#include "services/json/json_value.h"

#include <utility>

namespace larkbay {

JsonValue::~JsonValue() = default;
JsonValue::JsonValue(JsonValue&&) noexcept = default;
JsonValue& JsonValue::operator=(JsonValue&&) noexcept = default;

JsonValue JsonValue::Null() {
  JsonValue v;
  v.kind_ = JsonKind::Null;
  return v;
}

JsonValue JsonValue::Boolean(bool value) {
  JsonValue v;
  v.kind_ = JsonKind::Boolean;
  v.boolean_ = value;
  return v;
}

JsonValue JsonValue::Number(double value) {
  JsonValue v;
  v.kind_ = JsonKind::Number;
  v.number_ = value;
  return v;
}

JsonValue JsonValue::String(std::string value) {
  JsonValue v;
  v.kind_ = JsonKind::String;
  v.text_ = std::move(value);
  return v;
}

JsonValue JsonValue::Array() {
  JsonValue v;
  v.kind_ = JsonKind::Array;
  v.items_ = std::make_unique<std::vector<JsonValue>>();
  return v;
}

JsonValue JsonValue::Object() {
  JsonValue v;
  v.kind_ = JsonKind::Object;
  v.members_ = std::make_unique<JsonMembers>();
  return v;
}

namespace {
const std::vector<JsonValue> kNoItems;
const JsonMembers kNoMembers;
}  // namespace

std::vector<JsonValue>& JsonValue::Items() {
  if (!items_) {
    items_ = std::make_unique<std::vector<JsonValue>>();
  }
  return *items_;
}

const std::vector<JsonValue>& JsonValue::Items() const { return items_ ? *items_ : kNoItems; }

JsonMembers& JsonValue::Members() {
  if (!members_) {
    members_ = std::make_unique<JsonMembers>();
  }
  return *members_;
}

const JsonMembers& JsonValue::Members() const { return members_ ? *members_ : kNoMembers; }

JsonValue JsonValue::Clone() const {
  JsonValue copy;
  copy.kind_ = kind_;
  copy.boolean_ = boolean_;
  copy.number_ = number_;
  copy.text_ = text_;
  if (kind_ == JsonKind::Array) {
    copy.items_ = std::make_unique<std::vector<JsonValue>>();
    copy.items_->reserve(Items().size());
    for (const JsonValue& item : Items()) {
      copy.items_->push_back(item.Clone());
    }
  } else if (kind_ == JsonKind::Object) {
    copy.members_ = std::make_unique<JsonMembers>();
    for (const JsonMember& m : Members().List()) {
      copy.members_->Set(m.name, m.value.Clone());
    }
  }
  return copy;
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

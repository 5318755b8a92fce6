#pragma once
// The one JSON reader and writer of the program. The document is a native tree;
// every operation answers what a script engine holding the document in the
// variable `da` would answer (member order, serialiser escapes, number forms,
// the path syntax, the U+2400 backslash mark), and gives its empty value
// (false, "", 0, an empty list) on every failure.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace larkbay {

class JsonValue;

class JsonObject {
 public:
  JsonObject();  // the document is an empty object
  ~JsonObject();
  // Copies share the document, as two references to one engine would.
  JsonObject(const JsonObject&);
  JsonObject& operator=(const JsonObject&);
  JsonObject(JsonObject&&) noexcept;
  JsonObject& operator=(JsonObject&&) noexcept;

  // Replaces the document; true when the new document is neither null nor
  // undefined. A failed parse leaves a null document.
  bool Parse(std::string_view text);
  void Clear();  // the document becomes {}
  std::string ToText() const;
  bool SetValue(std::string_view path, std::string_view value, bool isJson = false);
  std::string GetText(std::string_view path, bool asJson = false) const;
  int GetNames(std::vector<std::string>& names, std::string_view path) const;
  int GetCount(std::string_view path) const;
  JsonObject GetItemObject(int index, std::string_view path) const;
  std::string GetItemText(int index, std::string_view path, bool asJson = false) const;

 private:
  std::shared_ptr<JsonValue> doc_;
};

}  // namespace larkbay

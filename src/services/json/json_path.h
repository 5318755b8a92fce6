#pragma once
// Paths into the document: a member-access chain relative to the root, as
// the engine evaluated it after prefixing the root variable `da` ("" is the
// root, "a.b" a member of a member, "[0]" and "List[3]" elements). A path
// that itself begins with "da" is first tried as written, so "da" and "da.x"
// address the root and its member when those exist.
//
// Every function answers false where the engine raised an error: a path that
// is no valid member chain, or a member of null or undefined.

#include <string_view>

namespace larkbay {

class JsonValue;

// On success `value` points into the tree, to `scratch` for values computed on
// the way (a string's length or one of its characters), or to an undefined
// value.
bool ReadPath(const JsonValue& root, std::string_view path, JsonValue& scratch,
              const JsonValue*& value);

// The element `index` of what `path` names (`P[i]`).
bool ReadPathItem(const JsonValue& root, std::string_view path, int index, JsonValue& scratch,
                  const JsonValue*& value);

// `P = value`: creates a missing last member, sets (and grows) array
// elements, and does nothing on a string, number or boolean.
bool AssignPath(JsonValue& root, std::string_view path, JsonValue value);

}  // namespace larkbay

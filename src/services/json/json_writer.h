#pragma once
// Text that leaves the document: the compact JSON serialiser and the script's
// toString form. Both write every U+2400 of a string as one raw backslash.

#include <string>

namespace larkbay {

class JsonValue;

// JSON.stringify(value): no whitespace, members in order, holes and
// non-finite numbers as null. False (nothing appended) for undefined.
bool AppendJson(std::string& out, const JsonValue& value);

// value.toString(): strings as they are, numbers in script form, arrays
// joined by "," (null and undefined elements empty), objects as
// "[object Object]". False (nothing appended) for null and undefined.
bool AppendPlainText(std::string& out, const JsonValue& value);

}  // namespace larkbay

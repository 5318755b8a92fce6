#pragma once
// Copies a subtree the way writing it as JSON and reading that text back
// would: holes become null, members without a value are dropped, numbers
// that are not finite become null and -0 becomes 0.

namespace larkbay {

class JsonValue;

// False where only the round trip through text gives the right answer: a
// string at the top (the engine evaluated it as a program), any string or
// member name holding the backslash mark U+2400 (it comes out of the text as
// a raw backslash and is read back as an escape), or nesting past the depth
// limit. The caller then takes the text road.
bool CopyAsReparsed(const JsonValue& value, JsonValue& out);

}  // namespace larkbay

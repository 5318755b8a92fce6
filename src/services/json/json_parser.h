#pragma once
// Reads document text the way the script engine evaluated it: the text is an
// expression whose value becomes the document. Accepted is JSON, with string
// escapes read as the script language reads them (so text written by this
// object, where a stored backslash comes out raw, reads back as the engine
// read it), and a top-level string evaluated once more as a script.

#include <cstddef>
#include <string>
#include <string_view>

namespace larkbay {

class JsonValue;

// Arrays and objects nested deeper than this make the text fail.
inline constexpr int kMaxJsonDepth = 512;

// The memory a parsed tree may take. Real documents take a few megabytes; a
// text whose tree would grow past this fails like a syntax error, so a hostile
// answer cannot exhaust memory.
inline constexpr std::size_t kMaxJsonTreeBytes = std::size_t{256} << 20;

// False on a syntax error or when the tree would pass `budget` bytes. An empty
// (or blank) text is a valid script and gives undefined. The text ends at its
// first NUL byte.
bool ParseDocument(std::string_view text, JsonValue& out,
                   std::size_t budget = kMaxJsonTreeBytes);

// A quoted string literal at `pos` of `text` (either quote character), with
// the script's escapes; on success `pos` is past the closing quote.
bool ReadStringLiteral(std::string_view text, std::size_t& pos, std::string& out);

}  // namespace larkbay

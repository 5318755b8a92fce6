#pragma once
// UTF-8 pieces the JSON tree needs: decoding with U+FFFD for anything invalid,
// the U+2400 backslash mark, and UTF-16 positions of script strings.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace larkbay::json_utf8 {

// U+2400, stored where a caller's text held a backslash.
inline constexpr std::string_view kBackslashMark = "\xE2\x90\x80";
inline constexpr char32_t kReplacement = 0xFFFD;

// Length of the well-formed UTF-8 sequence at `p` (1 to 4) with its code
// point, or 0 when the bytes there are not one (overlong forms, surrogates,
// values past U+10FFFF, cut sequences).
std::size_t Decode(const char* p, const char* end, char32_t& cp);

// A caller's text: ends at its first NUL; invalid sequences become U+FFFD.
std::string CleanText(std::string_view text);

// Appends `text` with every U+2400 turned into one backslash.
void AppendUnmarked(std::string& out, std::string_view text);

// Length in UTF-16 code units, as the script language counts a string.
std::size_t Utf16Length(std::string_view text);
// The code unit at `index` as a one-unit string (a lone surrogate half comes
// out as U+FFFD); false past the end.
bool Utf16UnitAt(std::string_view text, std::size_t index, std::string& out);

}  // namespace larkbay::json_utf8

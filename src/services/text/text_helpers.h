#pragma once
// Small stateless helpers shared by the envelope, the request engines, the
// configuration code, the player pages and the downloads.
//
// Texts are UTF-8 std::strings; byte arrays are std::strings too (they may hold
// NUL bytes). Positions are 1-based where an operation takes one.

#include <cstdint>
#include <string>
#include <string_view>

namespace larkbay {

using Bytes = std::string;

// --- encodings -------------------------------------------------------------
// A text ends at its first NUL; invalid UTF-8 becomes U+FFFD.
Bytes TextToUtf16(std::string_view text, bool dropTerminator);  // UTF-16LE
std::string Utf16ToText(std::string_view utf16le);
Bytes TextToUtf8(std::string_view text);
std::string Utf8ToText(std::string_view utf8);
// GB18030 where GBK bytes are fixed on the wire or on disk (byte-identical to
// GBK for every character GBK has). Undecodable input bytes become U+FFFD.
Bytes TextToGbk(std::string_view text);
std::string GbkToText(std::string_view gbk);
// Any charset iconv knows, into the program's text; false when the charset is
// unknown (out left empty).
bool CharsetToText(std::string_view bytes, std::string_view charset, std::string& out);
// Replaces every invalid UTF-8 sequence by U+FFFD; keeps NUL bytes.
std::string SanitizeUtf8(std::string_view bytes);
// Appends the one to four bytes of `cp` (up to U+10FFFF; a surrogate half
// takes three bytes like any other code point below U+10000).
void AppendUtf8(std::string& out, char32_t cp);

// --- Base64 and the letter-case swap ----------------------------------------
std::string Base64Encode(std::string_view bytes);
Bytes Base64Decode(std::string_view text);  // lenient, never rejects
std::string SwapLetterCase(std::string_view text);

// --- MD5 ---------------------------------------------------------------------
// 32 hexadecimal digits, or empty when the digest could not be computed.
std::string Md5Hex(std::string_view bytes, bool upperCase);
std::string Sha256Hex(std::string_view bytes);  // lower-case hex

// --- server clock ------------------------------------------------------------
// Wall-clock time in UTC+8, as seconds since 1970-01-01 00:00:00 of that clock.
struct Utc8Time {
  std::int64_t seconds = 0;
  bool valid = false;  // false when it came from a date that could not be read
};
// An RFC 1123 date (a Date header) plus eight hours; a date that cannot be
// parsed gives the zero time, not valid.
Utc8Time HttpDateToUtc8(std::string_view httpDate);
// RFC 1123 in GMT, e.g. "Sun, 06 Nov 1994 08:49:37 GMT", for Unix seconds.
std::string FormatHttpDate(std::int64_t unixSeconds);
// The local clock now, as the wall-clock time of the machine's zone.
Utc8Time LocalClockNow();
// Whole seconds from 1970-01-01 08:00:00 to `time`, left-padded with "0" to ten
// digits and cut to ten characters.
std::string UnixSeconds(Utc8Time time);

// --- percent encoding --------------------------------------------------------
// "%XX" (either letter case) becomes the byte; a "%" without two hexadecimal
// digits, and "+", stay as they are.
Bytes PercentDecode(std::string_view text);
// Every byte but A-Z a-z 0-9 - _ . ~ as "%XX" with upper-case digits.
std::string PercentEncode(std::string_view bytes);
// The same keeping A-Z a-z 0-9 and the bytes of `keptPunctuation` only.
std::string PercentEncode(std::string_view bytes, std::string_view keptPunctuation);

// --- header blocks and text splitting ---------------------------------------
std::string HeaderValue(std::string_view headers, std::string_view name);
// start 0: before the first separator; start -1: before the last one.
std::string TextBefore(std::string_view text, std::string_view separator, int start = 0,
                       bool ignoreCase = false);
// "#引号" in either marker stands for a double quote.
std::string TextBetween(std::string_view text, std::string_view left, std::string_view right,
                        int start = 1, bool ignoreCase = false);

}  // namespace larkbay

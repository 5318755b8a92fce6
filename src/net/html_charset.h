#pragma once
// Turns a response body into the program's text, honouring the character set
// that an HTML page declares.

#include <string>
#include <string_view>

namespace larkbay {

// The character-set name declared by a <meta ... charset=...> tag within the
// first 1024 bytes of `text`, as written; empty when there is none.
std::string DeclaredCharset(std::string_view text);

// The body up to its first NUL, as UTF-8 text. When the page declares a
// character set, the whole body is decoded from it (gbk and gb2312 through
// GB18030, which contains both); a set the converter does not know leaves the
// bytes as they came.
std::string BodyToText(std::string_view body);

}  // namespace larkbay

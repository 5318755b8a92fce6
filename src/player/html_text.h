#pragma once
// Server texts placed into the generated HTML pages.

#include <string>
#include <string_view>

namespace larkbay {

// `text` as HTML character data or attribute value: & < > ' " become
// character references, every other byte stays as it is.
std::string HtmlEscape(std::string_view text);

// `url` when it is an http:// or https:// address (scheme in any letter case),
// otherwise the empty address, so that a page never carries a script or local
// file address it could run or open.
std::string SafePlayUrl(std::string_view url);

}  // namespace larkbay

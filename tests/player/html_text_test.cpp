// Escaping server texts for the generated pages.
#include "player/html_text.h"

#include <gtest/gtest.h>

#include <string>

namespace larkbay {
namespace {

using namespace std::string_literals;

TEST(HtmlText, EscapeReplacesTheFiveMarkupCharacters) {
  struct Case {
    std::string text;
    std::string escaped;
  };
  const Case cases[] = {
      {"", ""},
      {"&<>'\"", "&amp;&lt;&gt;&#39;&quot;"},
      // An existing reference is text too, shown as written.
      {"&amp; &#39;", "&amp;amp; &amp;#39;"},
      {"<img src=x onerror='alert(1)'>", "&lt;img src=x onerror=&#39;alert(1)&#39;&gt;"},
      {"周杰伦 & 蔡依林", "周杰伦 &amp; 蔡依林"},
      {"plain text, 100% #1 / \\ ` = ; :", "plain text, 100% #1 / \\ ` = ; :"},
      {"\xff\xfe<"s, "\xff\xfe&lt;"s},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(HtmlEscape(c.text), c.escaped);
  }
}

TEST(HtmlText, SafePlayUrlKeepsOnlyWebAddresses) {
  struct Case {
    std::string url;
    std::string safe;
  };
  const Case cases[] = {
      {"http://h/a.mp3", "http://h/a.mp3"},
      {"https://h/a.mp3?x=1&y='2'", "https://h/a.mp3?x=1&y='2'"},
      {"HTTP://x", "HTTP://x"},
      {"HtTpS://X/Y", "HtTpS://X/Y"},
      {"http://", "http://"},
      {"javascript:alert(1)", ""},
      {"JAVASCRIPT:x", ""},
      {"data:audio/mp3;base64,AAAA", ""},
      {"file:///C:/music/a.mp3", ""},
      {"vbscript:msgbox(1)", ""},
      {"//h/a.mp3", ""},
      {"h/a.mp3", ""},
      {"http:/h", ""},
      {"http:", ""},
      {"\thttp://h", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    EXPECT_EQ(SafePlayUrl(c.url), c.safe);
  }
}

}  // namespace
}  // namespace larkbay

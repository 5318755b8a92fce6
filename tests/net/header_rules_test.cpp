// Header blocks, cookie lists and address splitting: pure functions, checked
// over tables.
#include <gtest/gtest.h>

#include "net/header_rules.h"
#include "net/http_request_engine.h"
#include "net/inet_request.h"
#include "net/url_parts.h"

namespace larkbay {
namespace {

struct TextCase {
  std::string input;
  std::string expected;
};

TEST(NormaliseHeaderNames, RaisesEachPartAndDropsLinesWithoutColon) {
  const TextCase cases[] = {
      {"user-agent: x", "User-Agent: x"},
      {"x-TOKEN: a-b", "X-TOKEN: a-b"},  // other letters kept, value untouched
      {"accept:text/html", "Accept:text/html"},
      {"a: 1\r\nno colon here\r\nb-c: 2\r\n", "A: 1\r\nB-C: 2"},
      {"--x: 1", "--X: 1"},
      {"\r\n\r\n", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(NormaliseHeaderNames(c.input), c.expected) << c.input;
}

TEST(MergeCookies, ReturnedWinsSentFillsInDeletedAndDuplicatesGo) {
  struct Case {
    std::string sent, returned, expected;
  };
  const Case cases[] = {
      {"a=1; b=2", "a=9", "a=9; b=2"},
      {"a=1; b=2", "b=deleted; c=3", "c=3; a=1"},
      {" a=1; ", "", "a=1"},
      {"a=1", "x=1; x=1; y=2", "x=1; y=2; a=1"},
      {"", "s=1;", "s=1"},
      {"k", "k=2", "k=2"},  // a bare item is named by its whole text
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MergeCookies(c.sent, c.returned), c.expected) << c.sent << " | " << c.returned;
  }
}

TEST(CollectSetCookies, TakesPairsWithoutAttributes) {
  EXPECT_EQ(CollectSetCookies("HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; Path=/; HttpOnly\r\n"
                              "Set-Cookie: lang=zh\r\nset-cookie: low=1\r\nX: Set-Cookie: no\r\n\r\n"),
            "sid=abc; lang=zh");
  EXPECT_EQ(CollectSetCookies("HTTP/1.1 200 OK\r\n\r\n"), "");
}

TEST(HttpHeaderBlock, DefaultsProbesKeepAliveAndCookieLine) {
  const std::string defaults =
      "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
      "Accept: text/html, application/xhtml+xml, */*\r\n"
      "Accept-Encoding: gbk, GB2312\r\n"
      "Accept-Language: zh-cn\r\n"
      "Content-Type: application/x-www-form-urlencoded\r\n"
      "Cache-Control: no-cache";
  EXPECT_EQ(BuildHttpHeaderBlock("", 1, "", true, true), defaults);
  // Content-Type only for POST.
  EXPECT_EQ(BuildHttpHeaderBlock("", 2, "", true, true).find("Content-Type"), std::string::npos);
  // Probes ignore case; the caller's line keeps its place and gets a normalised name.
  EXPECT_EQ(BuildHttpHeaderBlock("user-agent: mine", 0, "", true, true).substr(0, 20),
            "User-Agent: mine\r\nAc");
  EXPECT_EQ(BuildHttpHeaderBlock("ACCEPT: x", 0, "", true, true).find("Accept: text/html"),
            std::string::npos);
  // Without normalising the block keeps its CR LF after each line.
  EXPECT_EQ(BuildHttpHeaderBlock("a: 1", 0, "c=1", false, false), "a: 1\r\n\r\nCookie: c=1\r\n");
  // Keep-alive removed where a CR LF follows it.
  EXPECT_EQ(BuildHttpHeaderBlock("Connection: keep-alive\r\nX: 1", 0, "", false, true), "X: 1");
  EXPECT_EQ(BuildHttpHeaderBlock("Connection: close\r\nX: 1", 0, "", false, true),
            "Connection: close\r\nX: 1");
  // Cookies: own line, a line given whole, or none when the block has one.
  EXPECT_EQ(BuildHttpHeaderBlock("X: 1", 0, "a=1", false, true), "X: 1\r\nCookie: a=1\r\n");
  EXPECT_EQ(BuildHttpHeaderBlock("X: 1", 0, "cookie: a=1", false, true), "X: 1\r\ncookie: a=1\r\n");
  EXPECT_EQ(BuildHttpHeaderBlock("Cookie: z=9", 0, "a=1", false, true), "Cookie: z=9");
}

TEST(InetHeaderBlock, CompletionAndCookieLine) {
  EXPECT_EQ(BuildInetHeaderBlock("h/x", 0, "", "", true, true),
            "Accept: */*\r\nReferer: h/x\r\nAccept-Language: zh-cn");
  EXPECT_EQ(BuildInetHeaderBlock("h/x", 1, "a=1", "accept: t\r\nreferer: r", true, true),
            "Accept: t\r\nReferer: r\r\nAccept-Language: zh-cn\r\n"
            "Content-Type: application/x-www-form-urlencoded\r\nCookie: a=1");
  EXPECT_EQ(BuildInetHeaderBlock("h/x", 0, "Cookie: a=1", "X: 1", false, true), "X: 1\r\nCookie: a=1");
}

TEST(UrlParts, HostPortAndPath) {
  struct Case {
    std::string address, host, hostPort;
    int port;
    std::string path;
  };
  const Case cases[] = {
      {"example.com/a/b?c=1", "example.com", "example.com", 80, "/a/b?c=1"},
      {"https://EXAMPLE.com/Path/File.MP3", "example.com", "example.com", 443, "/Path/File.MP3"},
      {"HTTPS://Example.com", "example.com", "example.com", 443, "/"},
      {"http://host:8080/x", "host", "host:8080", 8080, "/x"},
      {"http://a.com/go?u=http://b.com/f", "a.com", "a.com", 80, "/go?u=http://b.com/f"},
      {"host:abc/x", "host", "host:abc", 0, "/x"},
      {"host:99999/x", "host", "host:99999", 0, "/x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UrlHost(c.address, false), c.host) << c.address;
    EXPECT_EQ(UrlHost(c.address, true), c.hostPort) << c.address;
    EXPECT_EQ(UrlPort(c.address), c.port) << c.address;
    EXPECT_EQ(UrlPath(c.address), c.path) << c.address;
  }
}

}  // namespace
}  // namespace larkbay

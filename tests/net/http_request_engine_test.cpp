// The gateway-side engine against the loopback server: the exact request
// bytes, the outputs, redirects, cookies, character sets and every failure.
#include <gtest/gtest.h>

#include <thread>

#include "loopback_server.h"
#include "net/curl_exchange.h"
#include "net/http_request_engine.h"
#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

using namespace std::chrono_literals;
using testing::Answer;
using testing::LoopbackServer;
using Clock = std::chrono::steady_clock;

const std::string kDefaultUa =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n";
const std::string kDefaultAccept =
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n";

class HttpEngineTest : public ::testing::Test {
 protected:
  std::string Host() const { return "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n"; }
  LoopbackServer server;
};

TEST_F(HttpEngineTest, PostSendsTheSixDefaultLinesInOrderAndTheBodyAsIs) {
  server.Route("/post", Answer::Http("200 OK", {}, "fine"));
  std::string status;
  const std::string body = "data=AB+/=&x=中";
  EXPECT_EQ(HttpRequestEngine(server.Url("/post"), 1, body, {}, nullptr, {}, nullptr, false, {}, {},
                              {}, 0, {}, {}, nullptr, &status),
            "fine");
  EXPECT_EQ(status, "200 OK");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].raw, "POST /post HTTP/1.1\r\n" + Host() + kDefaultUa + kDefaultAccept +
                                 "Content-Type: application/x-www-form-urlencoded\r\n"
                                 "Cache-Control: no-cache\r\n"
                                 "Content-Length: " +
                                 std::to_string(body.size()) + "\r\n\r\n" + body);
}

TEST_F(HttpEngineTest, HeadCarriesItsBodyButNoContentTypeAndFillsTheHeaders) {
  server.Route("/gate", Answer::Raw("HTTP/1.1 200 OK\r\nDate: Sun, 06 Nov 1994 08:49:37 GMT\r\n"
                                    "Content-Length: 1234\r\n\r\n"));
  std::string headers = "old", bytes = "old";
  const auto started = Clock::now();
  EXPECT_EQ(HttpRequestEngine(server.Url("/gate"), 2, "data=0123", {}, nullptr, {}, &headers), "");
  EXPECT_LT(Clock::now() - started, 2s);  // no wait for the announced 1234 bytes
  EXPECT_EQ(headers,
            "HTTP/1.1 200 OK\r\nDate: Sun, 06 Nov 1994 08:49:37 GMT\r\nContent-Length: 1234\r\n\r\n");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].raw, "HEAD /gate HTTP/1.1\r\n" + Host() + kDefaultUa + kDefaultAccept +
                                 "Cache-Control: no-cache\r\nContent-Length: 9\r\n\r\ndata=0123");
}

TEST_F(HttpEngineTest, CallerLinesAreNormalisedAndLinesWithoutColonDropped) {
  server.Route("/h", Answer::Http("200 OK"));
  HttpRequestEngine(server.Url("/h?q=1"), 0, {}, {}, nullptr,
                    "user-agent: mine/1.0\r\nx-TOKEN: Ab\r\nno colon here\r\nx-empty:");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].raw, "GET /h?q=1 HTTP/1.1\r\n" + Host() +
                                 "User-Agent: mine/1.0\r\nX-TOKEN: Ab\r\nX-Empty:\r\n" +
                                 kDefaultAccept + "Cache-Control: no-cache\r\n\r\n");
}

TEST_F(HttpEngineTest, BareBlockWithoutDefaultsAndBytesBodyForOtherVerbs) {
  server.Fallback([](const testing::RecordedRequest&) { return Answer::Http("204 No Content"); });
  const struct {
    int method;
    std::string verb;
  } verbs[] = {{3, "PUT"}, {4, "OPTIONS"}, {5, "DELETE"}, {9, "GET"}, {-1, "GET"}};
  for (const auto& v : verbs) {
    server.ClearRequests();
    std::string status;
    HttpRequestEngine(server.Url("/v"), v.method, "text body", {}, nullptr, "X-A: 1", nullptr,
                      false, {}, {}, {}, 0, {}, {}, nullptr, &status, nullptr, true, false,
                      std::string("b\0b", 3));
    EXPECT_EQ(status, "204 No Content");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].raw, v.verb + " /v HTTP/1.1\r\n" + Host() +
                                   "X-A: 1\r\nContent-Length: 3\r\n\r\n" + std::string("b\0b", 3))
        << v.method;
  }
}

TEST_F(HttpEngineTest, CookiesSentReturnedAndMerged) {
  server.Route("/c", Answer::Http("200 OK",
                                  {"Set-Cookie: sid=abc; Path=/; HttpOnly", "Set-Cookie: lang=zh",
                                   "Set-Cookie: old=deleted"}));
  std::string returned;
  HttpRequestEngine(server.Url("/c"), 0, {}, "sid=1; keep=2; old=3", &returned);
  EXPECT_EQ(returned, "sid=abc; lang=zh; keep=2");
  EXPECT_EQ(server.Requests().at(0).Header("Cookie"), "sid=1; keep=2; old=3");

  HttpRequestEngine(server.Url("/c"), 0, {}, "keep=2", &returned, {}, nullptr, false, {}, {}, {},
                    0, {}, {}, nullptr, nullptr, nullptr, /*mergeCookies=*/false);
  EXPECT_EQ(returned, "sid=abc; lang=zh; old=deleted");
}

TEST_F(HttpEngineTest, RedirectsFollowedOrReported) {
  server.Route("/from", Answer::Http("302 Found", {"Location: /mid"}, "moved"));
  server.Route("/mid", Answer::Http("301 Moved Permanently", {"Location: " + server.Url("/to")}));
  server.Route("/to", Answer::Http("200 OK", {}, "arrived"));
  std::string status, location = "untouched";
  EXPECT_EQ(HttpRequestEngine(server.Url("/from"), 1, "x=1", {}, nullptr, {}, nullptr, false, {},
                              {}, {}, 0, {}, {}, &location, &status),
            "arrived");
  EXPECT_EQ(status, "200 OK");
  EXPECT_EQ(location, "untouched");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[2].method, "GET");  // a POST redirected by 301/302 becomes a GET

  std::string headers;
  EXPECT_EQ(HttpRequestEngine(server.Url("/from"), 0, {}, {}, nullptr, {}, &headers, true, {}, {},
                              {}, 0, {}, {}, &location, &status),
            "moved");
  EXPECT_EQ(status, "302 Found");
  EXPECT_EQ(location, "/mid");
  EXPECT_EQ(server.RequestCount(), 4u);

  // A HEAD follows too, and gives the final header block.
  server.ClearRequests();
  EXPECT_EQ(HttpRequestEngine(server.Url("/from"), 2, "data=1", {}, nullptr, {}, &headers), "");
  EXPECT_TRUE(headers.starts_with("HTTP/1.1 200 OK\r\n")) << headers;
  const auto heads = server.Requests();
  ASSERT_EQ(heads.size(), 3u);
  EXPECT_EQ(heads[0].body, "data=1");
  EXPECT_EQ(heads[2].method, "HEAD");
  EXPECT_EQ(heads[2].body, "");  // dropped on a 301 or 302, as for a POST
}

TEST_F(HttpEngineTest, BodiesChunkedWithNulAndLargeHeaderBlocks) {
  server.Route("/chunked", Answer::Chunked("200 OK", {}, {"hel", "lo ", "world"}));
  EXPECT_EQ(HttpRequestEngine(server.Url("/chunked")), "hello world");

  server.Route("/nul", Answer::Http("200 OK", {}, std::string("ab\0cd", 5)));
  Bytes bytes;
  EXPECT_EQ(HttpRequestEngine(server.Url("/nul"), 0, {}, {}, nullptr, {}, nullptr, false, {}, {},
                              {}, 0, {}, {}, nullptr, nullptr, &bytes),
            "ab");
  EXPECT_EQ(bytes, std::string("ab\0cd", 5));

  std::vector<std::string> lines;
  for (int i = 0; i < 60; ++i) lines.push_back("X-Filler-" + std::to_string(i) + ": " + std::string(100, 'f'));
  server.Route("/big", Answer::Http("200 OK", lines, "ok"));
  std::string headers;
  EXPECT_EQ(HttpRequestEngine(server.Url("/big"), 0, {}, {}, nullptr, {}, &headers), "ok");
  EXPECT_GT(headers.size(), 6000u);
  EXPECT_NE(headers.find("X-Filler-59: fff"), std::string::npos);

  server.Route("/404", Answer::Http("404 Not Found", {}, "error page"));
  std::string status;
  EXPECT_EQ(HttpRequestEngine(server.Url("/404"), 0, {}, {}, nullptr, {}, nullptr, false, {}, {},
                              {}, 0, {}, {}, nullptr, &status),
            "error page");
  EXPECT_EQ(status, "404 Not Found");
}

TEST_F(HttpEngineTest, HtmlBodiesDecodedByTheirDeclaredCharset) {
  const std::string chinese = "中文歌曲";
  const std::string gbk = TextToGbk(chinese);
  const struct {
    std::string name;
    std::string body;
    std::string expected;
  } cases[] = {
      {"utf-8 declared", "<html><META http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">" + chinese,
       "<html><META http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">" + chinese},
      {"gbk declared", "<meta charset=\"gbk\">" + gbk, "<meta charset=\"gbk\">" + chinese},
      {"gb2312 declared", "<meta charset=gb2312>" + gbk, "<meta charset=gb2312>" + chinese},
      {"big5 declared", "<meta charset='big5'>\xA4\xA4\xA4\xE5", "<meta charset='big5'>中文"},
      {"declared after 1024 bytes", std::string(1100, ' ') + "<meta charset=gbk>" + gbk,
       std::string(1100, ' ') + "<meta charset=gbk>" + gbk},
      {"unknown charset", "<meta charset=no-such-set>" + gbk, "<meta charset=no-such-set>" + gbk},
      {"none", gbk, gbk},
  };
  for (const auto& c : cases) {
    server.Route("/page", Answer::Http("200 OK", {"Content-Type: text/html"}, c.body));
    Bytes bytes;
    EXPECT_EQ(HttpRequestEngine(server.Url("/page"), 0, {}, {}, nullptr, {}, nullptr, false, {}, {},
                                {}, 0, {}, {}, nullptr, nullptr, &bytes),
              c.expected)
        << c.name;
    EXPECT_EQ(bytes, c.body) << c.name;
  }
}

TEST_F(HttpEngineTest, CredentialsAndProxyGoOnTheWire) {
  server.Fallback([](const testing::RecordedRequest&) { return Answer::Http("200 OK", {}, "via"); });
  HttpRequestEngine(server.Url("/auth"), 0, {}, {}, nullptr, {}, nullptr, false, "user", "pass");
  // Through a proxy: the loopback server plays the proxy.
  const std::string proxy = "127.0.0.1:" + std::to_string(server.Port());
  EXPECT_EQ(HttpRequestEngine("http://far.example:81/p?q", 0, {}, {}, nullptr, {}, nullptr, false,
                              {}, {}, proxy, 0, "pu", "pp"),
            "via");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].Header("Authorization"), "Basic dXNlcjpwYXNz");
  EXPECT_EQ(requests[1].target, "http://far.example:81/p?q");
  EXPECT_EQ(requests[1].Header("Host"), "far.example:81");
  EXPECT_EQ(requests[1].Header("Proxy-Authorization"), "Basic cHU6cHA=");
  EXPECT_FALSE(requests[1].HasHeader("Proxy-Connection"));
}

// Failures leave the empty text and their message; out values not reached keep
// what they held.
TEST_F(HttpEngineTest, EveryFailureHasItsMessage) {
  server.Route("/silent", Answer::Silence());
  Answer stall = Answer::Raw("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc");
  stall.holdOpen = true;
  server.Route("/stall", stall);
  server.Route("/cut", Answer::Raw("HTTP/1.1 200 OK\r\nContent-Length: 100\r\nSet-Cookie: a=1\r\n\r\nabc"));
  server.Route("/cut-chunked", Answer::Raw("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nab"));
  server.Route("/hangup", Answer::Raw(""));
  server.Route("/garbage", Answer::Raw("SPEAKING NO HTTP\r\n\r\n"));
  server.Route("/half-head", Answer::Raw("HTTP/1.1 200 OK\r\nContent-"));
  server.Route("/loop", Answer::Http("302 Found", {"Location: /loop"}));
  server.Route("/huge", Answer::Raw("HTTP/1.1 200 OK\r\nContent-Length: 300000000\r\n\r\nabc"));
  Answer trickle = Answer::Raw("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
  for (int i = 0; i < 40; ++i) trickle.Then(50ms, "x");
  server.Route("/trickle", trickle);
  const std::string refused = "http://127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort()) + "/";

  const struct {
    std::string name;
    std::string url;
    std::string extraHeaders;
    bool normalise;
    std::string status;
    bool headersReached;
    int method = 0;
  } cases[] = {
      {"not a URL", "no scheme/here", "", true, "701 解析URL地址失败!", false},
      {"not http", "ftp://127.0.0.1/x", "", true, "701 解析URL地址失败!", false},
      {"line without colon, names kept", server.Url("/x"), "broken line", false, "710 设置协议头失败!", false},
      {"stray LF inside a line", server.Url("/x"), "X-A: 1\nX-B: 2", true, "710 设置协议头失败!", false},
      {"connection refused", refused, "", true, "711 发送请求失败!", false},
      {"no answer", server.Url("/silent"), "", true, "712 服务器未响应!", false},
      {"connection closed at once", server.Url("/hangup"), "", true, "712 服务器未响应!", false},
      {"not HTTP", server.Url("/garbage"), "", true, "712 服务器未响应!", false},
      {"header block cut", server.Url("/half-head"), "", true, "712 服务器未响应!", false},
      {"redirect loop", server.Url("/loop"), "", true, "712 服务器未响应!", false},
      {"redirect loop of a HEAD", server.Url("/loop"), "", true, "712 服务器未响应!", false, 2},
      {"HEAD answer cut", server.Url("/half-head"), "", true, "712 服务器未响应!", false, 2},
      {"body cut", server.Url("/cut"), "", true, "713 读取数据失败!", true},
      {"chunked body cut", server.Url("/cut-chunked"), "", true, "713 读取数据失败!", true},
      {"body stalls", server.Url("/stall"), "", true, "713 读取数据失败!", true},
      {"endless trickle", server.Url("/trickle"), "", true, "713 读取数据失败!", true},
      {"body over the cap", server.Url("/huge"), "", true, "713 读取数据失败!", false},
  };
  for (const auto& c : cases) {
    HttpRequestArgs args;
    std::string status, headers = "kept", cookies = "kept", location = "kept";
    Bytes bytes = "kept";
    args.url = c.url;
    args.method = c.method;
    args.extraHeaders = c.extraHeaders;
    args.normaliseHeaderNames = c.normalise;
    args.timeout = 300ms;
    args.status = &status;
    args.responseHeaders = &headers;
    args.returnedCookies = &cookies;
    args.location = &location;
    args.responseBytes = &bytes;
    const auto started = Clock::now();
    EXPECT_EQ(HttpRequestEngine(args), "") << c.name;
    EXPECT_LT(Clock::now() - started, 1500ms) << c.name;
    EXPECT_EQ(status, c.status) << c.name;
    EXPECT_EQ(bytes, "kept") << c.name;
    EXPECT_EQ(location, "kept") << c.name;  // no Location line anywhere
    EXPECT_EQ(cookies != "kept", c.headersReached) << c.name;
    EXPECT_EQ(headers.starts_with("HTTP/1.1 200 OK\r\n"), c.headersReached) << c.name;
  }
}

TEST_F(HttpEngineTest, TimeoutInSecondsBoundsTheWait) {
  server.Route("/silent", Answer::Silence());
  std::string status;
  const auto started = Clock::now();
  HttpRequestEngine(server.Url("/silent"), 0, {}, {}, nullptr, {}, nullptr, false, {}, {}, {}, 1,
                    {}, {}, nullptr, &status);
  const auto took = Clock::now() - started;
  EXPECT_EQ(status, "712 服务器未响应!");
  EXPECT_GE(took, 900ms);
  EXPECT_LT(took, 2500ms);
}

TEST(CurlExchange, HeldBodyIsCapped) {
  LoopbackServer server;
  server.Route("/endless", Answer::Chunked("200 OK", {}, std::vector<std::string>(64, std::string(3000, 'z'))));
  net_detail::ExchangeRequest request;
  request.url = server.Url("/endless");
  request.verb = "GET";
  request.maxBodyBytes = 10000;
  const auto result = net_detail::RunExchange(request);
  EXPECT_EQ(result.stage, net_detail::ExchangeStage::Body);
  EXPECT_LE(result.body.size(), 10000u);
  EXPECT_LE(result.body.capacity(), 10000u);  // held memory, not just held bytes

  // A body of exactly the cap is a whole body.
  server.Route("/full", Answer::Chunked("200 OK", {}, {std::string(6000, 'a'), std::string(4000, 'b')}));
  request.url = server.Url("/full");
  const auto full = net_detail::RunExchange(request);
  EXPECT_EQ(full.stage, net_detail::ExchangeStage::Done);
  EXPECT_EQ(full.body.size(), 10000u);
}

}  // namespace
}  // namespace larkbay

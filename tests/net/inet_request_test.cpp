// The file-side engine against the loopback server: its header rules on the
// wire, whole-file fetches, cookies, download-address probing and failures.
#include <gtest/gtest.h>

#include "loopback_server.h"
#include "net/inet_request.h"

namespace larkbay {
namespace {

using namespace std::chrono_literals;
using testing::Answer;
using testing::LoopbackServer;
using Clock = std::chrono::steady_clock;

const std::string kAgentLine = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n";

class InetTest : public ::testing::Test {
 protected:
  std::string HostLine() const { return "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n"; }
  LoopbackServer server;
};

TEST_F(InetTest, HeaderRulesOnTheWire) {
  server.Fallback([](const testing::RecordedRequest&) { return Answer::Http("200 OK", {}, "b"); });
  const std::string url = server.Url("/f?x=1");
  const struct {
    std::string name;
    int method;
    std::string body, cookies, headers, byteBody;
    bool complete;
    std::string expected;  // after the request line and Host
  } cases[] = {
      {"plain GET", 0, "ignored", "", "", "", true,
       kAgentLine + "Accept: */*\r\nReferer: " + url + "\r\nAccept-Language: zh-cn\r\n\r\n"},
      {"agent from the headers, names normalised", 0, "", "", "user-agent: Mine/2\r\naccept: a/b", "",
       true, "User-Agent: Mine/2\r\nAccept: a/b\r\nReferer: " + url + "\r\nAccept-Language: zh-cn\r\n\r\n"},
      {"POST with cookies", 1, "k=v", "a=1; b=2", "", "", true,
       kAgentLine + "Accept: */*\r\nReferer: " + url +
           "\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded\r\n"
           "Cookie: a=1; b=2\r\nContent-Length: 3\r\n\r\nk=v"},
      {"byte body wins, no completion", 3, "text", "", "X-A: 1", std::string("\0\1", 2), false,
       kAgentLine + "X-A: 1\r\nContent-Length: 2\r\n\r\n" + std::string("\0\1", 2)},
  };
  for (const auto& c : cases) {
    server.ClearRequests();
    InetRequest(url, c.method, c.body, c.cookies, nullptr, c.headers, nullptr, false, c.byteBody, {},
                true, c.complete);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u) << c.name;
    const std::string verb = c.method == 1 ? "POST" : c.method == 3 ? "PUT" : "GET";
    EXPECT_EQ(requests[0].raw, verb + " /f?x=1 HTTP/1.1\r\n" + HostLine() + c.expected) << c.name;
  }
}

TEST_F(InetTest, FetchesWholeFilesAndHeadersWithCookies) {
  std::string file(1 << 20, '\0');
  for (size_t i = 0; i < file.size(); ++i) file[i] = static_cast<char>(i * 7);
  server.Route("/file.bin", Answer::Http("200 OK", {"Set-Cookie: s=1; path=/", "Set-Cookie: t=2"}, file));
  std::string cookies, headers;
  // No scheme: http is assumed.
  const std::string address = "127.0.0.1:" + std::to_string(server.Port()) + "/file.bin";
  EXPECT_EQ(InetRequest(address, 0, {}, {}, &cookies, {}, &headers), file);
  EXPECT_EQ(cookies, "s=1; t=2");
  EXPECT_TRUE(headers.starts_with("HTTP/1.1 200 OK\r\n")) << headers;
  EXPECT_EQ(server.Requests().at(0).Header("Referer"), address);

  EXPECT_EQ(InetRequest(address, 2, {}, "t=old; u=3", &cookies, {}, &headers), "");
  EXPECT_EQ(cookies, "s=1; t=2; u=3");
  EXPECT_NE(headers.find("Content-Length: 1048576\r\n"), std::string::npos);
  EXPECT_EQ(server.Requests().at(1).method, "HEAD");

  // An error status is an answer like any other: its page is the body.
  server.Route("/gone", Answer::Http("404 Not Found", {}, "error page"));
  EXPECT_EQ(InetRequest(server.Url("/gone"), 0, {}, {}, nullptr, {}, &headers), "error page");
  EXPECT_TRUE(headers.starts_with("HTTP/1.1 404 Not Found\r\n")) << headers;
}

TEST_F(InetTest, ResolveDownloadUrlFollowsOnlyGoodAnswers) {
  server.Route("/ok", Answer::Raw("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n"));
  server.Route("/empty", Answer::Http("200 OK"));
  server.Route("/missing", Answer::Http("404 Not Found", {}, "gone"));
  server.Route("/moved", Answer::Http("301 Moved Permanently", {"Location: " + server.Url("/ok")}));
  server.Route("/relative", Answer::Http("302 Found", {"Location: /ok"}));
  server.Route("/see-other", Answer::Http("303 See Other", {"Location: /ok"}));
  server.Route("/loop", Answer::Http("302 Found", {"Location: /loop"}));
  for (int i = 0; i < 11; ++i) {
    server.Route("/hop" + std::to_string(i), Answer::Http("302 Found", {"Location: /hop" + std::to_string(i + 1)}));
  }
  server.Route("/hop11", Answer::Raw("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n"));
  std::vector<std::string> lines;
  for (int i = 0; i < 60; ++i) lines.push_back("X-Filler-" + std::to_string(i) + ": " + std::string(100, 'f'));
  lines.push_back("Content-Length: 7");
  server.Route("/big-head", Answer::Raw("HTTP/1.1 200 OK\r\n" + [&] {
    std::string block;
    for (const auto& line : lines) block += line + "\r\n";
    return block + "\r\n";
  }()));

  const struct {
    std::string address, expected;
  } cases[] = {
      {server.Url("/ok"), server.Url("/ok")},
      {server.Url("/empty"), ""},
      {server.Url("/missing"), ""},
      {server.Url("/moved"), server.Url("/ok")},
      {server.Url("/relative"), server.Url("/ok")},
      {server.Url("/see-other"), ""},
      {server.Url("/loop"), ""},
      {server.Url("/hop1"), server.Url("/hop11")},  // ten redirects: still followed
      {server.Url("/hop0"), ""},                    // eleven: given up
      {server.Url("/big-head"), server.Url("/big-head")},
      {"http://127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort()) + "/x", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveDownloadUrl(c.address), c.expected) << c.address;
  for (const auto& request : server.Requests()) {
    EXPECT_EQ(request.method, "HEAD");
    EXPECT_EQ(request.body, "");
  }
  server.ClearRequests();
  ResolveDownloadUrl(server.Url("/loop"));
  EXPECT_EQ(server.RequestCount(), 11u);
}

TEST_F(InetTest, FailuresGiveNoBytes) {
  server.Route("/cut", Answer::Raw("HTTP/1.1 200 OK\r\nContent-Length: 100\r\nSet-Cookie: c=1\r\n\r\nabc"));
  Answer stall = Answer::Raw("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nabc");
  stall.holdOpen = true;
  server.Route("/stall", stall);
  server.Route("/silent", Answer::Silence());
  const struct {
    std::string name, address;
    bool outsWritten;
    std::string headersStart;
  } cases[] = {
      {"host that cannot be named", "http://bad host/x", false, ""},
      {"user info in the host", "http://u@127.0.0.1/x", false, ""},
      {"refused", "http://127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort()) + "/", true, ""},
      {"body cut", server.Url("/cut"), true, "HTTP/1.1 200 OK\r\n"},
      {"body stalls", server.Url("/stall"), true, "HTTP/1.1 200 OK\r\n"},
      {"no answer", server.Url("/silent"), true, ""},
  };
  for (const auto& c : cases) {
    std::string cookies = "kept", headers = "kept";
    const auto started = Clock::now();
    EXPECT_EQ(InetRequest(c.address, 0, {}, {}, &cookies, {}, &headers, false, {}, {}, true, true,
                          true, nullptr, 300ms),
              "")
        << c.name;
    EXPECT_LT(Clock::now() - started, 1500ms) << c.name;
    if (c.outsWritten) {
      EXPECT_TRUE(headers.starts_with(c.headersStart)) << c.name;
      EXPECT_EQ(headers.empty(), c.headersStart.empty()) << c.name;
      EXPECT_NE(cookies, "kept") << c.name;
    } else {
      EXPECT_EQ(headers, "kept") << c.name;
      EXPECT_EQ(cookies, "kept") << c.name;
    }
  }
}

}  // namespace
}  // namespace larkbay

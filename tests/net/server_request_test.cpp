// The gateway envelope: document, encoding, checksum, server clock and answer
// decoding, against a loopback gateway.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <mutex>

#include "loopback_server.h"
#include "net/api_base.h"
#include "net/server_request.h"
#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

using testing::Answer;
using testing::LoopbackServer;
using testing::RecordedRequest;

std::int64_t UnixNow() { return static_cast<std::int64_t>(std::time(nullptr)); }

// The parts of a posted envelope.
struct Envelope {
  std::string checksum, timestamp, payload;
};

Envelope Split(const std::string& body) {
  EXPECT_TRUE(body.starts_with("data=")) << body;
  Envelope e;
  e.checksum = body.substr(5, 32);
  size_t at = 37;
  while (at < body.size() && body[at] >= '0' && body[at] <= '9') ++at;
  e.timestamp = body.substr(37, at - 37);
  e.payload = body.substr(at);
  return e;
}

TEST(Envelope, ExactWireForm) {
  EXPECT_EQ(BuildEnvelope("Lark-Bay/Tool/Api/Config/up-file-path.php", "fileName=Main", 1, 1600584000),
            "data=1D5A86A07DB79AE1B541EE4B52BD78B01600584000"
            "EYjWyxrOiJOIl0XHCMSTqMf5l1rVB2WVqxbPl0nVBMzPzY91Cc1MAwXLlxbHDgGUCgHWiIWIzgf0ysi6iMzPBgvo"
            "yw1Lpu1HAw4IlcjJAgvJAYi6iJeIFq==");
}

TEST(Envelope, DocumentPathDataAndCheck) {
  const struct {
    std::string path, data;
    int check;
    std::string document;
  } cases[] = {
      {"Lark-Bay/Tool/Api/Config/up-file-path.php", "fileName=Main", 1,
       R"({"path":"/Lark-Bay/Tool/Api/Config/up-file-path.php","data":"fileName=Main","check":"1"})"},
      {"/already/rooted.php", "", 1, R"({"path":"/already/rooted.php","check":"1"})"},
      {"http://elsewhere/x.php", "a=1", 0, R"({"path":"http://elsewhere/x.php","data":"a=1","check":"0"})"},
      {"Api/x.php", "a=1&b=2", 7, R"({"path":"/Api/x.php","data":"a=1&b=2","check":"0"})"},
      {"Api/x.php", "k=C:\\dir", 1, R"({"path":"/Api/x.php","data":"k=C:\dir","check":"1"})"},
      {"Api/x.php", "q=中文", 1, R"({"path":"/Api/x.php","data":"q=中文","check":"1"})"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RequestDocument(c.path, c.data, c.check), c.document) << c.path;
    const Envelope e = Split(BuildEnvelope(c.path, c.data, c.check, 1234567890));
    EXPECT_EQ(e.timestamp, "1234567890");
    EXPECT_EQ(Base64Decode(SwapLetterCase(e.payload)), c.document);
    EXPECT_EQ(e.checksum, Md5Hex(SwapLetterCase(e.payload), true));  // over the text before the swap
  }
}

// A gateway that answers HEAD with a Date header `skew` seconds ahead of the
// real clock (or none) and POST with an encoded text.
class GatewayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server.Route("/server_to_get.php", [this](const RecordedRequest& request) {
      if (request.method == "HEAD") {
        std::vector<std::string> lines;
        if (sendDate) lines.push_back("Date: " + FormatHttpDate(UnixNow() + skew));
        return Answer::Http("200 OK", lines);
      }
      return Answer::Http("200 OK", {"Content-Type: text/html"}, answer);
    });
  }
  LoopbackServer server;
  bool sendDate = true;
  std::int64_t skew = 1000;
  std::string answer = SwapLetterCase(Base64Encode(R"({"code":200,"msg":"成功"})"));
};

TEST_F(GatewayTest, FirstRequestMeasuresTheClockThenPostsOnce) {
  ServerClient client(server.Base() + "/");
  EXPECT_FALSE(client.ClockMeasured());
  EXPECT_EQ(client.ServerRequest("Lark-Bay/Tool/Api/Config/up-file-path.php", "fileName=Main", 1, 1),
            R"({"code":200,"msg":"成功"})");
  EXPECT_TRUE(client.ClockMeasured());  // the offset also holds the zone's distance from UTC+8

  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].method, "HEAD");
  EXPECT_EQ(requests[0].target, "/server_to_get.php");
  EXPECT_FALSE(requests[0].HasHeader("Content-Type"));
  const Envelope posted = Split(requests[1].body);
  EXPECT_EQ(requests[0].body, "data=" + posted.checksum);
  EXPECT_EQ(requests[1].method, "POST");
  EXPECT_EQ(requests[1].Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(posted.timestamp.size(), 10u);
  EXPECT_NEAR(static_cast<double>(std::stoll(posted.timestamp)), static_cast<double>(UnixNow() + 1000), 2.0);
  EXPECT_EQ(Base64Decode(SwapLetterCase(posted.payload)),
            R"({"path":"/Lark-Bay/Tool/Api/Config/up-file-path.php","data":"fileName=Main","check":"1"})");

  // Measured once: the next request is one POST and no HEAD.
  server.ClearRequests();
  client.ServerRequest("Lark-Bay/x.php", "", 1, 1);
  requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "POST");
}

TEST_F(GatewayTest, AnAccurateClockIsMeasuredOnlyOnce) {
  skew = 0;
  ServerClient client(server.Base());
  client.ServerRequest("a.php", "", 1, 1);
  client.ServerRequest("a.php", "", 1, 1);
  EXPECT_TRUE(client.ClockMeasured());
  EXPECT_EQ(server.RequestCount(), 3u);
}

TEST_F(GatewayTest, HeadWithoutDateLeavesTheClockUnmeasured) {
  sendDate = false;
  ServerClient client(server.Base());
  client.ServerRequest("a.php", "", 1, 1);
  EXPECT_FALSE(client.ClockMeasured());
  EXPECT_EQ(client.ClockOffset(), 0);
  sendDate = true;
  client.ServerRequest("a.php", "", 1, 1);
  EXPECT_TRUE(client.ClockMeasured());
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[2].method, "HEAD");  // measured again
}

// A server that answers POSTs but never its HEADs costs one short wait, not
// one long wait for every request.
TEST(Gateway, AnUnansweredClockProbeCostsOneShortWait) {
  LoopbackServer server;
  server.Route("/server_to_get.php", [](const RecordedRequest& request) {
    if (request.method == "HEAD") return Answer::Silence();
    return Answer::Http("200 OK", {}, SwapLetterCase(Base64Encode("{}")));
  });
  ServerClient client(server.Base());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(client.ServerRequest("a.php", "", 1, 1), "{}");
  const auto first = std::chrono::steady_clock::now() - start;
  EXPECT_GE(first, kClockProbeTimeout - std::chrono::milliseconds(200));
  EXPECT_LT(first, kClockProbeTimeout + std::chrono::seconds(3));
  EXPECT_EQ(client.ServerRequest("a.php", "", 1, 1), "{}");
  EXPECT_LT(std::chrono::steady_clock::now() - start, first + std::chrono::seconds(2));
  EXPECT_FALSE(client.ClockMeasured());
  std::vector<std::string> methods;
  for (const auto& request : server.Requests()) methods.push_back(request.method);
  EXPECT_EQ(methods, (std::vector<std::string>{"HEAD", "POST", "POST"}));
}

TEST_F(GatewayTest, RawAnswerIsReturnedExactly) {
  answer = "not+BASE64/at all==\r\n";
  ServerClient client(server.Base());
  client.SetClockOffset(0);
  EXPECT_EQ(client.ServerRequest("a.php", "x=1", 1, 0), answer);
  EXPECT_EQ(server.RequestCount(), 1u);
}

TEST(Gateway, ErrorStatusIsNotInspected) {
  LoopbackServer server;
  const std::string encoded = SwapLetterCase(Base64Encode("server says no"));
  server.Route("/server_to_get.php", Answer::Http("500 Internal Server Error", {}, encoded));
  ServerClient client(server.Base());
  client.SetClockOffset(0);
  EXPECT_EQ(client.ServerRequest("a.php", "x=1", 1, 0), encoded);
  EXPECT_EQ(client.ServerRequest("a.php", "x=1", 1, 1), "server says no");
}

TEST(Gateway, FailedExchangeGivesEmptyText) {
  ServerClient client("http://127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort()));
  EXPECT_EQ(client.ServerRequest("a.php", "x=1", 1, 1), "");
  EXPECT_EQ(client.ServerRequest("a.php", "x=1", 1, 0), "");
  EXPECT_FALSE(client.ClockMeasured());
}

TEST(ApiBase, EnvironmentOverridesTheBuildDefault) {
  ::unsetenv("LARKBAY_API_BASE");
  const std::string builtIn = ApiBaseUrl();
  EXPECT_TRUE(builtIn.starts_with("http"));
  ::setenv("LARKBAY_API_BASE", "http://127.0.0.1:9/", 1);
  EXPECT_EQ(ApiBaseUrl(), "http://127.0.0.1:9");
  ::setenv("LARKBAY_API_BASE", "", 1);
  EXPECT_EQ(ApiBaseUrl(), builtIn);
  ::unsetenv("LARKBAY_API_BASE");
}

}  // namespace
}  // namespace larkbay

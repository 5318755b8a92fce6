// The running server's gateway: clock, refusals, request log and clean stop.
#include <gtest/gtest.h>

#include "demo_server_fixture.h"
#include "net/http_request_engine.h"
#include "services/json/json_object.h"
#include "services/text/text_helpers.h"

namespace larkbay::test {
namespace {

constexpr std::string_view kAddressScript = "Lark-Bay/Tool/Api/Config/up-file-path.php";
constexpr std::string_view kDjSearch = "Lark-Bay/Tool/Api/Music/dj/DJ_music_info_API.php";

// The raw answer to a hand-made body.
std::string Post(const std::string& base, const std::string& body) {
  return HttpRequestEngine(base + "/server_to_get.php", 1, body);
}

std::string Envelope(std::string_view path, std::int64_t timestamp) {
  return BuildEnvelope(path, "fileName=Updata", 1, timestamp);
}

std::int64_t Now() { return static_cast<std::int64_t>(std::time(nullptr)); }

using GatewayTest = DemoServerTest;

TEST_F(GatewayTest, HeadCarriesTheServerDate) {
  std::string headers;
  HttpRequestArgs args;
  const std::string url = Base() + "/server_to_get.php";
  args.url = url;
  args.method = 2;
  args.body = "data=0123456789ABCDEF0123456789ABCDEF";
  args.responseHeaders = &headers;
  HttpRequestEngine(args);
  const Utc8Time date = HttpDateToUtc8(HeaderValue(headers, "Date"));
  ASSERT_TRUE(date.valid) << headers;
  EXPECT_NEAR(static_cast<double>(std::stoll(UnixSeconds(date))), static_cast<double>(Now()), 5.0);
  // The probe's body stays unread, so its connection must not be reused.
  EXPECT_EQ(HeaderValue(headers, "Connection"), "close") << headers;
}

TEST_F(GatewayTest, RefusesBadChecksumStaleTimeAndUnknownPath) {
  std::string tampered = Envelope(kAddressScript, Now());
  tampered[5] = tampered[5] == '0' ? '1' : '0';
  EXPECT_EQ(Post(Base(), tampered), "ERR bad checksum");
  EXPECT_EQ(Post(Base(), Envelope(kAddressScript, Now() - 3600)), "ERR stale timestamp");
  EXPECT_EQ(Post(Base(), "data=hello"), "ERR malformed request");
  EXPECT_EQ(Post(Base(), Envelope("Lark-Bay/Tool/Api/Nothing/here.php", Now())),
            "ERR unknown path");
  EXPECT_EQ(Post(Base(), Envelope("Lark-Bay/Tool/Api/Music/song/zz/zz.php", Now())),
            "ERR unknown path");
  // The same request signed properly gets its answer.
  JsonObject addresses;
  EXPECT_TRUE(addresses.Parse(DecodeAnswer(Post(Base(), Envelope(kAddressScript, Now())))));
}

TEST(GatewayClockTest, ClientFollowsASkewedServerClock) {
  TempFolder downloads;
  ServerProcess plain(downloads.Path());
  ServerProcess server(downloads.Path(), {"--clock-skew", "7200"});
  ASSERT_TRUE(plain.Ready()) << plain.Output();
  ASSERT_TRUE(server.Ready()) << server.Output();
  // The client's offset also holds its own zone reckoning; the skew is the difference.
  ServerClient reference(plain.Base());
  ASSERT_FALSE(
      reference.ServerRequest(kDjSearch, "web=djyl&type=SongID&Sort=asc&key=7&page=1", 1, 1)
          .empty());

  ServerClient client(server.Base());
  JsonObject answer;
  ASSERT_TRUE(answer.Parse(
      client.ServerRequest(kDjSearch, "web=djyl&type=SongID&Sort=asc&key=7&page=1", 1, 1)));
  EXPECT_EQ(answer.GetText("List[0].SongID"), "7");
  EXPECT_NEAR(static_cast<double>(client.ClockOffset() - reference.ClockOffset()), 7200.0, 5.0);

  // A client that keeps the plain server's offset is refused.
  ServerClient unmeasured(server.Base());
  unmeasured.SetClockOffset(reference.ClockOffset());
  EXPECT_EQ(unmeasured.ServerRequest(kDjSearch, "web=djyl&type=SongID&Sort=asc&key=7&page=1", 1, 0),
            "ERR stale timestamp");
}

TEST(GatewayLifecycleTest, LogsEachRequestAndStopsCleanlyOnSigterm) {
  TempFolder downloads;
  ServerProcess server(downloads.Path());
  ASSERT_TRUE(server.Ready()) << server.Output();
  ServerClient client(server.Base());
  EXPECT_FALSE(
      client.ServerRequest(kDjSearch, "web=djyl&type=SongID&Sort=asc&key=7&page=1", 1, 1).empty());
  EXPECT_EQ(server.Stop(), 0);
  const std::string log = server.Output();
  EXPECT_NE(log.find("HEAD /server_to_get.php 200"), std::string::npos) << log;
  EXPECT_NE(log.find("POST /server_to_get.php 200"), std::string::npos) << log;
  EXPECT_NE(log.find("api=/Lark-Bay/Tool/Api/Music/dj/DJ_music_info_API.php"), std::string::npos)
      << log;
  EXPECT_NE(log.find("lark-bay-server stopped"), std::string::npos) << log;
}

TEST(GatewayLifecycleTest, SecondServerOnATakenPortFails) {
  TempFolder downloads;
  ServerProcess first(downloads.Path());
  ASSERT_TRUE(first.Ready()) << first.Output();
  const std::string port = first.Base().substr(first.Base().rfind(':') + 1);
  ServerProcess second(downloads.Path(), {"--port", port});
  EXPECT_FALSE(second.Ready());
  EXPECT_EQ(second.Stop(), 1);
  EXPECT_NE(second.Output().find("cannot listen"), std::string::npos) << second.Output();
}

}  // namespace
}  // namespace larkbay::test

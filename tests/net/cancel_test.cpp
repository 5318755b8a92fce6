// Stopping a transfer from another thread: every engine returns at once with a
// failure, and a token cancelled beforehand sends nothing.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "loopback_server.h"
#include "net/cancel_token.h"
#include "net/http_request_engine.h"
#include "net/inet_request.h"
#include "net/server_request.h"

namespace larkbay {
namespace {

using namespace std::chrono_literals;
using testing::Answer;
using testing::LoopbackServer;
using Clock = std::chrono::steady_clock;

class CancelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server.Route("/silent", Answer::Silence());
    server.Route("/server_to_get.php", Answer::Silence());
    Answer slowBody = Answer::Raw("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nabc");
    slowBody.holdOpen = true;
    server.Route("/slow-body", slowBody);
  }
  LoopbackServer server;
};

// Runs `call` on a worker, cancels from this thread once the server has the
// request, and returns how long the worker took after the cancel.
template <typename Call>
Clock::duration CancelDuring(LoopbackServer& server, CancelToken& token, Call call) {
  auto worker = std::async(std::launch::async, call);
  const auto deadline = Clock::now() + 5s;
  while (server.RequestCount() == 0 && Clock::now() < deadline) std::this_thread::sleep_for(5ms);
  std::this_thread::sleep_for(50ms);
  const auto cancelledAt = Clock::now();
  token.Cancel();
  worker.get();
  return Clock::now() - cancelledAt;
}

TEST_F(CancelTest, EveryEngineStopsAtOnce) {
  const struct {
    std::string name;
    std::string target;
    std::string status;  // for the gateway-side engine
  } cases[] = {
      {"waiting for the answer", "/silent", "712 服务器未响应!"},
      {"reading the body", "/slow-body", "713 读取数据失败!"},
  };
  for (const auto& c : cases) {
    server.ClearRequests();
    CancelToken token;
    std::string status, text = "x";
    const auto took = CancelDuring(server, token, [&] {
      HttpRequestArgs args;
      const std::string url = server.Url(c.target);
      args.url = url;
      args.status = &status;
      args.cancel = &token;
      text = HttpRequestEngine(args);
    });
    EXPECT_LT(took, 200ms) << c.name;
    EXPECT_EQ(text, "") << c.name;
    EXPECT_EQ(status, c.status) << c.name;

    server.ClearRequests();
    CancelToken inetToken;
    Bytes bytes = "x";
    const auto inetTook = CancelDuring(server, inetToken, [&] {
      bytes = InetRequest(server.Url(c.target), 0, {}, {}, nullptr, {}, nullptr, false, {}, {}, true,
                          true, true, &inetToken);
    });
    EXPECT_LT(inetTook, 200ms) << c.name;
    EXPECT_EQ(bytes, "") << c.name;
  }

  server.ClearRequests();
  ServerClient client(server.Base());
  CancelToken gatewayToken;
  std::string answer = "x";
  const auto gatewayTook = CancelDuring(
      server, gatewayToken, [&] { answer = client.ServerRequest("a.php", "x=1", 1, 1, &gatewayToken); });
  EXPECT_LT(gatewayTook, 200ms);
  EXPECT_EQ(answer, "");
  EXPECT_EQ(server.RequestCount(), 1u);  // the HEAD was stopped and no POST followed
}

TEST_F(CancelTest, CancelledTokenSendsNothing) {
  CancelToken token;
  token.Cancel();
  token.Cancel();  // idempotent
  std::string status;
  HttpRequestArgs args;
  const std::string url = server.Url("/silent");
  args.url = url;
  args.status = &status;
  args.cancel = &token;
  EXPECT_EQ(HttpRequestEngine(args), "");
  EXPECT_EQ(status, "711 发送请求失败!");
  EXPECT_EQ(InetRequest(url, 0, {}, {}, nullptr, {}, nullptr, false, {}, {}, true, true, true, &token), "");
  ServerClient client(server.Base());
  EXPECT_EQ(client.ServerRequest("a.php", "", 1, 1, &token), "");
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(server.RequestCount(), 0u);
}

// The wake-up of a waiter: on Cancel(), at once for a token cancelled before
// the watch began (a wake-up is never lost), and never once the watch ended.
TEST(CancelTokenWatch, WakesOnCancelAtOnceWhenLateAndNeverAfterItEnds) {
  int wakes = 0;
  CancelToken token;
  {
    CancelToken::Watch watch(&token, [&] { ++wakes; });
    EXPECT_EQ(wakes, 0);
    std::thread([&] { token.Cancel(); }).join();
    EXPECT_EQ(wakes, 1);
    token.Cancel();
    EXPECT_EQ(wakes, 1) << "one wake-up per token";
  }
  CancelToken::Watch late(&token, [&] { ++wakes; });
  EXPECT_EQ(wakes, 2);

  CancelToken other;
  { CancelToken::Watch ended(&other, [&] { ++wakes; }); }
  other.Cancel();
  EXPECT_EQ(wakes, 2);
  CancelToken::Watch none(nullptr, [&] { ++wakes; });
  EXPECT_EQ(wakes, 2);
  EXPECT_TRUE(other.Token().stop_requested());
}

}  // namespace
}  // namespace larkbay

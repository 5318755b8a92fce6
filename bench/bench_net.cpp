// Gateway requests: the envelope encoding alone, a whole ServerRequest round
// trip against a loopback gateway that answers at once (clock already
// measured), and the bare loopback exchange of the same bytes for comparison.
// Client cost per round trip = RoundTrip - LoopbackBaseline.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include "loopback_server.h"
#include "net/server_request.h"
#include "services/text/text_helpers.h"

namespace {

using larkbay::testing::Answer;
using larkbay::testing::LoopbackServer;

constexpr const char* kSongScript = "Lark-Bay/Tool/Api/Music/song/kuwo/kuwo.php";
constexpr const char* kSongQuery = "key=%E5%91%A8%E6%9D%B0%E4%BC%A6&page=1&type=song&quality=HQ";

std::string SearchAnswer() {
  std::string json = R"({"code":200,"PageaCount":"12","List":[)";
  for (int i = 0; i < 20; ++i) {
    if (i > 0) json += ',';
    json += R"({"SongID":")" + std::to_string(100000 + i) +
            R"(","SongName":"晴天","Author":"周杰伦","ST":"http://127.0.0.1/a.mp3"})";
  }
  json += "]}";
  return larkbay::SwapLetterCase(larkbay::Base64Encode(json));
}

void BM_EnvelopeEncoding(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(larkbay::BuildEnvelope(kSongScript, kSongQuery, 1, 1600584000));
  }
}
BENCHMARK(BM_EnvelopeEncoding);

void BM_ServerRequestRoundTrip(benchmark::State& state) {
  LoopbackServer server;
  server.KeepRequests(false);
  server.Route("/server_to_get.php", Answer::Http("200 OK", {"Content-Type: text/html"}, SearchAnswer()));
  larkbay::ServerClient client(server.Base());
  client.SetClockOffset(0);
  for (auto _ : state) {
    const std::string answer = client.ServerRequest(kSongScript, kSongQuery, 1, 1);
    if (answer.empty()) state.SkipWithError("no answer");
    benchmark::DoNotOptimize(answer);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ServerRequestRoundTrip)->UseRealTime();

// The same request bytes through a plain socket: connect, send, read to the
// end, close.
void BM_LoopbackBaseline(benchmark::State& state) {
  LoopbackServer server;
  server.Route("/server_to_get.php", Answer::Http("200 OK", {"Content-Type: text/html"}, SearchAnswer()));
  larkbay::ServerClient client(server.Base());
  client.SetClockOffset(0);
  client.ServerRequest(kSongScript, kSongQuery, 1, 0);
  const std::string request = server.Requests().at(0).raw;
  server.KeepRequests(false);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(server.Port()));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string response;
  for (auto _ : state) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      state.SkipWithError("connect");
      ::close(fd);
      break;
    }
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    response.clear();
    char buffer[16384];
    ssize_t n;
    while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) response.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    benchmark::DoNotOptimize(response);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LoopbackBaseline)->UseRealTime();

}  // namespace

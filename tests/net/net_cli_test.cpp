// lark-bay-cli request / envelope, run as a program against the loopback
// gateway.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include "loopback_server.h"
#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

using testing::Answer;
using testing::LoopbackServer;
using testing::RecordedRequest;

struct CliRun {
  int status = -1;
  std::string out;
};

CliRun RunCli(const std::string& base, const std::string& arguments) {
  const std::string command =
      "LARKBAY_API_BASE='" + base + "' '" LARKBAY_CLI "' " + arguments + " 2>/dev/null";
  CliRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(NetCli, EnvelopeIsTheExactBody) {
  const CliRun run = RunCli("http://127.0.0.1:1", "envelope Lark-Bay/Tool/Api/Config/up-file-path.php "
                                               "fileName=Main --time 1600584000");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "data=1D5A86A07DB79AE1B541EE4B52BD78B01600584000"
            "EYjWyxrOiJOIl0XHCMSTqMf5l1rVB2WVqxbPl0nVBMzPzY91Cc1MAwXLlxbHDgGUCgHWiIWIzgf0ysi6iMzPBgvo"
            "yw1Lpu1HAw4IlcjJAgvJAYi6iJeIFq==\n");
}

TEST(NetCli, RequestPrintsTheAnswer) {
  LoopbackServer server;
  const std::string encoded = SwapLetterCase(Base64Encode(R"({"ok":"是"})"));
  server.Route("/server_to_get.php", [&](const RecordedRequest& request) {
    if (request.method == "HEAD") return Answer::Http("200 OK", {"Date: Sun, 06 Nov 1994 08:49:37 GMT"});
    return Answer::Http("200 OK", {}, encoded);
  });
  CliRun run = RunCli(server.Base(), "request Lark-Bay/x.php a=1");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "{\"ok\":\"是\"}\n");
  run = RunCli(server.Base(), "request Lark-Bay/x.php --raw");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, encoded + "\n");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 4u);  // each run measures the clock once
  EXPECT_EQ(requests[1].method, "POST");
  EXPECT_TRUE(requests[1].body.starts_with("data=")) << requests[1].body;
}

TEST(NetCli, FailuresAndMisuseExitWithOne) {
  const std::string refused = "http://127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort());
  const char* misuse[] = {"request Lark-Bay/x.php --raw",  // no server
                          "request", "request a b c", "request a --fast", "envelope a",
                          "envelope a --time soon", "envelope a b --time"};
  for (const char* arguments : misuse) {
    const CliRun run = RunCli(refused, arguments);
    EXPECT_EQ(run.status, 1) << arguments;
    EXPECT_EQ(run.out, "") << arguments;
  }
}

}  // namespace
}  // namespace larkbay

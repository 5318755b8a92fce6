// Choosing a download address: the server's list, tried in order.
#include "remote/download_address.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "loopback_server.h"
#include "net/server_request.h"
#include "server_process.h"
#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

using testing::Answer;
using testing::LoopbackServer;
using testing::RecordedRequest;

// The reference server with an updater and an engine pack, but no program file.
class DownloadAddressTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    downloads_ = new test::TempFolder;
    test::WriteFile(downloads_->Path() / "Update.exe", "updater program bytes");
    test::WriteFile(downloads_->Path() / "Enginepack", "");
    server_ = new test::ServerProcess(downloads_->Path());
  }
  static void TearDownTestSuite() {
    delete server_;
    delete downloads_;
  }
  void SetUp() override { ASSERT_TRUE(server_->Ready()) << server_->Output(); }

  static inline test::TempFolder* downloads_ = nullptr;
  static inline test::ServerProcess* server_ = nullptr;
};

TEST_F(DownloadAddressTest, FirstAddressRedirectsToTheFile) {
  ServerClient client(server_->Base());
  const std::string base = server_->Base();
  EXPECT_EQ(DownloadAddresses(client, "Updata"),
            (std::vector<std::string>{base + "/go/Update.exe", base + "/download/Update.exe"}));
  EXPECT_EQ(ChooseDownloadAddress(client, "Updata"), base + "/download/Update.exe");
}

TEST_F(DownloadAddressTest, NoFileOrOnlyEmptyFilesGiveNoAddress) {
  ServerClient client(server_->Base());
  EXPECT_TRUE(DownloadAddresses(client, "Main").empty());  // no program file in the folder
  EXPECT_EQ(ChooseDownloadAddress(client, "Main"), "");
  // Both addresses of an empty file answer without content.
  EXPECT_EQ(DownloadAddresses(client, "Engine").size(), 2u);
  EXPECT_EQ(ChooseDownloadAddress(client, "Engine"), "");

  ServerClient nobody("http://127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort()));
  EXPECT_TRUE(DownloadAddresses(nobody, "Updata").empty());
  EXPECT_EQ(ChooseDownloadAddress(nobody, "Updata"), "");
}

// A gateway that hands out a scripted answer, and files with and without content.
class ScriptedGatewayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gateway.Route("/server_to_get.php", [this](const RecordedRequest& request) {
      if (request.method == "HEAD") {
        return Answer::Http("200 OK", {"Date: " + FormatHttpDate(std::time(nullptr))});
      }
      posted.push_back(request.body);
      return Answer::Http("200 OK", {}, SwapLetterCase(Base64Encode(answer)));
    });
    gateway.Route("/empty", Answer::Http("200 OK"));
    // A HEAD is answered with the header block alone.
    gateway.Route("/file", Answer::Raw("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n"));
    gateway.Route("/missing", Answer::Http("404 Not Found", {}, "gone"));
  }

  LoopbackServer gateway;
  std::string answer;
  std::vector<std::string> posted;
};

TEST_F(ScriptedGatewayTest, AddressesAreTriedInOrder) {
  ServerClient client(gateway.Base());
  const struct {
    std::vector<std::string> targets;
    std::string chosen;
  } cases[] = {
      {{"/empty", "/file"}, "/file"},
      {{"/missing", "/empty", "/file"}, "/file"},
      {{"/file", "/missing"}, "/file"},
      {{"/empty", "/missing"}, ""},
      {{}, ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> addresses;
    answer.assign(1, '[');
    for (const std::string& target : c.targets) {
      addresses.push_back(gateway.Url(target));
      answer += (answer.size() > 1 ? ",\"" : "\"") + addresses.back() + "\"";
    }
    answer += "]";
    SCOPED_TRACE(answer);
    EXPECT_EQ(DownloadAddresses(client, "Main"), addresses);
    EXPECT_EQ(ChooseDownloadAddress(client, "Main"), c.chosen.empty() ? "" : gateway.Url(c.chosen));
  }
  // Every request named the file in its form data.
  ASSERT_FALSE(posted.empty());
  EXPECT_EQ(posted.back(), SealEnvelope(R"({"path":"/Lark-Bay/Tool/Api/Config/up-file-path.php",)"
                                        R"("data":"fileName=Main","check":"1"})",
                                        std::stoll(posted.back().substr(37, 10))));
}

TEST_F(ScriptedGatewayTest, OnlyTheFirstAddressesAreTried) {
  // A long list of dead addresses costs a bounded number of probes, and a
  // good address beyond them is not reached.
  int probes = 0;
  gateway.Route("/dead", [&probes](const RecordedRequest&) {
    ++probes;
    return Answer::Http("404 Not Found");
  });
  ServerClient client(gateway.Base());
  for (const std::size_t dead : {kMaxTriedAddresses - 1, kMaxTriedAddresses, std::size_t{5000}}) {
    answer = "[";
    for (std::size_t i = 0; i < dead; ++i) answer += "\"" + gateway.Url("/dead") + "\",";
    answer += "\"" + gateway.Url("/file") + "\"]";
    probes = 0;
    SCOPED_TRACE(dead);
    EXPECT_EQ(ChooseDownloadAddress(client, "Engine"),
              dead < kMaxTriedAddresses ? gateway.Url("/file") : "");
    EXPECT_EQ(probes, static_cast<int>(std::min(dead, kMaxTriedAddresses)));
  }
}

TEST_F(ScriptedGatewayTest, AnswersThatAreNoArrayGiveNothing) {
  ServerClient client(gateway.Base());
  const std::string url = gateway.Url("/file");
  std::string object = R"({"0":")";
  object.append(url).append("\"}");
  std::string quoted(1, '"');
  quoted.append(url).append(1, '"');
  for (const std::string& text : {object, quoted, std::string("not json"), std::string()}) {
    answer = text;
    SCOPED_TRACE(text);
    EXPECT_TRUE(DownloadAddresses(client, "Updata").empty());
    EXPECT_EQ(ChooseDownloadAddress(client, "Updata"), "");
  }
}

}  // namespace
}  // namespace larkbay

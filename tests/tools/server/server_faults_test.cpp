// Each fault a run can be asked for, seen through the client's own requests.
#include <gtest/gtest.h>

#include <chrono>

#include "net/inet_request.h"
#include "net/server_request.h"
#include "server_process.h"
#include "services/json/json_object.h"
#include "services/text/text_helpers.h"

namespace larkbay::test {
namespace {

constexpr std::string_view kSongScript = "Lark-Bay/Tool/Api/Music/song/xy/xy.php";
constexpr std::string_view kSongQuery = "web=xy&type=Search&key=%E9%9B%A8&page=1&br=ST&mid=";
constexpr std::string_view kConfigScript = "Lark-Bay/Tool/Api/Config/program_Config.php";
constexpr std::string_view kConfigQuery = "file_name=program_Config.json&file_Up_Time=";

class FaultTest : public ::testing::Test {
 protected:
  void Start(std::vector<std::string> args) {
    WriteFile(downloads_.Path() / "Update.exe", "updater");
    server_ = std::make_unique<ServerProcess>(downloads_.Path(), args);
    ASSERT_TRUE(server_->Ready()) << server_->Output();
    client_ = std::make_unique<ServerClient>(server_->Base());
  }
  std::string Search() { return client_->ServerRequest(kSongScript, kSongQuery, 1, 1); }
  std::string Config() {
    return PercentDecode(
        DecodeAnswer(client_->ServerRequest(kConfigScript, kConfigQuery, 1, 0)));
  }

  TempFolder downloads_;
  std::unique_ptr<ServerProcess> server_;
  std::unique_ptr<ServerClient> client_;
};

TEST_F(FaultTest, EmptySearchFindsNothing) {
  Start({"--fault", "emptysearch"});
  JsonObject answer;
  ASSERT_TRUE(answer.Parse(Search()));
  EXPECT_EQ(answer.GetText("ListCount"), "0");
  EXPECT_EQ(answer.GetText("DataCount"), "0");
}

TEST_F(FaultTest, Http500AndTruncatedDocumentsDoNotParse) {
  for (const char* fault : {"http500", "truncate"}) {
    SCOPED_TRACE(fault);
    Start({"--fault", fault});
    // Something arrives (the HTTP status is not the client's concern), and it is no document.
    EXPECT_FALSE(client_->ServerRequest(kSongScript, kSongQuery, 1, 0).empty());
    EXPECT_FALSE(JsonObject().Parse(Search()));
    const std::string config = Config();
    EXPECT_FALSE(JsonObject().Parse(config.size() > 10 ? config.substr(10) : config));
  }
}

TEST_F(FaultTest, DroppedConnectionGivesNoAnswer) {
  Start({"--fault", "drop"});
  EXPECT_EQ(Search(), "");
  EXPECT_EQ(InetRequest(server_->Base() + "/media/audio/c1-st.mp3"), "");
}

TEST_F(FaultTest, FilesWithoutLengthCannotBeResolved) {
  const std::string media = "/media/audio/c1-st.mp3";
  Start({});
  EXPECT_EQ(ResolveDownloadUrl(server_->Base() + media), server_->Base() + media);
  Start({"--fault", "nolength"});
  std::string headers;
  InetRequest(server_->Base() + media, 2, {}, {}, nullptr, {}, &headers);
  EXPECT_EQ(HeaderValue(headers, "Content-Length"), "") << headers;
  EXPECT_EQ(ResolveDownloadUrl(server_->Base() + media), "");
  // The body itself still arrives whole.
  EXPECT_EQ(InetRequest(server_->Base() + media), ReadFile(TestMediaDir() / "audio/c1-st.mp3"));
}

TEST_F(FaultTest, BadSumAnnouncesDigestsOfNoServedFile) {
  Start({});
  JsonObject good;
  ASSERT_TRUE(good.Parse(Config().substr(10)));
  EXPECT_EQ(good.GetText("Program.Updata.md5"), Md5Hex("updater", false));
  Start({"--fault", "badsum"});
  JsonObject bad;
  ASSERT_TRUE(bad.Parse(Config().substr(10)));
  EXPECT_EQ(bad.GetText("Program.Updata.md5").size(), 32u);
  EXPECT_NE(bad.GetText("Program.Updata.md5"), Md5Hex("updater", false));
}

TEST_F(FaultTest, SlowAnswersStillArrive) {
  Start({"--fault", "slow", "--slow-ms", "400"});
  const auto start = std::chrono::steady_clock::now();
  JsonObject answer;
  EXPECT_TRUE(answer.Parse(Search()));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
}

TEST(FaultOptions, UnknownFaultIsRefusedAtStart) {
  TempFolder downloads;
  ServerProcess server(downloads.Path(), {"--fault", "slow,sideways"});
  EXPECT_FALSE(server.Ready());
  EXPECT_EQ(server.Stop(), 2);
  EXPECT_NE(server.Output().find("unknown fault: sideways"), std::string::npos) << server.Output();
}

}  // namespace
}  // namespace larkbay::test

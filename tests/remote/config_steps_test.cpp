// The configuration and music-list steps against the reference server as a
// process, and against a scripted gateway for the replies it never sends.
#include <gtest/gtest.h>

#include <filesystem>

#include "loopback_server.h"
#include "remote/config_cache.h"
#include "remote/music_list.h"
#include "remote/program_config.h"
#include "remote/remote_paths.h"
#include "services/text/text_helpers.h"
#include "step_fixture.h"

namespace larkbay::test {
namespace {

using larkbay::testing::Answer;
using larkbay::testing::LoopbackServer;

class ConfigSteps : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    downloads_ = new TempFolder;
    server_ = new ServerProcess(downloads_->Path());
  }
  static void TearDownTestSuite() {
    delete server_;
    delete downloads_;
  }
  void SetUp() override { ASSERT_TRUE(server_->Ready()) << server_->Output(); }

  static inline TempFolder* downloads_ = nullptr;
  static inline ServerProcess* server_ = nullptr;
};

std::string Cache(const StepFixture& f, std::string_view name) {
  return std::filesystem::exists(f.File(name)) ? ReadFile(f.File(name)) : std::string();
}

TEST_F(ConfigSteps, FirstStartFetchesAndCachesBothDocuments) {
  StepFixture f(server_->Base());
  StepContext context = f.Context();
  ASSERT_TRUE(FetchProgramConfig(context));
  EXPECT_EQ(f.ends, 0);
  EXPECT_GT(f.state.ProgramConfig.GetCount("Song.Song_Search_Web"), 0);
  const std::string config = Cache(f, kProgramConfigCache);
  ASSERT_GT(config.size(), 42u);
  EXPECT_EQ(config.substr(0, 32), Md5Hex(config.substr(42), true));
  EXPECT_EQ(CacheStamp(config).size(), 10u);
  // The stored document is the one in use, kept as GB18030.
  JsonObject stored;
  ASSERT_TRUE(stored.Parse(CacheDocument(config)));
  EXPECT_EQ(stored.ToText(), f.state.ProgramConfig.ToText());
  EXPECT_EQ(GbkToText(Base64Decode(SwapLetterCase(config.substr(42)))), CacheDocument(config));

  ASSERT_TRUE(LoadMusicList(context));
  EXPECT_FALSE(CacheStamp(Cache(f, kMusicListCache)).empty());
  EXPECT_NE(f.state.RecommendHtml.find("<li><a href='http://"), std::string::npos);
}

TEST_F(ConfigSteps, SecondStartSendsItsStampAndUsesItsCopy) {
  StepFixture f(server_->Base());
  StepContext context = f.Context();
  ASSERT_TRUE(FetchProgramConfig(context));
  const std::string cache = Cache(f, kProgramConfigCache);
  // The server has nothing new for this stamp.
  EXPECT_EQ(
      f.Server().ServerRequest(
          kConfigScript, DocumentRequestData(kProgramConfigDocument, CacheStamp(cache)), 1, 0),
      "");
  const auto written = std::filesystem::last_write_time(f.File(kProgramConfigCache));

  ProgramState second;
  StepContext again{f.controls, second, f.Server(), f.DataDir(), "http://assets.test/"};
  again.endProcess = [&] { ++f.ends; };
  ASSERT_TRUE(FetchProgramConfig(again));
  EXPECT_EQ(second.ProgramConfig.ToText(), f.state.ProgramConfig.ToText());
  EXPECT_EQ(std::filesystem::last_write_time(f.File(kProgramConfigCache)), written);
  EXPECT_EQ(Cache(f, kProgramConfigCache), cache);
}

TEST_F(ConfigSteps, DamagedCacheSendsNoStampAndIsRebuilt) {
  StepFixture f(server_->Base());
  StepContext context = f.Context();
  ASSERT_TRUE(FetchProgramConfig(context));
  std::string cache = Cache(f, kProgramConfigCache);
  const std::string good = cache;
  cache[50] = cache[50] == 'a' ? 'b' : 'a';
  WriteFile(f.File(kProgramConfigCache), cache);
  EXPECT_EQ(CacheStamp(cache), "");

  ProgramState second;
  StepContext again{f.controls, second, f.Server(), f.DataDir(), ""};
  ASSERT_TRUE(FetchProgramConfig(again));
  EXPECT_EQ(Cache(f, kProgramConfigCache), good);
}

TEST_F(ConfigSteps, ServerDownStartsFromAGoodCacheAndEndsWithoutOne) {
  StepFixture online(server_->Base());
  StepContext first = online.Context();
  ASSERT_TRUE(FetchProgramConfig(first));
  ASSERT_TRUE(LoadMusicList(first));

  const std::string down = "http://127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort());
  {
    StepFixture offline(down);
    std::filesystem::copy(online.File("data"), offline.File("data"),
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
    StepContext context = offline.Context();
    EXPECT_TRUE(FetchProgramConfig(context));
    EXPECT_TRUE(LoadMusicList(context));
    EXPECT_EQ(offline.ends, 0);
    EXPECT_TRUE(offline.controls.MessageBoxes().empty());
    EXPECT_EQ(offline.state.ProgramConfig.ToText(), online.state.ProgramConfig.ToText());
  }
  {
    StepFixture offline(down);
    StepContext context = offline.Context();
    EXPECT_FALSE(FetchProgramConfig(context));
    EXPECT_EQ(offline.ends, 1);
    const auto boxes = offline.controls.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "失联！！！");
    EXPECT_EQ(boxes[0].text, "无法与Lark-Bay服务器进行通讯,请检测网络连接状态。");
    EXPECT_EQ(boxes[0].owner, "StartupWindow");
    EXPECT_EQ(boxes[0].flags, 0);
    // The music list fails quietly.
    EXPECT_FALSE(LoadMusicList(context));
    EXPECT_EQ(offline.controls.MessageBoxes().size(), 1u);
    EXPECT_TRUE(offline.state.RecommendHtml.empty());
  }
}

// A gateway that answers every request with `reply`, with a Date for the clock.
void AnswerWith(LoopbackServer& gateway, const std::string& reply) {
  gateway.Route("/server_to_get.php", [reply](const larkbay::testing::RecordedRequest& request) {
    const std::vector<std::string> date = {"Date: Thu, 10 Dec 2026 01:00:00 GMT"};
    return Answer::Http("200 OK", date, request.method == "HEAD" ? std::string() : reply);
  });
}

std::string LongReply(std::string_view stamp, std::string_view document) {
  return SwapLetterCase(Base64Encode(PercentEncode(std::string(stamp) + std::string(document))));
}

TEST(ConfigReplies, ShortAndUnreadableRepliesEndTheProgram) {
  const struct {
    const char* what;
    std::string reply;
  } cases[] = {
      {"50 characters", std::string(50, 'x')},
      {"short refusal", "ERR bad checksum"},
      // Stored first, then found unusable and removed again.
      {"long, not JSON", LongReply("0123456789", std::string(60, 'z'))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LoopbackServer gateway;
    AnswerWith(gateway, c.reply);
    StepFixture f(gateway.Base());
    StepContext context = f.Context();
    EXPECT_FALSE(FetchProgramConfig(context));
    EXPECT_EQ(f.ends, 1);
    ASSERT_EQ(f.controls.MessageBoxes().size(), 1u);
    EXPECT_EQ(f.controls.MessageBoxes()[0].title, "失联！！！");
    EXPECT_FALSE(std::filesystem::exists(f.File(kProgramConfigCache)));
  }
}

TEST(ConfigReplies, ShortJsonReplyIsTheDocument) {
  LoopbackServer gateway;
  AnswerWith(gateway, R"({"DJ":{},"Song":{}})");
  StepFixture f(gateway.Base());
  StepContext context = f.Context();
  EXPECT_TRUE(FetchProgramConfig(context));
  EXPECT_EQ(f.state.ProgramConfig.ToText(), R"({"DJ":{},"Song":{}})");
  EXPECT_FALSE(std::filesystem::exists(f.File(kProgramConfigCache)));
}

TEST(MusicListReplies, PlayListFollowsThePlayer) {
  const std::string three = R"({"Muisc":[{"url":"http://m/1.mp3","artists":"甲","name":"一"},)"
                            R"({"url":"http://m/2.mp3","artists":"乙","name":"二"},)"
                            R"({"url":"http://m/3.mp3","artists":"丙","name":"三"}]})";
  LoopbackServer gateway;
  AnswerWith(gateway, LongReply("1234567890", three));

  StepFixture cef(gateway.Base());
  cef.state.appState.PlayerEngine = "cef";
  StepContext context = cef.Context();
  ASSERT_TRUE(LoadMusicList(context));
  const std::string& page = cef.state.RecommendHtml;
  EXPECT_NE(page.find("soundmanager2.js"), std::string::npos);
  for (const char* entry : {"<li><a href='http://m/1.mp3'><b>甲</b> - 一</a></li>\r\n",
                            "<li><a href='http://m/2.mp3'><b>乙</b> - 二</a></li>\r\n",
                            "<li><a href='http://m/3.mp3'><b>丙</b> - 三</a></li>\r\n"}) {
    EXPECT_NE(page.find(entry), std::string::npos) << entry;
  }
  EXPECT_EQ(CacheDocument(Cache(cef, kMusicListCache)), three);

  StepFixture ie(gateway.Base());
  ie.state.appState.PlayerEngine = "ie";
  StepContext legacy = ie.Context();
  ASSERT_TRUE(LoadMusicList(legacy));
  // One song's bare address, no entries.
  EXPECT_EQ(ie.state.RecommendHtml.find("<li>"), std::string::npos);
  EXPECT_NE(ie.state.RecommendHtml.find("src=\"http://m/"), std::string::npos);
}

TEST(MusicListReplies, EmptyListSucceedsAndBrokenListFailsQuietly) {
  LoopbackServer gateway;
  // Long enough to be no short reply once encoded.
  AnswerWith(gateway, LongReply("1234567890", R"({"Muisc":[],"note":"nothing today"})"));
  StepFixture f(gateway.Base());
  f.state.appState.PlayerEngine = "cef";
  StepContext context = f.Context();
  ASSERT_TRUE(LoadMusicList(context));
  EXPECT_NE(f.state.RecommendHtml.find("<ul class=\"sm2-playlist-bd\"></ul></div>"),
            std::string::npos);

  LoopbackServer broken;
  AnswerWith(broken, LongReply("1234567890", std::string(80, '{')));
  StepFixture g(broken.Base());
  StepContext failing = g.Context();
  EXPECT_FALSE(LoadMusicList(failing));
  EXPECT_TRUE(g.state.RecommendHtml.empty());
  EXPECT_TRUE(g.controls.MessageBoxes().empty());
  EXPECT_EQ(g.ends, 0);
  EXPECT_FALSE(std::filesystem::exists(g.File(kMusicListCache)));
}

TEST(PercentDecodeText, DigitsOfEitherCaseAndUtf8) {
  const struct {
    const char* in;
    bool utf8;
    const char* out;
  } cases[] = {
      {"%41", false, "A"},       {"%4a%4A", false, "JJ"}, {"a+b%20c", false, "a+b c"},
      {"%E4%B8%AD", true, "中"}, {"100%", false, "100%"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(PercentDecode(c.in, c.utf8), c.out);
  }
  // The text is GB18030 where it reaches the disk: 中 is D6 D0 there.
  EXPECT_EQ(TextToGbk(PercentDecode("%E4%B8%AD", true)), "\xD6\xD0");
}

}  // namespace
}  // namespace larkbay::test

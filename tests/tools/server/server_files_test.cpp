// Media, downloads and player assets: lengths, HEAD, byte ranges, redirects.
#include <gtest/gtest.h>

#include "demo_server_fixture.h"
#include "net/http_request_engine.h"
#include "net/inet_request.h"
#include "services/json/json_object.h"
#include "services/text/text_helpers.h"

namespace larkbay::test {
namespace {

constexpr const char* kMediaFiles[] = {"audio/c1-st.mp3",  "audio/c2-hd.mp3", "audio/c3-hq.mp3",
                                       "audio/c4-sq.flac", "dj/dj1-hq.mp3",   "mv/mv1.webm"};

struct Fetched {
  std::string status;
  std::string headers;
  Bytes body;
};

Fetched Get(const std::string& url, std::string_view extraHeaders = {}, int method = 0) {
  Fetched fetched;
  HttpRequestArgs args;
  args.url = url;
  args.method = method;
  args.extraHeaders = extraHeaders;
  args.responseHeaders = &fetched.headers;
  args.status = &fetched.status;
  args.responseBytes = &fetched.body;
  args.noRedirect = true;
  HttpRequestEngine(args);
  return fetched;
}

using FilesTest = DemoServerTest;

TEST_F(FilesTest, HeadGivesTheLengthOfEveryMediaFile) {
  for (const char* name : kMediaFiles) {
    SCOPED_TRACE(name);
    const std::string onDisk = ReadFile(TestMediaDir() / name);
    ASSERT_FALSE(onDisk.empty());
    std::string headers;
    InetRequest(Base() + "/media/" + name, 2, {}, {}, nullptr, {}, &headers);
    EXPECT_NE(headers.substr(0, 15).find("200"), std::string::npos) << headers;
    EXPECT_EQ(HeaderValue(headers, "Content-Length"), std::to_string(onDisk.size()));
    EXPECT_EQ(InetRequest(Base() + "/media/" + name), onDisk);
  }
}

TEST_F(FilesTest, ByteRangesResumeWhereAskedFrom) {
  const std::string onDisk = ReadFile(TestMediaDir() / "audio/c1-hq.mp3");
  ASSERT_GT(onDisk.size(), 5000u);
  struct Case {
    std::string range;
    size_t from;
    size_t length;
  };
  const size_t size = onDisk.size();
  for (const Case& c : {Case{"bytes=100-199", 100, 100},
                        Case{"bytes=" + std::to_string(size - 1000) + "-", size - 1000, 1000},
                        Case{"bytes=-10", size - 10, 10}}) {
    SCOPED_TRACE(c.range);
    const Fetched part = Get(Base() + "/media/audio/c1-hq.mp3", "Range: " + c.range);
    EXPECT_TRUE(part.status.starts_with("206")) << part.status;
    EXPECT_EQ(part.body, onDisk.substr(c.from, c.length));
    EXPECT_EQ(HeaderValue(part.headers, "Content-Range"),
              "bytes " + std::to_string(c.from) + "-" + std::to_string(c.from + c.length - 1) +
                  "/" + std::to_string(size));
  }
}

TEST_F(FilesTest, TinyFilesStayUnderTenKilobytes) {
  int tiny = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(TestMediaDir())) {
    if (!entry.is_regular_file() || !entry.path().filename().string().starts_with("tiny-"))
      continue;
    ++tiny;
    EXPECT_LT(entry.file_size(), 10240u) << entry.path();
  }
  EXPECT_GE(tiny, 4);

  // The catalogue leads to them: a song and a mix whose addresses answer with
  // fewer than 10,240 bytes.
  JsonObject song;
  ASSERT_TRUE(song.Parse(Ask("Lark-Bay/Tool/Api/Music/song/xy/xy.php",
                             "web=xy&type=Songurl&key=100066&page=1&br=ST&mid=")));
  JsonObject mix;
  ASSERT_TRUE(mix.Parse(Ask("Lark-Bay/Tool/Api/Music/dj/djyl/get_url.php", "ids=12")));
  for (const std::string& url : {song.GetText("xy_100066.Songurl"), mix.GetText("djyl_12.ST")}) {
    SCOPED_TRACE(url);
    std::string headers;
    InetRequest(url, 2, {}, {}, nullptr, {}, &headers);
    const std::string length = HeaderValue(headers, "Content-Length");
    ASSERT_FALSE(length.empty()) << headers;
    EXPECT_GT(std::stoi(length), 0);
    EXPECT_LT(std::stoi(length), 10240);
  }
}

TEST_F(FilesTest, RedirectHopLeadsToTheDownload) {
  const Fetched hop = Get(Base() + "/go/Update.exe", {}, 2);
  EXPECT_TRUE(hop.status.starts_with("302")) << hop.status;
  EXPECT_EQ(HeaderValue(hop.headers, "Location"), Base() + "/download/Update.exe");
  EXPECT_EQ(ResolveDownloadUrl(Base() + "/go/Update.exe"), Base() + "/download/Update.exe");
  EXPECT_EQ(ResolveDownloadUrl(Base() + "/go/Missing.exe"), "");
}

TEST_F(FilesTest, OwnPlayerAssetsAreServed) {
  for (const char* path :
       {"/soundmanager2/script/bar-ui.js", "/soundmanager2/css/bar-ui.css", "/img/dj-cover.svg"}) {
    SCOPED_TRACE(path);
    const Fetched asset = Get(Base() + path);
    EXPECT_TRUE(asset.status.starts_with("200")) << asset.status;
    EXPECT_EQ(asset.body,
              ReadFile(std::filesystem::path(LARKBAY_SERVER_DATA) / "www" / (path + 1)));
  }
}

// The two npm scripts come from the vendor folder, at the paths the player
// page templates load them from.
TEST(PlayerAssetsTest, VendorScriptsAnswerAtTheTemplatePaths) {
  TempFolder downloads;
  TempFolder vendor;
  const char* scripts[] = {"soundmanager2/script/soundmanager2.js", "newbox/js/html5media.min.js"};
  for (const char* script : scripts) {
    std::filesystem::create_directories((vendor.Path() / "www" / script).parent_path());
    WriteFile(vendor.Path() / "www" / script, std::string("/* ") + script + " */");
  }
  ServerProcess server(downloads.Path(), {"--vendor", vendor.Path().string()});
  ASSERT_TRUE(server.Ready()) << server.Output();
  for (const char* script : scripts) {
    SCOPED_TRACE(script);
    const Fetched asset = Get(server.Base() + "/" + script);
    EXPECT_TRUE(asset.status.starts_with("200")) << asset.status;
    EXPECT_TRUE(HeaderValue(asset.headers, "Content-Type").starts_with("application/javascript"));
    EXPECT_EQ(asset.body, std::string("/* ") + script + " */");
  }
}

TEST_F(FilesTest, PathsCannotLeaveTheirFolder) {
  for (const char* path : {"/media/%2e%2e/catalogue/songs.tsv", "/media/..%2fcatalogue%2fsongs.tsv",
                           "/download/%2e%2e%2fcatalogue%2fcatalogue.json",
                           "/%2e%2e/server/catalogue.cpp", "/media/audio//c1-st.mp3"}) {
    SCOPED_TRACE(path);
    EXPECT_TRUE(Get(Base() + path).status.starts_with("404")) << Get(Base() + path).status;
  }
}

}  // namespace
}  // namespace larkbay::test

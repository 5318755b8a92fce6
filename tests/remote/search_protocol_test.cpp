// The catalogue's query texts and answers, alone and against the reference
// server.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo_server_fixture.h"
#include "net/server_request.h"
#include "search/dj_protocol.h"
#include "search/query_encoding.h"
#include "search/search_counters.h"
#include "search/song_protocol.h"
#include "services/json/json_object.h"

namespace larkbay {
namespace {

TEST(QueryEncoding, KeepsOnlyLettersDigitsDashAndDot) {
  const struct {
    std::string value, encoded;
  } cases[] = {
      {"", ""},
      {"音乐 a", "%E9%9F%B3%E4%B9%90%20a"},
      {"AZaz09-.", "AZaz09-."},
      {"_~/ ", "%5F%7E%2F%20"},
      {"a+b&c=d%", "a%2Bb%26c%3Dd%25"},
      {"\x7f\t", "%7F%09"},
      {"Café🌙", "Caf%C3%A9%F0%9F%8C%99"},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeQueryValue(c.value), c.encoded) << c.value;
}

TEST(SongProtocol, QueriesAndPaths) {
  EXPECT_EQ(SongScriptPath("xy"), "Lark-Bay/Tool/Api/Music/song/xy/xy.php");
  EXPECT_EQ(SongQueryText("xy", kSongSearchType, "音乐 a", 1, kDefaultSongBitrate, ""),
            "web=xy&type=Search&key=%E9%9F%B3%E4%B9%90%20a&page=1&br=ST&mid=");

  SongRecord song;
  song.SongID = "100001";
  song.SongMV = "mv_1";
  song.media_mid = "338B";
  const struct {
    std::string quality, query;
  } cases[] = {
      {"ST", "web=xy&type=Songurl&key=100001&page=1&br=ST&mid=338B"},
      {"HD", "web=xy&type=Songurl&key=100001&page=1&br=HD&mid=338B"},
      {"HQ", "web=xy&type=Songurl&key=100001&page=1&br=HQ&mid=338B"},
      {"SQ", "web=xy&type=Songurl&key=100001&page=1&br=SQ&mid=338B"},
      {"MV", "web=xy&type=MVurl&key=mv%5F1&page=1&br=HQ&mid=338B"},
      {"sq", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(SongUrlQuery("xy", c.quality, song), c.query) << c.quality;
}

TEST(SongProtocol, AddressAnswers) {
  const std::string audio = R"({"xy_7":{"Songurl":"http://h/7.flac","br":"SQ"},"Songurl":"x"})";
  const std::string video = R"({"MVurl":"http://h/7.mp4"})";
  const struct {
    std::string answer, site, quality, songId, url;
  } cases[] = {
      {audio, "xy", "SQ", "7", "http://h/7.flac"},
      {audio, "yq", "SQ", "7", ""},  // the member is named by site and id
      {audio, "xy", "ST", "8", ""},
      {audio, "xy", "MV", "7", ""},
      {audio, "xy", "XX", "7", ""},
      {video, "xy", "MV", "", "http://h/7.mp4"},
      {video, "xy", "HQ", "7", ""},
      {"not json", "xy", "MV", "7", ""},
      {"", "xy", "SQ", "7", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SongUrlFromAnswer(c.answer, c.site, c.quality, c.songId), c.url)
        << c.answer << " " << c.quality;
  }
}

TEST(DjProtocol, QueriesPathsAndAddresses) {
  EXPECT_EQ(DjQueryText("djyl", "SongID", "0042", 1, "asc"),
            "web=djyl&type=SongID&Sort=asc&key=0042&page=1");
  EXPECT_EQ(DjQueryText("djyl", "SongName", "夜 曲", 3, "desc"),
            "web=djyl&type=SongName&Sort=desc&key=%E5%A4%9C%20%E6%9B%B2&page=3");
  EXPECT_EQ(DjAddressScriptPath("djyl"), "Lark-Bay/Tool/Api/Music/dj/djyl/get_url.php");
  EXPECT_EQ(DjAddressQuery({"7", "8", "9"}), "ids=7,8,9");
  EXPECT_EQ(DjAddressQuery({"42"}), "ids=42");

  JsonObject answer;
  ASSERT_TRUE(answer.Parse(
      R"({"djyl_7":{"HQ":"http://h/7-hq.mp3","ST":"http://h/7-st.mp3"},"djyl_8":{"HQ":""}})"));
  const DjAddresses seven = ReadDjAddresses(answer, "djyl", "7");
  EXPECT_EQ(seven.HQ, "http://h/7-hq.mp3");
  EXPECT_EQ(seven.ST, "http://h/7-st.mp3");
  const DjAddresses eight = ReadDjAddresses(answer, "djyl", "8");
  EXPECT_EQ(eight.HQ, "");
  EXPECT_EQ(eight.ST, "");
  EXPECT_EQ(ReadDjAddresses(answer, "wqtt", "7").HQ, "");
  EXPECT_FALSE(DjAddressUsable("http:"));
  EXPECT_TRUE(DjAddressUsable("http:/"));
}

TEST(SearchCounters, MissingOrNonNumericReadAsZero) {
  JsonObject answer;
  ASSERT_TRUE(answer.Parse(R"({"Page":"3","ListCount":12,"PageaCount":"x","DataCount":-1})"));
  const SearchCounters c = ReadSearchCounters(answer);
  EXPECT_EQ(c.Page, 3);
  EXPECT_EQ(c.ListCount, 12);
  EXPECT_EQ(c.PageaCount, 0);
  EXPECT_EQ(c.DataCount, -1);
  const SearchCounters none = ReadSearchCounters(JsonObject());
  EXPECT_EQ(none.Page + none.ListCount + none.PageaCount + none.DataCount, 0);
}

using SearchServerTest = test::DemoServerTest;

// A search page read into records, then the addresses of one of its songs.
TEST_F(SearchServerTest, SongSearchAndAddresses) {
  ServerClient client(Base());
  JsonObject answer;
  ASSERT_TRUE(answer.Parse(client.ServerRequest(
      SongScriptPath("xy"), SongQueryText("xy", kSongSearchType, "晴天之后", 1, "ST", ""), 1, 1)));
  ASSERT_GE(ReadSearchCounters(answer).ListCount, 1);
  const SongRecord song = ReadSongRecord(answer.GetItemObject(0, "List"));
  ASSERT_EQ(song.SongID, "100001");
  ASSERT_FALSE(song.SongMV.empty());

  EXPECT_EQ(RequestSongUrl(client, "xy", "SQ", song), Base() + "/media/audio/c1-sq.flac");
  EXPECT_NE(RequestSongUrl(client, "xy", "MV", song).find("http"), std::string::npos);
  EXPECT_EQ(RequestSongUrl(client, "xy", "XX", song), "");
  SongRecord lossless = song;
  lossless.SongID = "100014";  // no SQ file
  EXPECT_EQ(RequestSongUrl(client, "xy", "SQ", lossless), "");
  EXPECT_NE(RequestSongUrl(client, "xy", "HQ", lossless), "");
}

TEST_F(SearchServerTest, DjSearchAndAddresses) {
  ServerClient client(Base());
  JsonObject answer;
  ASSERT_TRUE(answer.Parse(client.ServerRequest(
      kDjSearchScript, DjQueryText("djyl", "SongID", "0042", 1, "asc"), 1, 1)));
  ASSERT_EQ(ReadSearchCounters(answer).ListCount, 1);
  const DjRecord mix = ReadDjRecord(answer.GetItemObject(0, "List"));
  EXPECT_EQ(mix.SongID, "42");

  JsonObject urls;
  ASSERT_TRUE(RequestDjAddresses(client, "djyl", {mix.SongID, "999999"}, urls));
  const DjAddresses addresses = ReadDjAddresses(urls, "djyl", mix.SongID);
  EXPECT_TRUE(DjAddressUsable(addresses.ST) || DjAddressUsable(addresses.HQ));
  for (const std::string& address : {addresses.ST, addresses.HQ}) {
    if (!address.empty()) {
      EXPECT_TRUE(address.starts_with(Base())) << address;
    }
  }
  EXPECT_EQ(ReadDjAddresses(urls, "djyl", "999999").ST, "");
}

}  // namespace
}  // namespace larkbay

// Song and DJ searches, song addresses and DJ addresses, as the client reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "demo_server_fixture.h"
#include "net/inet_request.h"
#include "services/json/json_object.h"
#include "services/text/text_helpers.h"

namespace larkbay::test {
namespace {

constexpr std::string_view kDjSearchScript = "Lark-Bay/Tool/Api/Music/dj/DJ_music_info_API.php";
constexpr const char* kSongMembers[] = {"SongID",   "SongName", "SongArtists", "SongAlbum",
                                        "SongTime", "SongMV",   "media_mid",   "SQ",
                                        "HQ",       "HD",       "ST"};
constexpr const char* kMixMembers[] = {"SongID",      "SongName",     "SongPlayUrl",
                                       "SongTime",    "SongFileSize", "SongUserName",
                                       "SongClassID", "SongImage",    "SongAddDate"};

std::string SongScript(std::string_view site) {
  return "Lark-Bay/Tool/Api/Music/song/" + std::string(site) + "/" + std::string(site) + ".php";
}

std::string SongQuery(std::string_view site, std::string_view type, std::string_view key, int page,
                      std::string_view br = "ST", std::string_view mid = "") {
  return "web=" + std::string(site) + "&type=" + std::string(type) + "&key=" + PercentEncode(key) +
         "&page=" + std::to_string(page) + "&br=" + std::string(br) + "&mid=" + std::string(mid);
}

std::string DjQuery(std::string_view site, std::string_view type, std::string_view sort,
                    std::string_view key, int page) {
  return "web=" + std::string(site) + "&type=" + std::string(type) + "&Sort=" + std::string(sort) +
         "&key=" + PercentEncode(key) + "&page=" + std::to_string(page);
}

std::string FoldAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool Mentions(const JsonObject& song, std::string_view key) {
  const std::string folded = FoldAscii(std::string(key));
  for (const char* member : {"SongName", "SongArtists", "SongAlbum"}) {
    if (FoldAscii(song.GetText(member)).find(folded) != std::string::npos) return true;
  }
  return false;
}

int Number(const JsonObject& answer, const char* member) {
  return std::stoi(std::string("0") + answer.GetText(member));
}

using SongSearchTest = DemoServerTest;
using DjSearchTest = DemoServerTest;

TEST_F(SongSearchTest, KeywordsInEveryScriptFindTheirSongs) {
  struct Case {
    const char* site;
    const char* key;
  };
  const Case cases[] = {{"xy", "雨"},   {"xy", "さくら"}, {"yq", "서울"},
                        {"xy", "café"}, {"yq", "🌙"},      {"xh", "Björn"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.site) + " " + c.key);
    JsonObject answer;
    ASSERT_TRUE(answer.Parse(Ask(SongScript(c.site), SongQuery(c.site, "Search", c.key, 1))));
    const int listCount = Number(answer, "ListCount");
    EXPECT_EQ(Number(answer, "Page"), 1);
    EXPECT_GT(Number(answer, "DataCount"), 0);
    EXPECT_EQ(listCount, std::min(20, Number(answer, "DataCount")));
    ASSERT_EQ(answer.GetCount("List"), listCount);
    for (int i = 0; i < listCount; ++i) {
      const JsonObject song = answer.GetItemObject(i, "List");
      EXPECT_TRUE(Mentions(song, c.key)) << song.ToText();
      std::vector<std::string> names;
      song.GetNames(names, "");
      for (const char* member : kSongMembers) {
        // The one site without a video catalogue leaves SongMV out.
        const bool expected =
            std::string_view(member) != "SongMV" || std::string_view(c.site) != "xh";
        EXPECT_EQ(std::count(names.begin(), names.end(), member), expected ? 1 : 0) << member;
      }
    }
  }
}

TEST_F(SongSearchTest, PagesCoverTheWholeResultOnce) {
  JsonObject first;
  ASSERT_TRUE(first.Parse(Ask(SongScript("xy"), SongQuery("xy", "Search", "a", 1))));
  const int pages = Number(first, "PageaCount");
  const int total = Number(first, "DataCount");
  ASSERT_GE(pages, 3);
  EXPECT_EQ(pages, (total + 19) / 20);
  std::set<std::string> ids;
  for (int page = 1; page <= pages + 1; ++page) {
    SCOPED_TRACE(page);
    JsonObject answer;
    ASSERT_TRUE(answer.Parse(Ask(SongScript("xy"), SongQuery("xy", "Search", "a", page))));
    EXPECT_EQ(Number(answer, "Page"), page);
    EXPECT_EQ(Number(answer, "PageaCount"), pages);
    const int expected = page < pages ? 20 : page == pages ? total - 20 * (pages - 1) : 0;
    ASSERT_EQ(Number(answer, "ListCount"), expected);
    for (int i = 0; i < expected; ++i)
      ids.insert(answer.GetItemObject(i, "List").GetText("SongID"));
  }
  EXPECT_EQ(static_cast<int>(ids.size()), total);
}

TEST_F(SongSearchTest, QualitiesAndVideosVaryAcrossTheCatalogue) {
  std::map<std::string, int> offered;
  int songs = 0;
  for (int page = 1;; ++page) {
    JsonObject answer;
    ASSERT_TRUE(answer.Parse(Ask(SongScript("xy"), SongQuery("xy", "Search", "", page))));
    const int count = Number(answer, "ListCount");
    if (count == 0) break;
    for (int i = 0; i < count; ++i, ++songs) {
      const JsonObject song = answer.GetItemObject(i, "List");
      for (const char* quality : {"ST", "HD", "HQ", "SQ"})
        offered[quality] += song.GetText(quality) != "0";
      offered["MV"] += !song.GetText("SongMV").empty();
    }
  }
  EXPECT_GE(songs, 200);
  for (const char* kind : {"HD", "HQ", "SQ", "MV"}) {
    EXPECT_GT(offered[kind], 0) << kind;
    EXPECT_LT(offered[kind], songs) << kind;
  }
}

TEST_F(SongSearchTest, AddressesOfOfferedQualitiesAndVideosAnswer) {
  JsonObject found;
  ASSERT_TRUE(found.Parse(Ask(SongScript("xy"), SongQuery("xy", "Search", "晴天之后", 1))));
  const JsonObject song = found.GetItemObject(0, "List");
  ASSERT_EQ(song.GetText("SQ"), "1");
  ASSERT_FALSE(song.GetText("SongMV").empty());
  const std::string id = song.GetText("SongID");
  const std::string mid = song.GetText("media_mid");

  for (const char* quality : {"ST", "HD", "HQ", "SQ"}) {
    SCOPED_TRACE(quality);
    JsonObject answer;
    ASSERT_TRUE(
        answer.Parse(Ask(SongScript("xy"), SongQuery("xy", "Songurl", id, 1, quality, mid))));
    JsonObject entry;
    ASSERT_TRUE(entry.Parse(answer.GetText("xy_" + id, true)));
    const std::string url = entry.GetText("Songurl");
    EXPECT_TRUE(url.ends_with(std::string_view(quality) == "SQ" ? ".flac" : ".mp3")) << url;
    EXPECT_EQ(ResolveDownloadUrl(url), url);
  }
  JsonObject mv;
  ASSERT_TRUE(mv.Parse(
      Ask(SongScript("xy"), SongQuery("xy", "MVurl", song.GetText("SongMV"), 1, "HQ", mid))));
  EXPECT_EQ(ResolveDownloadUrl(mv.GetText("MVurl")), mv.GetText("MVurl"));
  EXPECT_TRUE(mv.GetText("MVurl").ends_with(".webm"));

  // A quality the song does not offer has no address.
  JsonObject plain;
  ASSERT_TRUE(plain.Parse(Ask(SongScript("xy"), SongQuery("xy", "Search", "江南雨", 1))));
  const JsonObject withoutSq = plain.GetItemObject(0, "List");
  ASSERT_EQ(withoutSq.GetText("SQ"), "0");
  JsonObject none;
  ASSERT_TRUE(none.Parse(
      Ask(SongScript("xy"), SongQuery("xy", "Songurl", withoutSq.GetText("SongID"), 1, "SQ"))));
  EXPECT_EQ(none.GetText("xy_" + withoutSq.GetText("SongID") + ".Songurl"), "");
}

// The demo has songs whose downloads last long enough to pause, resume and
// delete: "Slow Dance" in every quality, its lossless file tens of megabytes.
TEST_F(SongSearchTest, SlowDanceOffersALargeLosslessFile) {
  JsonObject found;
  ASSERT_TRUE(found.Parse(Ask(SongScript("xy"), SongQuery("xy", "Search", "Slow Dance", 1))));
  ASSERT_GT(found.GetCount("List"), 0);
  const JsonObject song = found.GetItemObject(0, "List");
  ASSERT_EQ(song.GetText("SQ"), "1");
  const std::string id = song.GetText("SongID");
  JsonObject answer;
  ASSERT_TRUE(answer.Parse(Ask(SongScript("xy"), SongQuery("xy", "Songurl", id, 1, "SQ",
                                                           song.GetText("media_mid")))));
  JsonObject entry;
  ASSERT_TRUE(entry.Parse(answer.GetText("xy_" + id, true)));
  std::string headers;
  InetRequest(entry.GetText("Songurl"), 2, {}, {}, nullptr, {}, &headers);
  EXPECT_GE(std::stoll("0" + HeaderValue(headers, "Content-Length")), 30LL * 1000 * 1000) << headers;
}

TEST_F(DjSearchTest, NumberSearchComparesByValue) {
  JsonObject answer;
  ASSERT_TRUE(answer.Parse(Ask(kDjSearchScript, DjQuery("djyl", "SongID", "asc", "0042", 1))));
  ASSERT_EQ(Number(answer, "ListCount"), 1);
  EXPECT_EQ(answer.GetText("List[0].SongID"), "42");
  std::vector<std::string> names;
  answer.GetNames(names, "List[0]");
  EXPECT_EQ(names, std::vector<std::string>(std::begin(kMixMembers), std::end(kMixMembers)));
}

TEST_F(DjSearchTest, SortOrderFollowsTheAddingDate) {
  std::string firstDates[2];
  int index = 0;
  for (const char* sort : {"asc", "desc"}) {
    SCOPED_TRACE(sort);
    JsonObject answer;
    ASSERT_TRUE(answer.Parse(Ask(kDjSearchScript, DjQuery("wqtt", "SongUserName", sort, "DJ", 1))));
    const int count = Number(answer, "ListCount");
    ASSERT_GE(count, 10);
    EXPECT_GE(Number(answer, "PageaCount"), 2);
    for (int i = 1; i < count; ++i) {
      const std::string before = answer.GetText("List[" + std::to_string(i - 1) + "].SongAddDate");
      const std::string after = answer.GetText("List[" + std::to_string(i) + "].SongAddDate");
      EXPECT_TRUE(index == 0 ? before <= after : before >= after) << before << " " << after;
    }
    firstDates[index++] = answer.GetText("List[0].SongAddDate");
  }
  EXPECT_LT(firstDates[0], firstDates[1]);
}

TEST_F(DjSearchTest, AddressAnswerNamesEveryMixAskedFor) {
  JsonObject page;
  ASSERT_TRUE(page.Parse(Ask(kDjSearchScript, DjQuery("djyl", "SongName", "asc", "", 1))));
  const int count = Number(page, "ListCount");
  ASSERT_EQ(count, 20);
  std::string ids = "ids=";
  for (int i = 0; i < count; ++i)
    ids += std::string(i ? "," : "") + page.GetItemObject(i, "List").GetText("SongID");
  JsonObject urls;
  ASSERT_TRUE(urls.Parse(Ask("Lark-Bay/Tool/Api/Music/dj/djyl/get_url.php", ids + ",99999")));
  std::vector<std::string> names;
  EXPECT_EQ(urls.GetNames(names, ""), count);  // the unknown mix is left out
  int withoutHq = 0;
  for (int i = 0; i < count; ++i) {
    const std::string member = "djyl_" + page.GetItemObject(i, "List").GetText("SongID");
    SCOPED_TRACE(member);
    const std::string st = urls.GetText(member + ".ST");
    const std::string hq = urls.GetText(member + ".HQ");
    if (hq.empty()) ++withoutHq;
    if (!st.empty()) {
      EXPECT_EQ(ResolveDownloadUrl(st), st);
    }
    if (!hq.empty()) {
      EXPECT_TRUE(hq.ends_with("-hq.mp3"));
    }
  }
  EXPECT_GT(withoutHq, 0);
  EXPECT_LT(withoutHq, count);
}

}  // namespace
}  // namespace larkbay::test

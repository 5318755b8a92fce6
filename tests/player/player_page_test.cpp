// The two player pages byte for byte, the template and play-list selection,
// and the page bytes and digest.
#include "player/player_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

const std::string kRoot = "http://127.0.0.1:8731/";

// @ROOT@ stands for the asset root.
const std::vector<std::string> kSoundManagerLines = {
    R"(<!DOCTYPE html>)",
    R"(<html>)",
    R"(  <head>)",
    R"(    <meta charset=gbk/>)",
    R"(    <title>Lark-Bay</title>)",
    R"(    <script type="text/javascript" src="@ROOT@soundmanager2/script/soundmanager2.js"></script>)",
    R"(    <script src="@ROOT@soundmanager2/script/bar-ui.js"></script>)",
    R"(    <link rel="stylesheet" href="@ROOT@soundmanager2/css/bar-ui.css" />)",
    R"(  </head>)",
    R"(  <body>)",
    R"(    <div class="sm2-bar-ui compact full-width">)",
    R"(      <div class="bd sm2-main-controls">)",
    R"(        <div class="sm2-inline-texture"></div>)",
    R"(        <div class="sm2-inline-gradient"></div>)",
    R"(        <div class="sm2-inline-element sm2-button-element">)",
    R"(          <div class="sm2-button-bd">)",
    R"(            <a href="#play" class="sm2-inline-button sm2-icon-play-pause">Play / pause</a></div>)",
    R"(        </div>)",
    R"(        <div class="sm2-inline-element sm2-inline-status">)",
    R"(          <div class="sm2-playlist">)",
    R"(            <div class="sm2-playlist-target">)",
    R"(              <!-- playlist <ul> + <li> markup will be injected here -->)",
    R"(              <!-- if you want default / non-JS content, you can put that here. -->)",
    R"(              <noscript>)",
    R"(                <p>JavaScript is required.</p>)",
    R"(              </noscript>)",
    R"(            </div>)",
    R"(          </div>)",
    R"(          <div class="sm2-progress">)",
    R"(            <div class="sm2-row">)",
    R"(              <div class="sm2-inline-time">0:00</div>)",
    R"(              <div class="sm2-progress-bd">)",
    R"(                <div class="sm2-progress-track">)",
    R"(                  <div class="sm2-progress-bar"></div>)",
    R"(                  <div class="sm2-progress-ball">)",
    R"(                    <div class="icon-overlay"></div>)",
    R"(                  </div>)",
    R"(                </div>)",
    R"(              </div>)",
    R"(              <div class="sm2-inline-duration">0:00</div></div>)",
    R"(          </div>)",
    R"(        </div>)",
    R"(        <div class="sm2-inline-element sm2-button-element sm2-volume">)",
    R"(          <div class="sm2-button-bd">)",
    R"(            <span class="sm2-inline-button sm2-volume-control volume-shade"></span>)",
    R"(            <a href="#volume" class="sm2-inline-button sm2-volume-control">volume</a></div>)",
    R"(        </div>)",
    R"(      </div>)",
    R"(      <div class="bd sm2-playlist-drawer sm2-element">)",
    R"(        <div class="sm2-inline-texture">)",
    R"(          <div class="sm2-box-shadow"></div>)",
    R"(        </div>)",
    R"(        <!-- playlist content is mirrored here -->)",
    R"(        <div class="sm2-playlist-wrapper">)",
    R"(          <ul class="sm2-playlist-bd">#PlayPahtList#</ul></div>)",
    R"(      </div>)",
    R"(    </div>)",
    R"(  </body>)",
    R"(</html>)",
};

const std::vector<std::string> kHtml5MediaLines = {
    R"(<!DOCTYPE html>)",
    R"(<html lang="zh-CN">)",
    R"(<head>)",
    R"(    <meta charset="gbk" />)",
    R"(    <title>Lark-Bay</title>)",
    R"(    <script src="@ROOT@newbox/js/html5media.min.js"></script>)",
    R"(    <style>)",
    R"(        * {)",
    R"(            padding: 0;)",
    R"(            margin: 0;)",
    R"(        })",
    R"(        body {)",
    R"(            background-color: #000;)",
    R"(        })",
    R"(    </style>)",
    R"(</head>)",
    R"(<body>)",
    R"(    <audio id="music" src="#PlayPahtList#" style="width: 100%; height: 100%;" autoplay controls loop></audio>)",
    R"(</body>)",
    R"(</html>)",
};

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::string Expected(const std::vector<std::string>& lines, const std::string& root,
                     const std::string& playList = "#PlayPahtList#") {
  std::string page;
  for (size_t i = 0; i < lines.size(); ++i) page += (i == 0 ? "" : "\r\n") + lines[i];
  return ReplaceAll(ReplaceAll(page, "@ROOT@", root), "#PlayPahtList#", playList);
}

std::vector<std::string> SplitCrLf(const std::string& page) {
  std::vector<std::string> lines;
  size_t from = 0;
  for (size_t at = page.find("\r\n"); at != std::string::npos; at = page.find("\r\n", from)) {
    lines.push_back(page.substr(from, at - from));
    from = at + 2;
  }
  lines.push_back(page.substr(from));
  return lines;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(PlayerPage, TemplatesAreExactBytes) {
  struct Case {
    const char* name;
    std::string page;
    const std::vector<std::string>& lines;
    size_t lineCount;
    size_t placeholderLine;  // 1-based
  };
  const Case cases[] = {
      {"SoundManagerPage", SoundManagerPage(kRoot), kSoundManagerLines, 59, 55},
      {"Html5MediaPage", Html5MediaPage(kRoot), kHtml5MediaLines, 20, 18},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(c.lines.size(), c.lineCount);
    EXPECT_EQ(c.page, Expected(c.lines, kRoot));
    const auto lines = SplitCrLf(c.page);
    ASSERT_EQ(lines.size(), c.lineCount);
    for (size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i], ReplaceAll(c.lines[i], "@ROOT@", kRoot)) << "line " << i + 1;
    }
    EXPECT_FALSE(c.page.ends_with("\r\n"));
    EXPECT_FALSE(c.page.ends_with("\n"));
    EXPECT_EQ(Count(c.page, std::string(kPlayListPlaceholder)), 1u);
    EXPECT_NE(lines[c.placeholderLine - 1].find(kPlayListPlaceholder), std::string::npos);
    // A lone LF or CR would be a line the page host counts differently.
    EXPECT_EQ(Count(c.page, "\n"), c.lineCount - 1);
    EXPECT_EQ(Count(c.page, "\r"), c.lineCount - 1);
  }
}

TEST(PlayerPage, AssetRootGoesIntoTheAssetLinesAsWritten) {
  const std::string root = "http://assets.example:81/";
  const auto a = SplitCrLf(SoundManagerPage(root));
  EXPECT_EQ(
      a[5],
      R"(    <script type="text/javascript" src="http://assets.example:81/soundmanager2/script/soundmanager2.js"></script>)");
  EXPECT_EQ(
      a[6],
      R"(    <script src="http://assets.example:81/soundmanager2/script/bar-ui.js"></script>)");
  EXPECT_EQ(
      a[7],
      R"(    <link rel="stylesheet" href="http://assets.example:81/soundmanager2/css/bar-ui.css" />)");
  EXPECT_EQ(Count(SoundManagerPage(root), root), 3u);
  EXPECT_EQ(SplitCrLf(Html5MediaPage(root))[5],
            R"(    <script src="http://assets.example:81/newbox/js/html5media.min.js"></script>)");
  EXPECT_EQ(Count(Html5MediaPage(root), root), 1u);
  EXPECT_EQ(SoundManagerPage(""), Expected(kSoundManagerLines, ""));
}

TEST(PlayerPage, EngineSelectsTemplateAndPlayListForm) {
  const std::string url = "http://127.0.0.1:8731/music/a.mp3";
  const std::string entry = PlaylistEntry(url, "Artist", "Song");
  ASSERT_EQ(entry, "<li><a href='" + url + "'><b>Artist</b> - Song</a></li>\r\n");
  struct Case {
    std::string engine;
    std::string playList;
    const std::vector<std::string>& lines;
  };
  const Case cases[] = {
      {"cef", entry, kSoundManagerLines},
      {"cef", entry + PlaylistEntry(url, "B", "A"), kSoundManagerLines},
      {"ie", BarePlayList(url), kHtml5MediaLines},
      {"", entry, kHtml5MediaLines},
      // The comparison is exact: no other spelling picks the embedded browser.
      {"CEF", entry, kHtml5MediaLines},
      {"cef ", entry, kHtml5MediaLines},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("engine '" + c.engine + "'");
    const std::string page = BuildPlayerPage(c.engine, c.playList, kRoot);
    EXPECT_EQ(page, Expected(c.lines, kRoot, c.playList));
    EXPECT_EQ(Count(page, std::string(kPlayListPlaceholder)), 0u);
  }
  EXPECT_EQ(BarePlayList(url), url);
  EXPECT_NE(BuildPlayerPage("ie", url, kRoot).find(R"(<audio id="music" src=")" + url + R"(" )"),
            std::string::npos);
  EXPECT_NE(BuildPlayerPage("", entry, kRoot).find(R"(<audio id="music" src=")" + entry + R"(" )"),
            std::string::npos);
}

TEST(PlayerPage, PlaceholderInPlayListIsNotReplacedAgain) {
  const std::string playList = "x#PlayPahtList#y";
  const std::string page = BuildPlayerPage("ie", playList, kRoot);
  EXPECT_EQ(page, Expected(kHtml5MediaLines, kRoot, playList));
  EXPECT_EQ(Count(page, std::string(kPlayListPlaceholder)), 1u);
}

TEST(PlayerPage, SongEntryEndsLine55AndClosingTagStartsTheNext) {
  const std::string url = "http://127.0.0.1:8731/music/u.mp3";
  const std::string page = BuildPlayerPage("cef", PlaylistEntry(url, "B", "A"), kRoot);
  const auto lines = SplitCrLf(page);
  ASSERT_EQ(lines.size(), 60u);
  EXPECT_EQ(lines[54], "          <ul class=\"sm2-playlist-bd\"><li><a href='" + url +
                           "'><b>B</b> - A</a></li>");
  EXPECT_EQ(lines[55], "</ul></div>");
  EXPECT_EQ(lines[56], "      </div>");
  EXPECT_EQ(lines[59], "</html>");
}

TEST(PlayerPage, ServerTextsAreShownNotRun) {
  const std::string evil = "</a><script>alert(1)</script>";
  const std::string entry = PlaylistEntry("http://h/a.mp3?x='1\"&y=<2>", evil, evil);
  EXPECT_EQ(
      entry,
      "<li><a href='http://h/a.mp3?x=&#39;1&quot;&amp;y=&lt;2&gt;'><b>&lt;/a&gt;&lt;script&gt;"
      "alert(1)&lt;/script&gt;</b> - &lt;/a&gt;&lt;script&gt;alert(1)&lt;/script&gt;</a></li>"
      "\r\n");
  for (const std::string engine : {"cef", ""}) {
    SCOPED_TRACE("engine '" + engine + "'");
    const std::string page = BuildPlayerPage(engine, entry, kRoot);
    EXPECT_EQ(Count(page, "<script"), engine == "cef" ? 2u : 1u);  // the asset loaders only
    EXPECT_EQ(page.find("</a><script"), std::string::npos);
  }
  // The bare address lands in a double-quoted attribute it must not leave.
  const std::string bare = BarePlayList("http://h/a.mp3\" onerror=\"alert(1)");
  EXPECT_EQ(bare, "http://h/a.mp3&quot; onerror=&quot;alert(1)");
  EXPECT_EQ(Count(BuildPlayerPage("ie", bare, kRoot), "\""), Count(Html5MediaPage(kRoot), "\""));
}

TEST(PlayerPage, OnlyWebAddressesArePlayed) {
  struct Case {
    std::string url;
    std::string href;
  };
  const Case cases[] = {
      {"javascript:alert(1)", ""},
      {"JAVASCRIPT:x", ""},
      {"data:text/html,<script>alert(1)</script>", ""},
      {"file:///etc/passwd", ""},
      {"", ""},
      {" http://x/", ""},
      {"httpx://x/", ""},
      {"HTTP://x", "HTTP://x"},
      {"hTTps://x/a.mp3", "hTTps://x/a.mp3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    EXPECT_EQ(BarePlayList(c.url), c.href);
    EXPECT_EQ(PlaylistEntry(c.url, "b", "p"),
              "<li><a href='" + c.href + "'><b>b</b> - p</a></li>\r\n");
  }
}

TEST(PlayerPage, PlainTextsKeepTheirBytes) {
  const std::string url = "https://cdn.example/song/周杰伦-晴天.mp3?id=42;q=1#t=0:30";
  const std::string bold = "周杰伦 (Jay) #1 + friends / 100% !";
  const std::string plain = "晴天 - live, ver. 2 [2003] {x} \\ ~`";
  EXPECT_EQ(PlaylistEntry(url, bold, plain),
            "<li><a href='" + url + "'><b>" + bold + "</b> - " + plain + "</a></li>\r\n");
  EXPECT_EQ(BarePlayList(url), url);
}

TEST(PlayerPage, BytesAreGb18030AndDigestIsTheirMd5) {
  // The digest values below come from iconv -t GB18030 | md5sum.
  EXPECT_EQ(PageBytes("<b>周杰伦</b> - 晴天"),
            "<b>\xd6\xdc\xbd\xdc\xc2\xd7</b> - \xc7\xe7\xcc\xec");
  EXPECT_EQ(PageDigest("<b>周杰伦</b> - 晴天"), "0aa5078be82f221c77c509b5b2beaaa0");
  const std::string page = BuildPlayerPage(
      "cef", PlaylistEntry("http://127.0.0.1:8731/music/1.mp3", "周杰伦", "晴天"), kRoot);
  EXPECT_EQ(PageBytes(page).size(), 2542u);
  EXPECT_EQ(PageDigest(page), "fa35283bbfc2735b6d305fc54b7fef4b");
  EXPECT_EQ(PageDigest(page), Md5Hex(TextToGbk(page), false));
  // Another quality is another address, so another page and another digest.
  const std::string other = BuildPlayerPage(
      "cef", PlaylistEntry("http://127.0.0.1:8731/music/1-hq.mp3", "周杰伦", "晴天"), kRoot);
  EXPECT_NE(PageDigest(other), PageDigest(page));
}

}  // namespace
}  // namespace larkbay

// Handing player pages to a page host: a repeat of the last page is dropped,
// the digest is taken before the host is asked, and the auto-play click runs
// only with auto-play on. The legacy view's page file goes once loaded.
#include "player/show_player_page.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "player/page_host.h"
#include "player/player_page.h"
#include "player/player_view.h"
#include "state/program_state.h"

namespace larkbay {
namespace {

const std::string kRoot = "http://127.0.0.1:8731/";

class RecordingHost : public PageHost {
 public:
  explicit RecordingHost(bool accepts = true) : accepts_(accepts) {}
  bool LoadPage(std::string_view pageText) override {
    pages.emplace_back(pageText);
    return accepts_;
  }
  bool RunScript(std::string_view script) override {
    scripts.emplace_back(script);
    return accepts_;
  }
  bool StartDownload(std::string_view) override { return false; }

  std::vector<std::string> pages;
  std::vector<std::string> scripts;

 private:
  bool accepts_;
};

std::string SongPage(const std::string& engine, const std::string& url) {
  const std::string list = engine == "ie" ? BarePlayList(url) : PlaylistEntry(url, "歌手", "歌名");
  return BuildPlayerPage(engine, list, kRoot);
}

TEST(ShowPlayerPageTest, RepeatOfLastPageIsDroppedAnotherPageIsShown) {
  for (const std::string engine : {"cef", "ie"}) {
    SCOPED_TRACE(engine);
    ProgramState state;
    state.appState.PlayerEngine = engine;
    RecordingHost host;
    const std::string st = SongPage(engine, "http://h/media/audio/c1-st.mp3");
    const std::string hq = SongPage(engine, "http://h/media/audio/c1-hq.mp3");

    ShowPlayerPage(state, &host, st);
    ShowPlayerPage(state, &host, st);
    EXPECT_EQ(host.pages, std::vector<std::string>{st});
    EXPECT_EQ(state.LastPageDigest, PageDigest(st));

    // Another quality of the same song, then back: each differs from the last.
    ShowPlayerPage(state, &host, hq);
    ShowPlayerPage(state, &host, st);
    EXPECT_EQ(host.pages, (std::vector<std::string>{st, hq, st}));
    EXPECT_EQ(state.LastPageDigest, PageDigest(st));
  }
}

TEST(ShowPlayerPageTest, DigestIsRecordedEvenWhenNothingTakesThePage) {
  const std::string page = SongPage("cef", "http://h/a.mp3");
  {
    ProgramState state;
    ShowPlayerPage(state, nullptr, page);
    EXPECT_EQ(state.LastPageDigest, PageDigest(page));
    EXPECT_EQ(state.LastPageDigest.size(), 32u);
    // The host that turns up later is not offered the same page.
    RecordingHost host;
    ShowPlayerPage(state, &host, page);
    EXPECT_TRUE(host.pages.empty());
  }
  {
    ProgramState state;
    RecordingHost refusing(false);
    ShowPlayerPage(state, &refusing, page);
    ShowPlayerPage(state, &refusing, page);
    EXPECT_EQ(refusing.pages.size(), 1u);
    EXPECT_EQ(state.LastPageDigest, PageDigest(page));
  }
}

TEST(ShowPlayerPageTest, FirstPageOfARunIsAlwaysShown) {
  ProgramState state;
  RecordingHost host;
  // Even a page whose digest is that of the empty text.
  ShowPlayerPage(state, &host, "");
  EXPECT_EQ(host.pages.size(), 1u);
}

TEST(OnPageLoadFinishedTest, ClicksPlayOnlyWithAutoPlayOn) {
  struct Case {
    bool autoPlay;
    size_t clicks;
  };
  for (const Case c : {Case{false, 0}, Case{true, 1}}) {
    ProgramState state;
    state.appState.AutoPlay = c.autoPlay;
    RecordingHost host;
    OnPageLoadFinished(state, host);
    ASSERT_EQ(host.scripts.size(), c.clicks) << "AutoPlay " << c.autoPlay;
    if (c.clicks) {
      EXPECT_EQ(host.scripts[0],
                "(function () { var play = document.getElementsByClassName("
                "'sm2-inline-button sm2-icon-play-pause')[0]; if (play) play.click(); })();");
      EXPECT_TRUE(host.pages.empty());
    }
  }
}

TEST(OnPageLoadFinishedTest, ScriptFindsThePlayButtonOfTheSoundManagerPage) {
  // The click targets the element by both of its classes.
  const std::string page = SoundManagerPage(kRoot);
  EXPECT_NE(page.find("<a href=\"#play\" class=\"sm2-inline-button sm2-icon-play-pause\">"),
            std::string::npos);
  EXPECT_NE(std::string(kAutoPlayScript).find("'sm2-inline-button sm2-icon-play-pause'"),
            std::string::npos);
}

// Each page gets one click: a page that loaded before the setting was read
// gets it when it is read, unless a newer page was handed over meanwhile,
// which gets its own when it has loaded. 'h' hands a page over, 'l' a page
// finished loading, 'r' the setting is read; `clicks` marks the events that
// click.
TEST(AutoPlayTimingTest, EachPageIsClickedOnceWhateverTheOrder) {
  struct Case {
    const char* events;
    const char* clicks;
  };
  const Case cases[] = {
      {"hlr", "..x"},    // the page loaded before the window came up
      {"rhl", "..x"},    // the setting first: the click comes with the load
      {"lhrl", "...x"},  // blank loaded, the page handed, the window up, then the page loaded
      {"lhlr", "...x"},  // the same with the page loaded before the window came up
      {"lrhl", "...x"},  // blank is never clicked, the page on its load
      {"lr", ".."},      // blank alone, the window up: nothing to click
      {"r", "."},        // nothing loaded: nothing to click
      {"hlrr", "..x."},  // read once only
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.events);
    AutoPlayTiming timing;
    int handed = 0;
    std::string clicked;
    for (const char* e = c.events; *e; ++e) {
      bool click = false;
      if (*e == 'h') ++handed;
      if (*e == 'l') click = timing.PageLoaded(handed);
      if (*e == 'r') click = timing.SettingRead(handed);
      clicked += click ? 'x' : '.';
    }
    EXPECT_EQ(clicked, c.clicks);
  }
}

TEST(PlayerViewTest, DocumentCompleteDropsThePageFileAndToleratesItsAbsence) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("larkbay_player_view_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir / "data");
  const std::string dataDir = dir.string() + "/";
  const std::string path = PlayerPagePath(dataDir);
  EXPECT_EQ(path, dataDir + "data/Lark-Bay_Music.html");
  std::ofstream(path) << "<html></html>";
  std::ofstream(dir / "data" / "other.html") << "x";
  ASSERT_TRUE(std::filesystem::exists(path));

  OnPlayerViewDocumentComplete(dataDir);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(std::filesystem::exists(dir / "data" / "other.html"));
  OnPlayerViewDocumentComplete(dataDir);  // already gone
  EXPECT_FALSE(std::filesystem::exists(path));

  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
}

}  // namespace
}  // namespace larkbay

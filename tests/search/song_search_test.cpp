// The song search against the reference server on in-memory controls: the
// query from the boxes, a page filled, paging, the displays for an empty page
// and a failure, a search replaced while it waits, and the addresses of a row.
#include "search/song_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "net/server_request.h"
#include "platform/control_names.h"
#include "platform/memory_controls.h"
#include "player/page_host.h"
#include "player/player_page.h"
#include "recording_page_host.h"
#include "search/result_list.h"
#include "search/song_actions.h"
#include "search/search_worker.h"
#include "server_process.h"
#include "state/program_state.h"

namespace larkbay {
namespace {

using namespace names;
using namespace std::chrono_literals;
using test::ServerProcess;
using test::TempFolder;

struct SongSearchFixture {
  explicit SongSearchFixture(std::vector<std::string> serverArgs = {})
      : server(downloads.Path(), serverArgs), client(server.Base()) {
    MemoryControls::Control sites;
    sites.items = {"小雨音乐", "云雀音乐", "星河音乐"};
    sites.tag = "xy|yq|xh";
    sites.currentIndex = 0;
    controls.Add(kSongSiteBox, sites);
    MemoryControls::Control list;
    list.rect = {0, 0, 620, 300};
    controls.Add(kSongResultList, list);
    for (const char* name : {kSongSearchBox, kSongFindButton, kSongNextButton,
                             kSongPreviousButton, kSongPageLabel, kSongProgress})
      controls.Add(name);
  }
  void Wait() {
    while (songWorker.Running()) std::this_thread::sleep_for(5ms);
  }
  void Search(const std::string& keyword, int site = 0) {
    controls.SetCurrentIndex(kSongSiteBox, site);
    controls.SetText(kSongSearchBox, keyword);
    OnSongFindClicked(context);
    Wait();
  }
  int Requests(const std::string& what) {
    const std::string output = server.Output();
    int count = 0;
    for (size_t at = 0; (at = output.find(what, at)) != std::string::npos; ++at) ++count;
    return count;
  }
  // The server logs a request after answering it: wait for the log to show
  // `expected` of them (and a little more, so one too many shows too).
  int RequestsSettled(const std::string& what, int expected) {
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (Requests(what) < expected && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(50ms);
    return Requests(what);
  }
  MemoryControls::Control List() { return controls.Get(kSongResultList); }

  TempFolder downloads;
  ServerProcess server;
  ServerClient client;
  MemoryControls controls;
  ProgramState state;
  SearchWorker songWorker;
  SearchWorker djWorker;
  SearchContext context{controls, state, client, songWorker, djWorker};
};

TEST(SongQuery, KeywordsSitesAndPages) {
  MemoryControls controls;
  MemoryControls::Control sites;
  sites.items = {"小雨音乐", "云雀音乐"};
  sites.tag = "xy|yq";
  sites.currentIndex = 0;
  controls.Add(kSongSiteBox, sites);
  controls.Add(kSongSearchBox);
  SongSearchState search;

  controls.SetText(kSongSearchBox, " 音乐 a\xE3\x80\x80");
  EXPECT_EQ(BuildSongQuery(controls, search, "", "", "", 0, "", ""),
            "web=xy&type=Search&key=%E9%9F%B3%E4%B9%90%20a&page=1&br=ST&mid=");
  EXPECT_EQ(search.Keyword, "音乐 a");
  EXPECT_EQ(search.SiteName, "小雨音乐");
  EXPECT_EQ(search.Page, 1);
  // Given arguments are used as they are and change nothing.
  EXPECT_EQ(BuildSongQuery(controls, search, "yq", "Search", "x", 3, "HQ", "m1"),
            "web=yq&type=Search&key=x&page=3&br=HQ&mid=m1");
  EXPECT_EQ(search.Site, "xy");
  EXPECT_EQ(search.Page, 1);

  // Blanks and the prompts themselves are refused: the box prompts, focused
  // and selected.
  for (const char* refused : {"", " \xE3\x80\x80 ", "请输入内容", "请输入正确的编号"}) {
    SCOPED_TRACE(refused);
    controls.SetText(kSongSearchBox, refused);
    EXPECT_EQ(BuildSongQuery(controls, search, "", "", "", 0, "", ""), "");
    EXPECT_EQ(controls.GetText(kSongSearchBox), "请输入内容");
    EXPECT_EQ(controls.Focused(), kSongSearchBox);
    EXPECT_TRUE(controls.Get(kSongSearchBox).allSelected);
  }
  EXPECT_EQ(search.Keyword, "音乐 a");

  // No site chosen: nobody to ask.
  controls.SetCurrentIndex(kSongSiteBox, -1);
  controls.SetText(kSongSearchBox, "雨");
  EXPECT_EQ(BuildSongQuery(controls, search, "", "", "", 0, "", ""), "");
}

TEST(SongSearch, FillsPagesAndPagesThrough) {
  SongSearchFixture f;
  ASSERT_TRUE(f.server.Ready());
  f.Search("林小雨");
  const auto list = f.List();
  ASSERT_EQ(list.columns.size(), 10u);
  const std::vector<std::string> headers = {"序号", "歌曲名称", "歌手", "专辑", "时长",
                                            "标准", "高品", "无损", "视频", ""};
  for (size_t c = 0; c < headers.size(); ++c) EXPECT_EQ(list.columns[c].title, headers[c]);
  EXPECT_EQ(list.columns[4].align, ColumnAlign::Center);
  ASSERT_EQ(list.rows.size(), 20u);
  ASSERT_EQ(f.state.SongRecords.size(), 20u);
  // The first song has every quality and a video.
  EXPECT_EQ(list.rows[0], (std::vector<std::string>{"1", "晴天之后", "林小雨", "城市日记", "05:17",
                                                    kMark, kMark, kMark, kMark, ""}));
  for (int c : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}) EXPECT_GT(list.columns[c].width, 0) << c;
  EXPECT_TRUE(list.enabled);
  EXPECT_EQ(f.state.songSearch.LastQuery,
            "web=xy&type=Search&key=%E6%9E%97%E5%B0%8F%E9%9B%A8&page=1&br=ST&mid=");
  EXPECT_EQ(f.state.songSearch.PageaCount, 4);
  EXPECT_EQ(f.state.songSearch.DataCount, 64);
  EXPECT_EQ(f.controls.GetText(kSongPageLabel),
            "小雨音乐->->【林小雨】\r\n页数[1]->数据->[20]->总页数[4]->总数据[64]");
  EXPECT_EQ(f.controls.Get(kSongPageLabel).fontSize, 8);
  EXPECT_TRUE(f.controls.Get(kSongPageLabel).centred);
  EXPECT_FALSE(f.controls.IsEnabled(kSongPreviousButton));
  EXPECT_TRUE(f.controls.IsEnabled(kSongNextButton));
  EXPECT_EQ(f.controls.Get(kSongProgress).position, 0);

  // The boxes change; paging keeps the search's site and keyword.
  f.controls.SetText(kSongSearchBox, "别的");
  f.controls.SetCurrentIndex(kSongSiteBox, 1);
  for (int page = 2; page <= 4; ++page) {
    OnSongNextPage(f.context);
    f.Wait();
  }
  EXPECT_EQ(f.state.songSearch.Page, 4);
  EXPECT_EQ(f.List().rows.size(), 4u);
  EXPECT_EQ(f.List().rows[0][0], "1");
  EXPECT_FALSE(f.controls.IsEnabled(kSongNextButton));
  EXPECT_TRUE(f.controls.IsEnabled(kSongPreviousButton));
  OnSongPreviousPage(f.context);
  f.Wait();
  EXPECT_EQ(f.state.songSearch.Page, 3);
  EXPECT_TRUE(f.controls.IsEnabled(kSongNextButton));
  EXPECT_NE(f.server.Output().find("key=%E6%9E%97%E5%B0%8F%E9%9B%A8&page=3"), std::string::npos);

  // The page on show asked again makes no request.
  const int before = f.RequestsSettled("api=/Lark-Bay/Tool/Api/Music/song/xy/xy.php", 4);
  ASSERT_GT(before, 0) << f.server.Output();
  OnSongPreviousPage(f.context);  // page 2
  f.Wait();
  OnSongNextPage(f.context);  // page 3 again: a different query from page 2's
  f.Wait();
  OnSongNextPage(f.context);
  f.Wait();
  const int afterPaging = f.RequestsSettled("api=/Lark-Bay/Tool/Api/Music/song/xy/xy.php", before + 3);
  EXPECT_EQ(afterPaging, before + 3);
  f.state.songSearch.Page = 3;  // as if page 4's Next were pressed again
  OnSongNextPage(f.context);
  f.Wait();
  EXPECT_EQ(f.RequestsSettled("api=/Lark-Bay/Tool/Api/Music/song/xy/xy.php", afterPaging),
            afterPaging);
  EXPECT_EQ(f.controls.Get(kSongProgress).position, 0);
}

TEST(SongSearch, MissingMembersLeaveTheirColumnsNarrowAndFlagsZeroShowNoMark) {
  SongSearchFixture f;
  f.Search("月光码头", 2);  // xh has no videos: no SongMV member at all
  const auto list = f.List();
  ASSERT_GE(list.rows.size(), 1u);
  EXPECT_EQ(list.columns[8].width, 0);
  EXPECT_GT(list.columns[7].width, 0);
  // ST, HQ and SQ but no HD: the HD flag is "0" and 标准 shows nothing.
  EXPECT_EQ(f.state.SongRecords[0].HD, "0");
  EXPECT_EQ(list.rows[0][5], "");
  EXPECT_EQ(list.rows[0][6], kMark);
  EXPECT_EQ(list.rows[0][8], "");
}

TEST(SongSearch, EmptyPageAndFailureDisplays) {
  {
    SongSearchFixture f({"--fault", "emptysearch"});
    f.Search("林小雨");
    const auto list = f.List();
    ASSERT_EQ(list.columns.size(), 1u);
    EXPECT_EQ(list.columns[0].title,
              "小雨音乐->->页数[1]->数据->[0]->总页数[0]->总数据[0]");
    EXPECT_EQ(list.columns[0].align, ColumnAlign::Center);
    EXPECT_EQ(list.columns[0].width, 610);
    EXPECT_EQ(list.rows, (std::vector<std::vector<std::string>>{{"搜索已完成！"}}));
    EXPECT_FALSE(list.enabled);
    EXPECT_EQ(f.state.songSearch.LastQuery, "");  // the same search may be sent again
  }
  for (const char* fault : {"http500", "truncate"}) {
    SCOPED_TRACE(fault);
    SongSearchFixture f({"--fault", fault});
    f.controls.SetText(kSongPageLabel, "earlier page");
    f.Search("林小雨");
    const auto list = f.List();
    ASSERT_EQ(list.columns.size(), 1u);
    EXPECT_EQ(list.columns[0].title, "搜索->林小雨->发生错误");
    EXPECT_EQ(list.rows, (std::vector<std::vector<std::string>>{{"错误内容：查找失败"}}));
    EXPECT_FALSE(list.enabled);
    EXPECT_TRUE(f.state.SongRecords.empty());
    EXPECT_EQ(f.controls.GetText(kSongPageLabel), "earlier page");
  }
}

TEST(SongSearch, ANewerSearchReplacesOneStillWaitingWithoutATrace) {
  SongSearchFixture f({"--fault", "slow", "--slow-ms", "1500"});
  f.controls.SetText(kSongSearchBox, "林小雨");
  OnSongFindClicked(f.context);
  std::this_thread::sleep_for(400ms);  // the first one waits for its answer
  const auto start = std::chrono::steady_clock::now();
  f.Search("吴南风");
  EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
  for (const std::string& call : f.controls.Calls()) {
    if (call.starts_with("SetText Song_编辑框_搜索文本")) continue;  // the test's typing
    EXPECT_EQ(call.find("林小雨"), std::string::npos) << call;
  }
  ASSERT_FALSE(f.List().rows.empty());
  EXPECT_EQ(f.List().rows[0][2], "吴南风");
  EXPECT_EQ(f.state.songSearch.Keyword, "吴南风");
}

TEST(SongSearch, ResolvedAddressesAreAskedOnceAndKeptInTheRecord) {
  SongSearchFixture f;
  f.Search("林小雨");
  OnSongNextPage(f.context);
  f.Wait();
  ASSERT_EQ(f.state.songSearch.Page, 2);
  const int before = f.RequestsSettled("type=Songurl", 0);
  const std::string url = ResolveSongUrl(f.context, 1, "ST");
  EXPECT_EQ(url.rfind("http", 0), 0u) << url;
  EXPECT_EQ(f.state.SongRecords[0].ST, url);
  EXPECT_EQ(ResolveSongUrl(f.context, 1, "ST"), url);
  EXPECT_EQ(f.RequestsSettled("type=Songurl", before + 1), before + 1);
  EXPECT_EQ(f.state.songSearch.Page, 2);  // the address request is no page
  EXPECT_EQ(ResolveSongUrl(f.context, 1, "XX"), "");
  EXPECT_EQ(ResolveSongUrl(f.context, 99, "ST"), "");
}

// The pages a play hands over.
TEST(SongMenu, OffersThePresentQualitiesLowestFirst) {
  auto captions = [](const MenuItem& menu) {
    std::vector<std::pair<std::string, int>> items;
    for (const MenuItem& item : menu.children) items.emplace_back(item.caption, item.commandId);
    return items;
  };
  using Items = std::vector<std::pair<std::string, int>>;
  SongRecord song;
  std::vector<MenuItem> menu = SongMenu(song);
  ASSERT_EQ(menu.size(), 2u);  // both submenus, even empty
  EXPECT_EQ(menu[0].caption, "播放");
  EXPECT_EQ(menu[1].caption, "下载");
  EXPECT_TRUE(menu[0].submenu && menu[0].children.empty() && menu[1].children.empty());

  // A flag "0" is present: 标准 is offered although the list shows no mark.
  song.ST = "1";
  song.HD = "0";
  menu = SongMenu(song);
  EXPECT_EQ(captions(menu[0]), (Items{{"播放【压缩】音质64kbps", 2201}, {"播放【标准】音质192kbps", 2202}}));
  EXPECT_EQ(captions(menu[1]), (Items{{"下载【压缩】音质64kbps", 2205}, {"下载【标准】音质192kbps", 2206}}));

  song.HQ = "1";
  song.SQ = "1";
  song.SongMV = "mv1";
  menu = SongMenu(song);
  EXPECT_EQ(menu[0].children.size(), 3u);  // no lossless and no video play
  EXPECT_EQ(captions(menu[1]),
            (Items{{"下载【压缩】音质64kbps", 2205}, {"下载【标准】音质192kbps", 2206},
                   {"下载【高品】音质320kbps", 2207}, {"下载【无损】音质999kbps", 2208},
                   {"下载【MV】视频", 2209}}));
}

TEST(SongActions, MenuPlayAndHoverFocusOnTheSelectedRow) {
  SongSearchFixture f;
  f.controls.Add(kMainWindow);
  test::RecordingPageHost host;
  f.context.pageHost = &host;
  f.context.assetRoot = f.server.Base() + "/";
  f.state.appState.PlayerEngine = "cef";
  f.Search("林小雨");
  ASSERT_EQ(f.state.SongRecords.size(), 20u);

  // Nothing selected: no menu, no play.
  ShowSongMenu(f.context);
  OnSongListDoubleClick(f.context);
  EXPECT_TRUE(f.controls.Menus().empty());
  EXPECT_TRUE(host.pages.empty());

  f.controls.SetSelectedRow(kSongResultList, 0);
  ShowSongMenu(f.context);
  ASSERT_EQ(f.controls.Menus().size(), 1u);
  EXPECT_EQ(f.controls.Menus()[0].owner, kMainWindow);
  EXPECT_EQ(f.controls.Menus()[0].menu, SongMenu(f.state.SongRecords[0]));

  // The double-click plays the compressed address in an entry of the
  // SoundManager page; the same play again hands nothing over.
  OnSongListDoubleClick(f.context);
  ASSERT_EQ(host.pages.size(), 1u);
  const std::string st = f.state.SongRecords[0].ST;
  ASSERT_EQ(st.rfind("http", 0), 0u);
  EXPECT_EQ(host.pages[0], BuildPlayerPage("cef", PlaylistEntry(st, "林小雨", "晴天之后"),
                                           f.context.assetRoot));
  OnSongListDoubleClick(f.context);
  EXPECT_EQ(host.pages.size(), 1u);

  // The menu's play commands take the row from the selection when they run.
  EXPECT_TRUE(RunSongPlayCommand(f.context, kPlaySongHQ));
  ASSERT_EQ(host.pages.size(), 2u);
  EXPECT_NE(host.pages[1].find(f.state.SongRecords[0].HQ), std::string::npos);
  EXPECT_FALSE(RunSongPlayCommand(f.context, kDownloadSongHQ));
  // The legacy player gets the bare address in the html5media page.
  f.state.appState.PlayerEngine = "ie";
  EXPECT_TRUE(RunSongPlayCommand(f.context, kPlaySongHD));
  ASSERT_EQ(host.pages.size(), 3u);
  EXPECT_EQ(host.pages[2], BuildPlayerPage("ie", BarePlayList(f.state.SongRecords[0].HD),
                                           f.context.assetRoot));
  f.controls.SetSelectedRow(kSongResultList, -1);
  EXPECT_TRUE(RunSongPlayCommand(f.context, kPlaySongST));
  EXPECT_EQ(host.pages.size(), 3u);

  // Hover focus: only while the main window is active, once until lost.
  std::int32_t& hover = f.state.songSearch.HoverFocus;
  TakeHoverFocus(f.controls, kSongResultList, hover);
  EXPECT_EQ(hover, 0);
  EXPECT_EQ(f.controls.Focused(), "");
  f.controls.SetActiveWindow(kMainWindow);
  TakeHoverFocus(f.controls, kSongResultList, hover);
  EXPECT_EQ(hover, 1);
  EXPECT_EQ(f.controls.Focused(), kSongResultList);
  f.controls.SetFocus(kSongSearchBox);
  TakeHoverFocus(f.controls, kSongResultList, hover);  // still held: nothing
  EXPECT_EQ(f.controls.Focused(), kSongSearchBox);
  ReleaseHoverFocus(hover);
  TakeHoverFocus(f.controls, kSongResultList, hover);
  EXPECT_EQ(f.controls.Focused(), kSongResultList);
}

TEST(SongActions, AnAddressAskedForOnTheAddressWorkerNeverHoldsTheWindow) {
  // Every answer of this server takes 1.5 s: a play waits for nobody, plays
  // once the address is in, and a newer play replaces one still waiting.
  SongSearchFixture f({"--fault", "slow", "--slow-ms", "1500"});
  SearchWorker addresses;
  f.context.addressWorker = &addresses;
  test::RecordingPageHost host;
  f.context.pageHost = &host;
  f.state.appState.PlayerEngine = "cef";
  f.Search("林小雨");
  ASSERT_EQ(f.state.SongRecords.size(), 20u);
  auto waitForAddresses = [&addresses] {
    while (addresses.Running()) std::this_thread::sleep_for(5ms);
  };

  const auto started = std::chrono::steady_clock::now();
  PlaySong(f.context, 1, "ST");
  EXPECT_LT(std::chrono::steady_clock::now() - started, 500ms);
  EXPECT_TRUE(host.pages.empty());
  waitForAddresses();
  ASSERT_EQ(host.pages.size(), 1u);
  const std::string st = f.state.SongRecords[0].ST;
  ASSERT_EQ(st.rfind("http", 0), 0u);
  EXPECT_EQ(host.pages[0], BuildPlayerPage("cef", PlaylistEntry(st, "林小雨", "晴天之后"),
                                           f.context.assetRoot));
  // Kept now: the same play goes on at once (and the same page again is not
  // handed over).
  PlaySong(f.context, 1, "ST");
  EXPECT_FALSE(addresses.Running());
  EXPECT_EQ(host.pages.size(), 1u);

  PlaySong(f.context, 2, "HQ");
  PlaySong(f.context, 3, "HQ");
  waitForAddresses();
  ASSERT_EQ(host.pages.size(), 2u);
  EXPECT_NE(host.pages[1].find(f.state.SongRecords[2].HQ), std::string::npos);
  EXPECT_EQ(f.state.SongRecords[2].HQ.rfind("http", 0), 0u);
  EXPECT_EQ(f.state.SongRecords[1].HQ.find("http"), std::string::npos);  // never asked to the end

  // A new page while an address is asked for: the play goes on with the
  // song it was asked for, and the new page's row keeps its own record.
  PlaySong(f.context, 4, "HQ");
  const SongRecord asked = f.state.SongRecords[3];
  OnSongNextPage(f.context);
  f.Wait();
  waitForAddresses();
  ASSERT_EQ(f.state.songSearch.Page, 2);
  ASSERT_EQ(host.pages.size(), 3u);
  EXPECT_NE(host.pages[2].find(asked.SongName), std::string::npos);
  EXPECT_NE(f.state.SongRecords[3].SongID, asked.SongID);
  EXPECT_EQ(f.state.SongRecords[3].HQ.find("http"), std::string::npos);
}

}  // namespace
}  // namespace larkbay

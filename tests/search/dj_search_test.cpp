// The DJ search against the reference server on in-memory controls: the query
// from the boxes, a page filled with its addresses, paging, the displays for
// an empty page and a failure, the mark of the mix being played, and a search
// replaced while it waits.
#include "search/dj_search.h"
#include "search/dj_actions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <sstream>
#include <thread>

#include "net/server_request.h"
#include "player/page_host.h"
#include "player/player_page.h"
#include "recording_page_host.h"
#include "platform/control_names.h"
#include "platform/memory_controls.h"
#include "search/cell_colours.h"
#include "search/dj_protocol.h"
#include "search/search_worker.h"
#include "server_process.h"
#include "state/program_state.h"

namespace larkbay {
namespace {

using namespace names;
using namespace std::chrono_literals;
using test::ServerProcess;
using test::TempFolder;

constexpr Colour kListText = 0x202020;
constexpr Colour kListBack = 0xF0F0F0;

// The boxes as the site configuration fills them.
void AddBoxes(MemoryControls& controls) {
  MemoryControls::Control sites;
  sites.items = {"DJ娱乐网", "舞曲天堂", "电音部落", "夜店串烧"};
  sites.tag = "djyl|wqtt|dybl|ydcs";
  sites.currentIndex = 0;
  controls.Add(kDjSiteBox, sites);
  MemoryControls::Control types;
  types.items = {"歌名搜索", "编号搜索", "作者搜索"};
  types.tag = "SongName|SongID|SongUserName";
  types.currentIndex = 0;
  controls.Add(kDjTypeBox, types);
  controls.Add(kDjSearchBox);
  controls.Add(kDjSortBox);
}

// The catalogue's mixes of one site: SongID -> whether it has an HQ and an ST
// file.
struct CatalogueMix {
  bool hq = false;
  bool st = false;
};
std::map<std::string, CatalogueMix> CatalogueMixes(const std::string& site) {
  std::istringstream in(
      test::ReadFile(std::string(LARKBAY_SERVER_DATA) + "/catalogue/dj_mixes.tsv"));
  std::map<std::string, CatalogueMix> mixes;
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> fields;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, '\t');) fields.push_back(cell);
    if (fields.size() >= 11 && fields[0] == site)
      mixes[fields[1]] = {fields[9] == "1", fields[10] == "1"};
  }
  return mixes;
}

struct DjSearchFixture {
  explicit DjSearchFixture(std::vector<std::string> serverArgs = {})
      : server(downloads.Path(), serverArgs), client(server.Base()) {
    AddBoxes(controls);
    MemoryControls::Control list;
    list.rect = {0, 0, 620, 300};
    list.colours = {kListText, kListBack};
    controls.Add(kDjResultList, list);
    for (const char* name :
         {kDjFindButton, kDjNextButton, kDjPreviousButton, kDjPageLabel, kDjProgress, kDjInfoPanel})
      controls.Add(name);
  }
  void Wait() {
    while (djWorker.Running()) std::this_thread::sleep_for(5ms);
  }
  void Search(const std::string& keyword, int site = 0) {
    controls.SetCurrentIndex(kDjSiteBox, site);
    controls.SetText(kDjSearchBox, keyword);
    OnDjFindClicked(context);
    Wait();
  }
  void Next() {
    OnDjNextPage(context);
    Wait();
  }
  void Previous() {
    OnDjPreviousPage(context);
    Wait();
  }
  // The server logs a request after answering it: give the log a moment.
  bool ServerSaw(const std::string& what) {
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (server.Output().find(what) == std::string::npos &&
           std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(10ms);
    return server.Output().find(what) != std::string::npos;
  }
  MemoryControls::Control List() { return controls.Get(kDjResultList); }

  TempFolder downloads;
  ServerProcess server;
  ServerClient client;
  MemoryControls controls;
  ProgramState state;
  SearchWorker songWorker;
  SearchWorker djWorker;
  SearchContext context{controls, state, client, songWorker, djWorker};
};

TEST(DjQuery, KeywordsByTypeAndSortOrder) {
  struct Case {
    const char* what;
    int type;  // index in the type box
    const char* typed;
    bool newest;
    const char* query;  // empty: refused
    const char* boxAfter;
  };
  const Case cases[] = {
      {"number with leading zeros", 1, "0042", false,
       "web=djyl&type=SongID&Sort=asc&key=0042&page=1", "0042"},
      {"number with a letter", 1, "12a", false, "", "请输入正确的编号"},
      // The digits are tested on the text as typed, before the blanks go.
      {"number after a blank", 1, " 42", false, "", "请输入正确的编号"},
      {"number prompt in a number search", 1, "请输入正确的编号", false, "", "请输入内容"},
      {"blanks only", 0, " \xE3\x80\x80 ", false, "", "请输入内容"},
      {"empty", 2, "", false, "", "请输入内容"},
      {"keyword prompt", 0, "请输入内容", false, "", "请输入内容"},
      {"name, newest first", 0, " 舞曲 a\xE3\x80\x80", true,
       "web=djyl&type=SongName&Sort=desc&key=%E8%88%9E%E6%9B%B2%20a&page=1", " 舞曲 a\xE3\x80\x80"},
      {"author", 2, "DJ阿飞", false,
       "web=djyl&type=SongUserName&Sort=asc&key=DJ%E9%98%BF%E9%A3%9E&page=1", "DJ阿飞"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryControls controls;
    AddBoxes(controls);
    controls.SetCurrentIndex(kDjTypeBox, c.type);
    controls.SetChecked(kDjSortBox, c.newest);
    controls.SetText(kDjSearchBox, c.typed);
    DjSearchState search;
    search.Keyword = "earlier";
    EXPECT_EQ(BuildDjQuery(controls, search, "", "", "", 0, ""), c.query);
    EXPECT_EQ(controls.GetText(kDjSearchBox), c.boxAfter);
    // The site and type are taken before the keyword is looked at.
    EXPECT_EQ(search.Site, "djyl");
    EXPECT_EQ(search.TypeName, controls.ItemText(kDjTypeBox, c.type));
    if (*c.query == '\0') {
      EXPECT_EQ(controls.Focused(), kDjSearchBox);
      EXPECT_TRUE(controls.Get(kDjSearchBox).allSelected);
      EXPECT_EQ(search.Keyword, "earlier");
      EXPECT_EQ(search.Sort, "");
    } else {
      EXPECT_EQ(controls.Focused(), "");
      EXPECT_EQ(search.SiteName, "DJ娱乐网");
      EXPECT_EQ(search.Page, 1);
      EXPECT_EQ(search.Sort, c.newest ? "desc" : "asc");
    }
  }
}

TEST(DjQuery, GivenArgumentsAndBoxesWithoutAChoice) {
  MemoryControls controls;
  AddBoxes(controls);
  controls.SetText(kDjSearchBox, "#all");
  controls.SetChecked(kDjSortBox, true);
  DjSearchState search;
  // Paging: used as given, the keyword not tested again, nothing stored.
  EXPECT_EQ(BuildDjQuery(controls, search, "wqtt", "SongID", "x1", 3, "asc"),
            "web=wqtt&type=SongID&Sort=asc&key=x1&page=3");
  EXPECT_EQ(search.Site, "");
  EXPECT_EQ(search.Keyword, "");
  EXPECT_EQ(search.Page, 0);
  EXPECT_EQ(search.Sort, "");

  struct Case {
    const char* what;
    const char* box;
    std::string tag;
    int index;
  };
  const Case cases[] = {
      {"no site", kDjSiteBox, "djyl|wqtt|dybl|ydcs", -1},
      {"no type", kDjTypeBox, "SongName|SongID|SongUserName", -1},
      {"no code for the type", kDjTypeBox, "SongName", 1},
      {"an empty site code", kDjSiteBox, "|wqtt|dybl|ydcs", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    AddBoxes(controls);
    controls.SetText(kDjSearchBox, "#all");
    controls.SetTag(c.box, c.tag);
    controls.SetCurrentIndex(c.box, c.index);
    DjSearchState unchanged;
    EXPECT_EQ(BuildDjQuery(controls, unchanged, "", "", "", 0, ""), "");
    EXPECT_EQ(unchanged.Site, "");
    EXPECT_EQ(unchanged.Type, "");
    EXPECT_EQ(unchanged.Keyword, "");
    EXPECT_EQ(unchanged.Page, 0);
    EXPECT_EQ(controls.GetText(kDjSearchBox), "#all");
  }
}

TEST(DjSearch, FillsAPageWithItsAddressesAndPagesThrough) {
  DjSearchFixture f;
  ASSERT_TRUE(f.server.Ready());
  const auto catalogue = CatalogueMixes("djyl");
  ASSERT_GT(catalogue.size(), 60u);
  f.Search("#all");

  const auto list = f.List();
  const std::vector<std::string> headers = {"编号",     "歌曲名称", "歌曲时长", "歌曲大小",
                                            "歌曲作者", "歌曲日期", ""};
  ASSERT_EQ(list.columns.size(), headers.size());
  for (size_t c = 0; c < headers.size(); ++c) {
    EXPECT_EQ(list.columns[c].title, headers[c]);
    EXPECT_EQ(list.columns[c].align, ColumnAlign::Left);
    EXPECT_GT(list.columns[c].width, 0) << c;
  }
  // Sized by the first mix's members in their order, then the last column.
  const std::string widthCall = "SetColumnWidth " + std::string(kDjResultList) + " ";
  std::vector<std::string> widths;
  for (const std::string& call : f.controls.Calls())
    if (call.starts_with(widthCall)) widths.push_back(call.substr(widthCall.size()));
  EXPECT_EQ(widths,
            (std::vector<std::string>{"0 -1", "1 -1", "2 -2", "3 -2", "4 -1", "5 -1", "6 -2"}));

  // "#all" lists every mix of the site.
  EXPECT_EQ(f.state.djSearch.DataCount, static_cast<int>(catalogue.size()));
  const int pages = static_cast<int>((catalogue.size() + 19) / 20);
  EXPECT_EQ(f.state.djSearch.PageaCount, pages);
  ASSERT_EQ(list.rows.size(), 20u);
  ASSERT_EQ(f.state.DjRecords.size(), 20u);
  EXPECT_EQ(list.rows[0],
            (std::vector<std::string>{"1", "中文舞曲 DJ阿飞 第1期", "73:18", "171.1MB", "DJ阿飞",
                                      "2018-01-01 05:41:00", ""}));
  std::string ids = "ids=";
  int withoutHq = 0;
  for (size_t n = 0; n < 20; ++n) {
    const DjRecord& mix = f.state.DjRecords[n];
    SCOPED_TRACE(mix.SongID);
    EXPECT_EQ(list.rows[n],
              (std::vector<std::string>{mix.SongID, mix.SongName, mix.SongTime, mix.SongFileSize,
                                        mix.SongUserName, mix.SongAddDate, ""}));
    ids += (n ? "," : "") + mix.SongID;
    ASSERT_EQ(catalogue.count(mix.SongID), 1u);
    const CatalogueMix& known = catalogue.at(mix.SongID);
    EXPECT_EQ(!mix.HQ.empty(), known.hq);
    EXPECT_EQ(!mix.ST.empty(), known.st);
    if (known.hq) {
      EXPECT_TRUE(mix.HQ.ends_with("-hq.mp3")) << mix.HQ;
    } else {
      ++withoutHq;
    }
    if (known.st) {
      EXPECT_EQ(mix.ST.rfind("http", 0), 0u) << mix.ST;
    }
  }
  EXPECT_GT(withoutHq, 0);  // the page tells the two answers apart
  EXPECT_TRUE(f.ServerSaw("api=/Lark-Bay/Tool/Api/Music/dj/djyl/get_url.php data=" + ids + "\n"))
      << ids << "\n"
      << f.server.Output();

  EXPECT_EQ(f.state.djSearch.LastQuery, "web=djyl&type=SongName&Sort=asc&key=%23all&page=1");
  EXPECT_EQ(f.controls.GetText(kDjPageLabel),
            "共" + std::to_string(pages) + "页        当前第1页        当前页共20首歌曲");
  EXPECT_TRUE(list.enabled);
  EXPECT_FALSE(f.controls.IsEnabled(kDjPreviousButton));
  EXPECT_TRUE(f.controls.IsEnabled(kDjNextButton));
  EXPECT_EQ(f.controls.Get(kDjProgress).position, 0);

  // Another key than Enter starts nothing.
  const std::string pending = f.state.djSearch.PendingQuery;
  f.controls.SetText(kDjSearchBox, "别的");
  OnDjSearchKey(f.context, 65);
  EXPECT_EQ(f.state.djSearch.PendingQuery, pending);

  // The boxes change; paging keeps the search's site, type, keyword and sort.
  f.controls.SetCurrentIndex(kDjSiteBox, 1);
  f.controls.SetCurrentIndex(kDjTypeBox, 2);
  f.controls.SetChecked(kDjSortBox, true);
  for (int page = 2; page <= pages; ++page) f.Next();
  EXPECT_TRUE(
      f.ServerSaw("data=web=djyl&type=SongName&Sort=asc&key=%23all&page=" + std::to_string(pages)));
  const int last = static_cast<int>(catalogue.size()) - 20 * (pages - 1);
  EXPECT_EQ(f.List().rows.size(), static_cast<size_t>(last));
  EXPECT_EQ(f.controls.GetText(kDjPageLabel), "共" + std::to_string(pages) + "页        当前第" +
                                                  std::to_string(pages) + "页        当前页共" +
                                                  std::to_string(last) + "首歌曲");
  EXPECT_FALSE(f.controls.IsEnabled(kDjNextButton));
  EXPECT_TRUE(f.controls.IsEnabled(kDjPreviousButton));
  f.Previous();
  EXPECT_EQ(f.state.djSearch.Page, pages - 1);
  EXPECT_TRUE(f.controls.IsEnabled(kDjNextButton));
}

TEST(DjSearch, NewestFirstAndPagingKeepsTheSort) {
  DjSearchFixture f;
  f.controls.SetChecked(kDjSortBox, true);
  f.controls.SetText(kDjSearchBox, "#all");
  OnDjSearchKey(f.context, 13);
  f.Wait();
  ASSERT_EQ(f.state.DjRecords.size(), 20u);
  EXPECT_EQ(f.state.djSearch.LastQuery, "web=djyl&type=SongName&Sort=desc&key=%23all&page=1");
  EXPECT_GE(f.state.DjRecords[0].SongAddDate, f.state.DjRecords[19].SongAddDate);
  f.controls.SetChecked(kDjSortBox, false);
  f.Next();
  EXPECT_EQ(f.state.djSearch.LastQuery, "web=djyl&type=SongName&Sort=desc&key=%23all&page=2");
}

TEST(DjSearch, EmptyPageAndFailureDisplaysHideTheInfoPanel) {
  {
    DjSearchFixture f({"--fault", "emptysearch"});
    f.controls.SetText(kDjPageLabel, "earlier page");
    f.controls.SetEnabled(kDjNextButton, true);
    f.controls.SetEnabled(kDjPreviousButton, true);
    f.Search("#all");
    const auto list = f.List();
    ASSERT_EQ(list.columns.size(), 1u);
    EXPECT_EQ(list.columns[0].title,
              "DJ娱乐网->歌名搜索->页数[1]->数据->[0]->总页数[0]->总数据[0]");
    EXPECT_EQ(list.columns[0].align, ColumnAlign::Center);
    EXPECT_EQ(list.columns[0].width, 610);
    EXPECT_EQ(list.rows, (std::vector<std::vector<std::string>>{{"搜索已完成！"}}));
    EXPECT_FALSE(list.enabled);
    EXPECT_FALSE(f.controls.IsVisible(kDjInfoPanel));
    EXPECT_EQ(f.controls.GetText(kDjPageLabel), "earlier page");
    EXPECT_FALSE(f.controls.IsEnabled(kDjNextButton));
    EXPECT_FALSE(f.controls.IsEnabled(kDjPreviousButton));
    EXPECT_EQ(f.state.djSearch.LastQuery, "");  // the same search may be sent again
  }
  for (const char* fault : {"http500", "truncate"}) {
    SCOPED_TRACE(fault);
    DjSearchFixture f({"--fault", fault});
    f.state.DjRecords.resize(3);
    f.controls.SetEnabled(kDjNextButton, true);
    f.Search("#all");
    const auto list = f.List();
    ASSERT_EQ(list.columns.size(), 1u);
    EXPECT_EQ(list.columns[0].title, "搜索->#all->发生错误");
    EXPECT_EQ(list.columns[0].width, 610);
    EXPECT_EQ(list.rows, (std::vector<std::vector<std::string>>{{"错误内容：查找失败"}}));
    EXPECT_FALSE(list.enabled);
    EXPECT_TRUE(f.state.DjRecords.empty());
    EXPECT_EQ(f.controls.GetText(kDjPageLabel), "出错啦，稍后再试！");
    EXPECT_FALSE(f.controls.IsVisible(kDjInfoPanel));
    EXPECT_TRUE(f.controls.IsEnabled(kDjNextButton));
    EXPECT_EQ(f.state.djSearch.LastQuery, "");
    EXPECT_EQ(f.controls.Get(kDjProgress).position, 0);
  }
}

TEST(DjSearch, ThePlayingMixKeepsItsColourOnItsOwnPageOnly) {
  DjSearchFixture f;
  f.Search("#all");
  ASSERT_GE(f.state.DjRecords.size(), 3u);
  f.state.djSearch.PlayingDjRow = 2;
  f.state.djSearch.PlayingDjId = f.state.DjRecords[1].SongID;
  const std::string thirdMix = f.state.DjRecords[2].SongID;

  f.Next();
  ASSERT_EQ(f.state.djSearch.Page, 2);
  EXPECT_TRUE(f.List().cellColours.empty());
  EXPECT_EQ(FindCellColours(f.context.cellColours, kDjResultList), nullptr);

  f.Previous();
  ASSERT_EQ(f.state.djSearch.Page, 1);
  const auto coloured = f.List().cellColours;
  ASSERT_EQ(coloured.size(), 7u);
  for (int column = 0; column < 7; ++column)
    EXPECT_EQ(coloured.at({1, column}), std::make_pair(kPlayingDjColour, kListBack)) << column;
  ASSERT_NE(FindCellColours(f.context.cellColours, kDjResultList), nullptr);
  EXPECT_EQ(FindCellColours(f.context.cellColours, kDjResultList)->size(), 7u);

  // Row 2 holding another mix than the one played is not marked.
  f.state.djSearch.PlayingDjId = thirdMix;
  f.Next();
  f.Previous();
  EXPECT_TRUE(f.List().cellColours.empty());
  EXPECT_TRUE(FindCellColours(f.context.cellColours, kDjResultList)->empty());
}

TEST(DjSearch, ANewerSearchReplacesOneStillWaitingWithoutATrace) {
  DjSearchFixture f({"--fault", "slow", "--slow-ms", "1500"});
  f.controls.SetCurrentIndex(kDjSiteBox, 1);
  f.controls.SetText(kDjSearchBox, "#all");
  OnDjFindClicked(f.context);
  std::this_thread::sleep_for(400ms);  // the first one waits for its answer
  const auto start = std::chrono::steady_clock::now();
  f.Search("#all", 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  EXPECT_FALSE(f.ServerSaw("/dj/wqtt/get_url.php")) << f.server.Output();
  int rows = 0;
  for (const std::string& call : f.controls.Calls())
    if (call.starts_with("AppendRow DJ_超级列表框_搜索结果")) ++rows;
  EXPECT_EQ(rows, 20);
  EXPECT_EQ(f.state.DjRecords.size(), 20u);
  EXPECT_EQ(f.state.djSearch.Site, "djyl");
  EXPECT_EQ(f.state.djSearch.LastQuery, "web=djyl&type=SongName&Sort=asc&key=%23all&page=1");
  EXPECT_EQ(f.controls.Get(kDjProgress).position, 0);
}

TEST(DjMenu, AddressesLongerThanFiveBytesAndTheCopiesAlways) {
  auto items = [](const MenuItem& menu) {
    std::vector<int> ids;
    for (const MenuItem& item : menu.children) ids.push_back(item.commandId);
    return ids;
  };
  DjRecord mix;
  mix.ST = "http:";  // five bytes: missing
  mix.HQ = "http:/";  // six: present
  const std::vector<MenuItem> menu = DjMenu(mix);
  ASSERT_EQ(menu.size(), 3u);
  EXPECT_EQ(menu[0].caption, "播放");
  EXPECT_EQ(menu[1].caption, "下载");
  EXPECT_EQ(menu[2].caption, "其他");
  EXPECT_EQ(items(menu[0]), (std::vector<int>{2102}));
  EXPECT_EQ(items(menu[1]), (std::vector<int>{2104}));
  // The number comes before the name although its id is higher.
  EXPECT_EQ(items(menu[2]), (std::vector<int>{2106, 2108, 2107, 2109}));
  EXPECT_EQ(menu[2].children[1].caption, "复制【歌曲编号】");
  const std::vector<MenuItem> none = DjMenu(DjRecord{});
  EXPECT_TRUE(none[0].children.empty() && none[1].children.empty());
  EXPECT_EQ(items(none[2]), (std::vector<int>{2108, 2107, 2109}));
}

TEST(DjActions, InfoPanelPlayWithItsMarkAndCopies) {
  DjSearchFixture f;
  f.controls.Add(kMainWindow);
  for (const char* label : {kDjInfoSearchType, kDjInfoNumber, kDjInfoName, kDjInfoAuthor,
                            kDjInfoLengthSize, kDjInfoDate})
    f.controls.Add(label);
  test::RecordingPageHost host;
  f.context.pageHost = &host;
  f.context.assetRoot = f.server.Base() + "/";
  f.state.appState.PlayerEngine = "cef";
  f.controls.SetChecked(kDjSortBox, true);
  f.controls.SetVisible(kDjInfoPanel, false);
  f.Search("#all");
  ASSERT_GE(f.state.DjRecords.size(), 3u);

  // Nothing selected: no panel, no menu, no play, no copy.
  ShowDjInfo(f.context);
  ShowDjMenu(f.context);
  PlayDjRow(f.context);
  EXPECT_TRUE(RunDjCommand(f.context, kCopyDjNumber));
  EXPECT_FALSE(f.controls.IsVisible(kDjInfoPanel));
  EXPECT_TRUE(f.controls.Menus().empty());
  EXPECT_TRUE(host.pages.empty());
  EXPECT_TRUE(f.controls.MessageBoxes().empty());

  f.controls.SetSelectedRow(kDjResultList, 1);
  ShowDjInfo(f.context);
  const DjRecord mix = f.state.DjRecords[1];
  EXPECT_TRUE(f.controls.IsVisible(kDjInfoPanel));
  EXPECT_EQ(f.controls.GetText(kDjInfoPanel), "DJ娱乐网[DESC]");
  EXPECT_EQ(f.controls.GetText(kDjInfoSearchType), "当前搜索方式：歌名搜索--→#all");
  EXPECT_EQ(f.controls.GetText(kDjInfoNumber), "歌曲编号：" + mix.SongID);
  EXPECT_EQ(f.controls.GetText(kDjInfoLengthSize),
            "歌曲时长：" + mix.SongTime + "        歌曲大小：" + mix.SongFileSize);
  EXPECT_EQ(f.controls.GetText(kDjInfoDate), "更新日期：" + mix.SongAddDate);

  // Double-click plays the low quality and marks the row in every column.
  ASSERT_TRUE(DjAddressUsable(mix.ST));
  PlayDjRow(f.context);
  ASSERT_EQ(host.pages.size(), 1u);
  EXPECT_EQ(host.pages[0], BuildPlayerPage("cef", PlaylistEntry(mix.ST, mix.SongUserName,
                                                                mix.SongName),
                                           f.context.assetRoot));
  EXPECT_EQ(f.state.djSearch.PlayingDjRow, 2);
  EXPECT_EQ(f.state.djSearch.PlayingDjId, mix.SongID);
  EXPECT_EQ(f.List().cellColours.size(), 7u);
  for (const auto& [cell, colours] : f.List().cellColours) {
    EXPECT_EQ(cell.first, 1);
    EXPECT_EQ(colours.first, kPlayingDjColour);
  }
  // The high quality of the same row: the mark stays, the page changes.
  EXPECT_TRUE(RunDjCommand(f.context, kPlayDjHigh));
  ASSERT_EQ(host.pages.size(), 2u);
  EXPECT_NE(host.pages[1].find(mix.HQ.empty() ? "href=''" : mix.HQ), std::string::npos);

  // Another mix in row 2 (next page) is marked when it is played.
  f.Next();
  EXPECT_TRUE(f.List().cellColours.empty());
  f.controls.SetSelectedRow(kDjResultList, 1);
  ASSERT_NE(f.state.DjRecords[1].SongID, mix.SongID);
  EXPECT_TRUE(RunDjCommand(f.context, kPlayDjLow));
  EXPECT_EQ(f.List().cellColours.size(), 7u);
  EXPECT_EQ(f.state.djSearch.PlayingDjId, f.state.DjRecords[1].SongID);

  // Copies: the field on the clipboard; an empty field or a refusing
  // clipboard says "复制失败".
  EXPECT_TRUE(RunDjCommand(f.context, kCopyDjNumber));
  EXPECT_EQ(f.controls.Clipboard(), f.state.DjRecords[1].SongID);
  EXPECT_TRUE(RunDjCommand(f.context, kCopyDjAuthor));
  EXPECT_EQ(f.controls.Clipboard(), f.state.DjRecords[1].SongUserName);
  EXPECT_TRUE(f.controls.MessageBoxes().empty());
  f.state.DjRecords[1].SongName.clear();
  EXPECT_TRUE(RunDjCommand(f.context, kCopyDjName));
  f.controls.SetClipboardWorks(false);
  EXPECT_TRUE(RunDjCommand(f.context, kCopyDjNumber));
  const auto boxes = f.controls.MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  for (const auto& box : boxes) {
    EXPECT_EQ(box.text, "复制失败");
    EXPECT_EQ(box.title, "错误");
    EXPECT_EQ(box.owner, kMainWindow);
    EXPECT_EQ(box.flags, msgbox::kOk);
  }
  EXPECT_FALSE(RunDjCommand(f.context, kDownloadDjLow));  // the download manager's
}

}  // namespace
}  // namespace larkbay

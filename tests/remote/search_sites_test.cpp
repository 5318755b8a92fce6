// The selectors and the site chooser's page, filled from a configuration
// document into in-memory controls.
#include "remote/search_sites.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/control_names.h"
#include "platform/memory_controls.h"
#include "remote/site_window.h"
#include "server_process.h"
#include "services/text/text_helpers.h"
#include "state/program_state.h"

namespace larkbay::test {
namespace {

MemoryControls::Control Combo(std::string item) {
  MemoryControls::Control combo;
  combo.items = {std::move(item)};
  combo.currentIndex = 0;
  return combo;
}

struct Selectors {
  Selectors() {
    controls.Add(names::kDjTypeBox, Combo("歌名搜索"));
    controls.Add(names::kDjSiteBox, Combo("DJ娱乐网"));
    controls.Add(names::kSongSiteBox, Combo("QQ音乐"));
  }
  void Fill(std::string_view config) {
    ASSERT_TRUE(state.ProgramConfig.Parse(config));
    FillDjSearchLists(controls, state);
    FillSongSiteList(controls, state);
  }
  MemoryControls controls;
  ProgramState state;
};

std::string Sites(int count) {
  std::string json = "[";
  for (int i = 1; i <= count; ++i)
    json += std::string(i > 1 ? "," : "") + R"({"key":"站点)" + std::to_string(i) +
            R"(","value":"s)" + std::to_string(i) + "\"}";
  return json + "]";
}

TEST(SearchSites, BoxesShowKeysAndKeepValuesInTheirTags) {
  Selectors s;
  s.Fill(
      R"({"DJ":{"DJ_Search_Type":[{"key":"歌名搜索","value":"SongName"},{"key":"编号","value":"SongID"}],)"
      R"("DJ_Search_Web":)" +
      Sites(7) +
      R"(},"Song":{"Song_Search_Web":[{"key":"甲","value":"a"},{"key":"乙","value":"b"}]}})");
  const auto type = s.controls.Get(names::kDjTypeBox);
  EXPECT_EQ(type.items, (std::vector<std::string>{"歌名搜索", "编号"}));
  EXPECT_EQ(type.tag, "SongName|SongID|");
  EXPECT_EQ(type.currentIndex, 0);
  const auto dj = s.controls.Get(names::kDjSiteBox);
  EXPECT_EQ(dj.items.size(), 7u);
  EXPECT_EQ(dj.items[6], "站点7");
  EXPECT_EQ(dj.tag, "s1|s2|s3|s4|s5|s6|s7|");
  const auto song = s.controls.Get(names::kSongSiteBox);
  EXPECT_EQ(song.items, (std::vector<std::string>{"甲", "乙"}));
  EXPECT_EQ(song.tag, "a|b|");
  EXPECT_EQ(song.currentIndex, 0);

  // The chooser's page: GB18030, rows of three, three and one.
  const std::string page = GbkToText(s.state.SiteListHtml);
  EXPECT_TRUE(
      page.starts_with("<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"gbk\">"
                       "<meta name=\"viewport\"content="));
  EXPECT_NE(page.find("<div id=\"info\"><table><tr><td><a href=\"1\">站点1</a></td>"),
            std::string::npos);
  EXPECT_NE(page.find("<tr><td><a href=\"7\">站点7</a></td></tr></table></div></body><style>"),
            std::string::npos);
  EXPECT_EQ(page.find("#HTML#"), std::string::npos);
  EXPECT_EQ(TextToGbk(page), s.state.SiteListHtml);
}

TEST(SearchSites, MissingSectionsKeepTheTemplateAndOddOnesEmptyTheBox) {
  Selectors missing;
  missing.Fill(R"({"Program":{}})");
  EXPECT_EQ(missing.controls.Get(names::kDjTypeBox).items, std::vector<std::string>{"歌名搜索"});
  EXPECT_EQ(missing.controls.Get(names::kDjSiteBox).tag, "");
  EXPECT_EQ(missing.controls.Get(names::kSongSiteBox).items, std::vector<std::string>{"QQ音乐"});
  EXPECT_TRUE(missing.state.SiteListHtml.empty());

  Selectors odd;
  odd.Fill(
      R"({"DJ":{"DJ_Search_Type":{"key":"x","value":"y"},"DJ_Search_Web":"djyl"},"Song":{"Song_Search_Web":7}})");
  for (const char* box : {names::kDjTypeBox, names::kDjSiteBox, names::kSongSiteBox}) {
    SCOPED_TRACE(box);
    EXPECT_TRUE(odd.controls.Get(box).items.empty());
    EXPECT_EQ(odd.controls.Get(box).tag, "");
  }
}

TEST(SearchSites, TableIsBuiltOncePerRun) {
  ProgramState state;
  BuildSiteTable(state, Sites(2));
  const std::string first = state.SiteListHtml;
  BuildSiteTable(state, Sites(5));
  EXPECT_EQ(state.SiteListHtml, first);
}

TEST(SearchSites, ComboValuesEndWithTheSeparator) {
  JsonObject entries;
  ASSERT_TRUE(entries.Parse(R"([{"key":"A","value":"a"},{"key":"B","value":"b"}])"));
  EXPECT_EQ(ComboValues(entries), "a|b|");
  ASSERT_TRUE(entries.Parse("[]"));
  EXPECT_EQ(ComboValues(entries), "");
}

TEST(SiteChooser, WritesItsPageTakesASiteAndDeletesThePage) {
  TempFolder data;
  const std::string dataDir = data.Path().string() + "/";
  std::filesystem::create_directories(data.Path() / "data");
  MemoryControls controls;
  controls.DefineWindow(names::kSiteWindow, {names::kSiteView});
  MemoryControls::Control sites;
  sites.items = {"1", "2", "3", "4"};
  sites.currentIndex = 0;
  controls.Add(names::kDjSiteBox, sites);
  ProgramState state;
  BuildSiteTable(state, Sites(4));
  ASSERT_TRUE(controls.LoadWindow(names::kSiteWindow, true));

  OnSiteWindowCreated(controls, state, dataDir);
  const std::string page = dataDir + "data/Lark-Bay_Search_Web.html";
  EXPECT_EQ(controls.Get(names::kSiteView).address, page);
  EXPECT_EQ(ReadFile(page), state.SiteListHtml);
  // The table itself loads; then its file has done its job.
  EXPECT_FALSE(OnSiteViewBeforeNavigate(controls, dataDir, page));
  OnSiteViewDocumentComplete(dataDir);
  EXPECT_FALSE(std::filesystem::exists(page));
  OnSiteViewDocumentComplete(dataDir);  // a missing file is no error

  // Not a site of the table: nothing chosen, the chooser stays.
  for (const std::string& address : {dataDir + "data/0", dataDir + "data/9", dataDir + "data/2x",
                                     std::string("https://elsewhere.example/")}) {
    SCOPED_TRACE(address);
    EXPECT_TRUE(OnSiteViewBeforeNavigate(controls, dataDir, address));
    EXPECT_TRUE(controls.Exists(names::kSiteWindow));
    EXPECT_EQ(controls.Get(names::kDjSiteBox).currentIndex, 0);
  }
  EXPECT_TRUE(OnSiteViewBeforeNavigate(controls, dataDir, dataDir + "data/3"));
  EXPECT_EQ(controls.Get(names::kDjSiteBox).currentIndex, 2);
  EXPECT_FALSE(controls.Exists(names::kSiteWindow));
}

TEST(SiteChooser, ShowsNothingWithoutATable) {
  TempFolder data;
  MemoryControls controls;
  controls.Add(names::kSiteView);
  ProgramState state;
  OnSiteWindowCreated(controls, state, data.Path().string() + "/");
  EXPECT_EQ(controls.Get(names::kSiteView).address, "");
  EXPECT_FALSE(std::filesystem::exists(data.Path() / "data/Lark-Bay_Search_Web.html"));
}

}  // namespace
}  // namespace larkbay::test

// lark-bay-cli search / resolve against the running server, and the table layout.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>

#include "cli_run.h"
#include "demo_server_fixture.h"
#include "net/inet_request.h"
#include "text_table.h"

namespace larkbay::test {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

using CliSearchTest = DemoServerTest;

TEST_F(CliSearchTest, SongSearchPrintsOnePageAsATable) {
  const CliRun run = Cli(Base(), "search song 雨 --page 4");
  ASSERT_EQ(run.status, 0) << run.out;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_TRUE(lines[0].starts_with("序号  歌曲名称")) << lines[0];
  EXPECT_EQ(lines.back(), "xy: page 4 of 4, 12 on this page, 72 in all");
  EXPECT_EQ(lines.size(), 2u + 12u + 1u);
  for (size_t i = 2; i + 1 < lines.size(); ++i)
    EXPECT_NE(lines[i].find("雨"), std::string::npos) << lines[i];
}

TEST_F(CliSearchTest, DjSearchAndResolveReachTheCatalogue) {
  const CliRun dj = Cli(Base(), "search dj 0042 --type SongID --sort asc --site djyl");
  ASSERT_EQ(dj.status, 0) << dj.out;
  const std::vector<std::string> lines = Lines(dj.out);
  ASSERT_EQ(lines.size(), 4u) << dj.out;
  EXPECT_TRUE(lines[2].starts_with("42  ")) << lines[2];
  EXPECT_EQ(lines[3], "djyl SongID asc: page 1 of 1, 1 on this page, 1 in all");

  const CliRun song = Cli(Base(), "resolve song 100001 SQ --site xy");
  ASSERT_EQ(song.status, 0);
  const std::string url = song.out.substr(0, song.out.find('\n'));
  EXPECT_EQ(url, Base() + "/media/audio/c1-sq.flac");
  EXPECT_EQ(ResolveDownloadUrl(url), url);

  const CliRun download = Cli(Base(), "resolve download Updata");
  ASSERT_EQ(download.status, 0);
  const std::vector<std::string> rows = Lines(download.out);
  ASSERT_EQ(rows.size(), 4u) << download.out;
  EXPECT_TRUE(rows[2].starts_with(Base() + "/go/Update.exe  ")) << rows[2];
  EXPECT_TRUE(rows[2].ends_with("  " + Base() + "/download/Update.exe")) << rows[2];
}

// The configuration is asked for once, however many options it stands in for.
TEST_F(CliSearchTest, TheConfigurationIsFetchedOnce) {
  auto configRequests = [] {
    const std::string log = server_->Output();
    size_t count = 0;
    for (size_t at = log.find("program_Config.php");
         at != std::string::npos; at = log.find("program_Config.php", at + 1))
      ++count;
    return count;
  };
  const size_t before = configRequests();
  const CliRun run = Cli(Base(), "search dj 42 --sort asc");  // site and type from it
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(configRequests(), before + 1);
}

TEST_F(CliSearchTest, NothingFoundIsSaidInWords) {
  for (const char* arguments : {"search song zzzqqq --site xy", "search dj zzzqqq --site djyl"}) {
    SCOPED_TRACE(arguments);
    const CliRun run = Cli(Base(), arguments);
    ASSERT_EQ(run.status, 0) << run.out;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 1u) << run.out;
    EXPECT_TRUE(lines[0].ends_with(": nothing found")) << lines[0];
  }
}

TEST_F(CliSearchTest, BadUsageAndMissingAddressesFail) {
  for (const char* arguments :
       {"search song", "search song 雨 --page 0", "search song 雨 --colour red",
        "search dj x --sort sideways", "resolve song 100027 SQ --site xy", "resolve bogus"}) {
    SCOPED_TRACE(arguments);
    EXPECT_EQ(Cli(Base(), arguments).status, 1);
  }
  // No server at all: a failure, not an empty table.
  EXPECT_EQ(Cli("http://127.0.0.1:9", "search song 雨 --site xy").status, 1);
}

// Text from a server never reaches the terminal as control characters.
TEST(TextTable, ControlCharactersShowAsEscapes) {
  const std::string table =
      cli::FormatTable({"名"}, {{std::string("a\x1b[31mb\a\r\x08\x7f\x00z", 13), "晴天"}});
  EXPECT_NE(table.find("a\\x1b[31mb\\x07\\x0d\\x08\\x7f\\x00z"), std::string::npos) << table;
  for (char control : {'\x1b', '\a', '\r', '\x08', '\x7f', '\0'})
    EXPECT_EQ(table.find(control), std::string::npos) << static_cast<int>(control);
  EXPECT_EQ(cli::VisibleText("雨\t"), "雨\\x09");
}

TEST(TextTable, WideCharactersCountTwoColumns) {
  struct Case {
    const char* text;
    int width;
  };
  for (const Case& c : {Case{"abc", 3}, Case{"雨", 2}, Case{"Café", 4}, Case{"🌙 Drive", 8},
                        Case{"서울", 4}, Case{"さくら", 6}, Case{"", 0}}) {
    EXPECT_EQ(cli::DisplayWidth(c.text), c.width) << c.text;
  }
  EXPECT_EQ(cli::FormatTable({"名", "n"}, {{"雨雨", "1"}, {"ab", "2"}}),
            "名    n\n"
            "----  -\n"
            "雨雨  1\n"
            "ab    2\n");
}

}  // namespace
}  // namespace larkbay::test

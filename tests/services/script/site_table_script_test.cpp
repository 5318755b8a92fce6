#include "services/script/site_table_script.h"

#include <gtest/gtest.h>

#include <string>

#include "services/script/script_host.h"

namespace larkbay {
namespace {

std::string Cell(int number, const std::string& key) {
  return "<td><a href=\"" + std::to_string(number) + "\">" + key + "</a></td>";
}

std::string Sites(int count) {
  std::string json = "[";
  for (int i = 1; i <= count; ++i) {
    if (i > 1) json += ",";
    json += R"({"key":"site)" + std::to_string(i) + R"(","value":"v)" + std::to_string(i) + "\"}";
  }
  return json + "]";
}

TEST(SiteTableScript, RowsOfThreeCells) {
  const struct {
    int sites;
    std::string expected;
  } cases[] = {
      {1, "<table><tr>" + Cell(1, "site1") + "</tr></table>"},
      {3, "<table><tr>" + Cell(1, "site1") + Cell(2, "site2") + Cell(3, "site3") + "</tr></table>"},
      {4, "<table><tr>" + Cell(1, "site1") + Cell(2, "site2") + Cell(3, "site3") + "<tr>" +
              Cell(4, "site4") + "</tr></table>"},
      {7, "<table><tr>" + Cell(1, "site1") + Cell(2, "site2") + Cell(3, "site3") + "<tr>" +
              Cell(4, "site4") + Cell(5, "site5") + Cell(6, "site6") + "<tr>" + Cell(7, "site7") +
              "</tr></table>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sites);
    EXPECT_EQ(RunSiteTableScript(Sites(c.sites)), c.expected);
  }
}

TEST(SiteTableScript, ChineseKeysAndTheCallSequenceOfTheStartUp) {
  ScriptHost host;
  ASSERT_TRUE(host.ExecuteStatement(SiteTableScript()));
  EXPECT_EQ(host.Run(SiteTableProcedure(),
                     R"([{"key":"DJ娱乐网","value":"djyl"},{"key":"清风DJ 😀","value":"qf"}])"),
            "<table><tr>" + Cell(1, "DJ娱乐网") + Cell(2, "清风DJ 😀") + "</tr></table>");
}

// Site names come from the server: markup in them is shown, never run.
TEST(SiteTableScript, NamesAreTextNotMarkup) {
  EXPECT_EQ(RunSiteTableScript(R"([{"key":"</a><script>x('1')</script>","value":"v"},)"
                               R"({"key":"Tom & \"Jerry\"","value":"w"}])"),
            "<table><tr>" + Cell(1, "&lt;/a&gt;&lt;script&gt;x(&#39;1&#39;)&lt;/script&gt;") +
                Cell(2, "Tom &amp; &quot;Jerry&quot;") + "</tr></table>");
}

TEST(SiteTableScript, NoTableWithoutSites) {
  const char* inputs[] = {"[]", "", "{}", R"({"key":"a"})", "[{\"key\":", "null", "3"};
  for (const char* input : inputs) {
    SCOPED_TRACE(input);
    EXPECT_EQ(RunSiteTableScript(input), "");
  }
}

}  // namespace
}  // namespace larkbay

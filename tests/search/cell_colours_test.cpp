// The cell colour table on in-memory lists: adding, replacing and removing
// overrides against the list's own colours, and clearing one list.
#include "search/cell_colours.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <utility>

#include "platform/memory_controls.h"

namespace larkbay {
namespace {

constexpr char kList[] = "列表_甲";
constexpr char kOtherList[] = "列表_乙";
constexpr Colour kOwnText = 0x333333;
constexpr Colour kOwnBack = 0xEEEEEE;
constexpr Colour kMarkColour = 0xFF8800;

struct CellColourFixture {
  CellColourFixture() {
    for (const char* name : {kList, kOtherList}) {
      MemoryControls::Control list;
      list.columns.resize(4);
      list.rows.assign(3, std::vector<std::string>(4, "x"));
      list.colours = {kOwnText, kOwnBack};
      controls.Add(name, list);
    }
  }
  std::vector<CellColour> Table(const char* list) const {
    const std::vector<CellColour>* cells = FindCellColours(table, list);
    return cells ? *cells : std::vector<CellColour>{};
  }
  // What the list draws: (row, column) -> (text, background).
  std::map<std::pair<int, int>, std::pair<Colour, Colour>> Drawn(const char* list) const {
    return controls.Get(list).cellColours;
  }
  int Resets() const {
    const auto calls = controls.Calls();
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [](const std::string& c) {
      return c.starts_with("ResetCellColours");
    }));
  }

  MemoryControls controls;
  CellColourTable table;
};

TEST(CellColours, ARowColouredInEveryColumnShowsOnlyThere) {
  CellColourFixture f;
  for (int column = 0; column < 4; ++column)
    SetCellColour(f.controls, f.table, kList, 1, column, kMarkColour, 0, false);
  // Without a background of its own the cell keeps the list's.
  const std::vector<CellColour> expected = {{1, 0, kMarkColour, kOwnBack},
                                            {1, 1, kMarkColour, kOwnBack},
                                            {1, 2, kMarkColour, kOwnBack},
                                            {1, 3, kMarkColour, kOwnBack}};
  EXPECT_EQ(f.Table(kList), expected);
  const auto drawn = f.Drawn(kList);
  ASSERT_EQ(drawn.size(), 4u);
  for (int column = 0; column < 4; ++column)
    EXPECT_EQ(drawn.at({1, column}), std::make_pair(kMarkColour, kOwnBack)) << column;
  EXPECT_TRUE(f.Drawn(kOtherList).empty());
  EXPECT_EQ(FindCellColours(f.table, kOtherList), nullptr);
}

TEST(CellColours, ReplacingAndRemovingAgainstTheListsOwnColours) {
  CellColourFixture f;
  // The list's own colours store nothing, given or taken from the list.
  SetCellColour(f.controls, f.table, kList, 0, 0, kOwnText, kOwnBack, true);
  SetCellColour(f.controls, f.table, kList, 0, 1, kOwnText, 0x123456, false);
  EXPECT_TRUE(f.Table(kList).empty());
  EXPECT_TRUE(f.Drawn(kList).empty());

  SetCellColour(f.controls, f.table, kList, 2, 0, kMarkColour, 0, false);
  SetCellColour(f.controls, f.table, kList, 2, 1, kMarkColour, 0, false);
  // A second override of a cell replaces the first: one per cell.
  SetCellColour(f.controls, f.table, kList, 2, 0, 0x0000FF, 0x00FF00, true);
  EXPECT_EQ(f.Table(kList),
            (std::vector<CellColour>{{2, 0, 0x0000FF, 0x00FF00}, {2, 1, kMarkColour, kOwnBack}}));
  EXPECT_EQ(f.Drawn(kList).at({2, 0}), std::make_pair(Colour{0x0000FF}, Colour{0x00FF00}));

  // The list's own colours remove the override; the other cell keeps its own.
  SetCellColour(f.controls, f.table, kList, 2, 0, kOwnText, 0, false);
  EXPECT_EQ(f.Table(kList), (std::vector<CellColour>{{2, 1, kMarkColour, kOwnBack}}));
  const auto drawn = f.Drawn(kList);
  EXPECT_EQ(drawn.count({2, 0}), 0u);
  EXPECT_EQ(drawn.at({2, 1}), std::make_pair(kMarkColour, kOwnBack));
  // A background of its own is an override even with the list's text colour.
  SetCellColour(f.controls, f.table, kList, 0, 3, kOwnText, 0x000001, true);
  EXPECT_EQ(f.Table(kList).size(), 2u);
}

TEST(CellColours, ClearingEmptiesOneListAndLeavesUncolouredOnesAlone) {
  CellColourFixture f;
  // Before any override there is nothing to clear: the list is not touched.
  ClearCellColours(f.controls, f.table, kList);
  EXPECT_EQ(f.Resets(), 0);
  EXPECT_EQ(FindCellColours(f.table, kList), nullptr);

  SetCellColour(f.controls, f.table, kList, 1, 1, kMarkColour, 0, false);
  SetCellColour(f.controls, f.table, kOtherList, 0, 0, kMarkColour, 0, false);
  ClearCellColours(f.controls, f.table, kList);
  EXPECT_EQ(f.Resets(), 1);
  ASSERT_NE(FindCellColours(f.table, kList), nullptr);  // the entry stays, empty
  EXPECT_TRUE(f.Table(kList).empty());
  EXPECT_TRUE(f.Drawn(kList).empty());
  EXPECT_EQ(f.Table(kOtherList).size(), 1u);
  EXPECT_EQ(f.Drawn(kOtherList).size(), 1u);
}

}  // namespace
}  // namespace larkbay

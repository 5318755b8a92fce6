#include "search/cell_colours.h"

#include <algorithm>

namespace larkbay {
namespace {

CellColourTable::Entry* FindEntry(CellColourTable& table, std::string_view list) {
  const auto it = std::find_if(table.lists.begin(), table.lists.end(),
                               [list](const CellColourTable::Entry& e) { return e.list == list; });
  return it == table.lists.end() ? nullptr : &*it;
}

CellColourTable::Entry& EntryOf(CellColourTable& table, std::string_view list) {
  if (CellColourTable::Entry* entry = FindEntry(table, list)) return *entry;
  table.lists.push_back({std::string(list), {}});
  return table.lists.back();
}

}  // namespace

void SetCellColour(ControlInterface& controls, CellColourTable& table, std::string_view list,
                   int row, int column, Colour textColour, Colour backColour, bool backGiven) {
  CellColourTable::Entry& entry = EntryOf(table, list);
  const ListColours own = controls.GetListColours(list);
  if (!backGiven) backColour = own.background;
  const bool ownColours = textColour == own.text && backColour == own.background;

  const auto it = std::find_if(entry.cells.begin(), entry.cells.end(), [&](const CellColour& c) {
    return c.row == row && c.column == column;
  });
  if (it == entry.cells.end()) {
    if (ownColours) return;
    entry.cells.push_back({row, column, textColour, backColour});
    controls.SetCellColours(list, row, column, textColour, backColour);
  } else if (!ownColours) {
    it->text = textColour;
    it->background = backColour;
    controls.SetCellColours(list, row, column, textColour, backColour);
  } else {
    entry.cells.erase(it);
    // The list can only put all its cells back at once: the others get their
    // overrides again.
    controls.ResetCellColours(list);
    for (const CellColour& cell : entry.cells)
      controls.SetCellColours(list, cell.row, cell.column, cell.text, cell.background);
  }
}

void ClearCellColours(ControlInterface& controls, CellColourTable& table, std::string_view list) {
  CellColourTable::Entry* entry = FindEntry(table, list);
  if (!entry) return;
  entry->cells.clear();
  controls.ResetCellColours(list);
}

const std::vector<CellColour>* FindCellColours(const CellColourTable& table,
                                               std::string_view list) {
  const auto it = std::find_if(table.lists.begin(), table.lists.end(),
                               [list](const CellColourTable::Entry& e) { return e.list == list; });
  return it == table.lists.end() ? nullptr : &it->cells;
}

}  // namespace larkbay

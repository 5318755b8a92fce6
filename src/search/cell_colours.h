#pragma once
// Cells of a result list drawn in colours of their own (the DJ list marks the
// mix being played). A table keeps, per list, at most one override per
// (row, column) and puts them on the list's cells. Overrides are keyed by row
// index and outlive a change of the list's rows, so a fill clears them before
// it marks a row again.

#include <string>
#include <string_view>
#include <vector>

#include "platform/control_interface.h"

namespace larkbay {

struct CellColour {
  int row = 0;     // 0-based item
  int column = 0;  // 0-based sub-item
  Colour text = kBlack;
  Colour background = 0xFFFFFF;
  bool operator==(const CellColour&) const = default;
};

// The lists that have been coloured, in order of their first override; an
// entry stays once made.
struct CellColourTable {
  struct Entry {
    std::string list;
    std::vector<CellColour> cells;
  };
  std::vector<Entry> lists;
};

// Records an override of one cell. Without `backGiven` the list's own
// background is used. Colours equal to the list's own remove the cell's
// override, or store nothing when it has none.
void SetCellColour(ControlInterface& controls, CellColourTable& table, std::string_view list,
                   int row, int column, Colour textColour, Colour backColour, bool backGiven);

// Removes every override of `list` and draws it in its own colours again; a
// list that was never coloured is left alone.
void ClearCellColours(ControlInterface& controls, CellColourTable& table, std::string_view list);

// The overrides of `list`; null while it has no entry.
const std::vector<CellColour>* FindCellColours(const CellColourTable& table, std::string_view list);

}  // namespace larkbay

#pragma once
// Plain-text tables for the terminal: columns padded to the widest cell, where
// CJK characters and emoji count two columns.

#include <string>
#include <string_view>
#include <vector>

namespace larkbay::cli {

// Terminal columns of a UTF-8 text.
int DisplayWidth(std::string_view text);

// `text` with every control character (C0, DEL) written as "\xNN", so that
// text from a server cannot move the cursor, ring or recolour the terminal.
std::string VisibleText(std::string_view text);

// Header, a rule, then the rows; columns separated by two spaces, lines
// ending in "\n". Missing cells are empty; control characters show as
// "\xNN" (VisibleText).
std::string FormatTable(const std::vector<std::string>& header,
                        const std::vector<std::vector<std::string>>& rows);

}  // namespace larkbay::cli

#include "text_table.h"

#include <algorithm>

namespace larkbay::cli {
namespace {

// East Asian wide and full-width ranges, and the emoji blocks.
bool IsWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
         (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
         (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
         (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
}

}  // namespace

int DisplayWidth(std::string_view text) {
  int width = 0;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = 1;
    char32_t c = lead;
    if (lead >= 0xF0) {
      length = 4;
      c = lead & 0x07;
    } else if (lead >= 0xE0) {
      length = 3;
      c = lead & 0x0F;
    } else if (lead >= 0xC0) {
      length = 2;
      c = lead & 0x1F;
    }
    if (i + length > text.size()) length = 1;
    for (size_t k = 1; k < length; ++k)
      c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    const bool combining =
        (c >= 0x0300 && c <= 0x036F) || c == 0x200D || (c >= 0xFE00 && c <= 0xFE0F);
    if (!combining) width += IsWide(c) ? 2 : 1;
    i += length;
  }
  return width;
}

std::string VisibleText(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte < 0x20 || byte == 0x7F) {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    } else {
      out += ch;
    }
  }
  return out;
}

std::string FormatTable(const std::vector<std::string>& rawHeader,
                        const std::vector<std::vector<std::string>>& rawRows) {
  auto visible = [](const std::vector<std::string>& cells) {
    std::vector<std::string> out;
    out.reserve(cells.size());
    for (const std::string& cell : cells) out.push_back(VisibleText(cell));
    return out;
  };
  const std::vector<std::string> header = visible(rawHeader);
  std::vector<std::vector<std::string>> rows;
  rows.reserve(rawRows.size());
  for (const auto& row : rawRows) rows.push_back(visible(row));
  std::vector<int> widths(header.size(), 0);
  auto measure = [&widths](const std::vector<std::string>& cells) {
    for (size_t c = 0; c < cells.size(); ++c) {
      if (c >= widths.size()) widths.resize(c + 1, 0);
      widths[c] = std::max(widths[c], DisplayWidth(cells[c]));
    }
  };
  measure(header);
  for (const auto& row : rows) measure(row);

  std::string out;
  auto line = [&](const std::vector<std::string>& cells) {
    std::string text;
    for (size_t c = 0; c < widths.size(); ++c) {
      const std::string cell = c < cells.size() ? cells[c] : std::string();
      text += cell;
      if (c + 1 < widths.size())
        text.append(static_cast<size_t>(widths[c] - DisplayWidth(cell) + 2), ' ');
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out += text + "\n";
  };
  line(header);
  std::vector<std::string> rule;
  for (const int width : widths) rule.emplace_back(static_cast<size_t>(width), '-');
  line(rule);
  for (const auto& row : rows) line(row);
  return out;
}

}  // namespace larkbay::cli

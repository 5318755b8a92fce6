#include "search/result_list.h"

#include <algorithm>

#include "platform/control_names.h"

namespace larkbay {
namespace {

std::vector<std::string> SplitAtBar(std::string_view text) {
  std::vector<std::string> parts;
  for (;;) {
    const size_t bar = text.find('|');
    parts.emplace_back(text.substr(0, bar));
    if (bar == std::string_view::npos) return parts;
    text.remove_prefix(bar + 1);
  }
}

}  // namespace

void DeleteAllColumns(ControlInterface& controls, std::string_view list) {
  for (int count = controls.ColumnCount(list); count > 0; --count)
    if (!controls.DeleteColumn(list, 0)) break;
}

void PrepareColumns(ControlInterface& controls, std::string_view list,
                    const std::vector<ResultColumn>& columns) {
  const int wanted = static_cast<int>(columns.size());
  if (controls.ColumnCount(list) == wanted) {
    for (int column = 0; column + 1 < wanted; ++column) controls.SetColumnWidth(list, column, 0);
    return;
  }
  DeleteAllColumns(controls, list);
  for (const ResultColumn& column : columns)
    controls.InsertColumn(list, column.title, 0, column.align);
}

void ShowListMessage(ControlInterface& controls, std::string_view list, std::string_view header,
                     std::string_view text) {
  controls.DeleteAllRows(list);
  DeleteAllColumns(controls, list);
  controls.InsertColumn(list, header, 0, ColumnAlign::Center);
  controls.AppendRow(list, {std::string(text)});
  controls.SetColumnWidth(list, 0, std::max(controls.GetRect(list).width - 10, 0));
  controls.SetEnabled(list, false);
}

void SetPagingButtons(ControlInterface& controls, std::string_view next,
                      std::string_view previous, int page, int pageCount) {
  controls.SetEnabled(next, page < pageCount);
  controls.SetEnabled(previous, page > 1);
}

bool SelectedCode(ControlInterface& controls, std::string_view box, std::string& code,
                  std::string& itemText) {
  const int index = controls.CurrentIndex(box);
  const std::vector<std::string> codes = SplitAtBar(controls.GetTag(box));
  if (index < 0 || static_cast<size_t>(index) >= codes.size()) return false;
  code = codes[static_cast<size_t>(index)];
  itemText = controls.ItemText(box, index);
  return true;
}

std::string TrimBlanks(std::string_view text) {
  constexpr std::string_view kFullWidthSpace = "\xE3\x80\x80";
  for (;;) {
    if (text.starts_with(' ')) {
      text.remove_prefix(1);
    } else if (text.starts_with(kFullWidthSpace)) {
      text.remove_prefix(kFullWidthSpace.size());
    } else if (text.ends_with(' ')) {
      text.remove_suffix(1);
    } else if (text.ends_with(kFullWidthSpace)) {
      text.remove_suffix(kFullWidthSpace.size());
    } else {
      return std::string(text);
    }
  }
}

bool IsPromptOrEmpty(std::string_view trimmed) {
  return trimmed.empty() || trimmed == kEnterKeywordPrompt || trimmed == kEnterNumberPrompt;
}

void TakeHoverFocus(ControlInterface& controls, std::string_view list, std::int32_t& hoverFocus) {
  if (hoverFocus != 0 || !controls.IsActiveWindow(names::kMainWindow)) return;
  hoverFocus = 1;
  controls.SetFocus(list);
}

void ReleaseHoverFocus(std::int32_t& hoverFocus) {
  if (hoverFocus == 1) hoverFocus = 0;
}

void PromptInSearchBox(ControlInterface& controls, std::string_view box, std::string_view prompt) {
  controls.SetText(box, prompt);
  controls.SetFocus(box);
  controls.SelectAll(box);
}

}  // namespace larkbay

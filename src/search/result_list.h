#pragma once
// What the song and DJ result lists share: the columns a fill sets up, the
// one-column displays for an empty page and a failure, the paging buttons,
// and reading the query boxes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/control_interface.h"

namespace larkbay {

struct ResultColumn {
  const char* title;
  ColumnAlign align;
};

// Keeps the list's columns when it has exactly `columns`, with every column
// but the last narrowed to 0; otherwise deletes them all and inserts
// `columns` with width 0.
void PrepareColumns(ControlInterface& controls, std::string_view list,
                    const std::vector<ResultColumn>& columns);

void DeleteAllColumns(ControlInterface& controls, std::string_view list);

// Rows and columns go; one centred column headed `header` holds the one row
// `text`, as wide as the list less 10; the list is disabled.
void ShowListMessage(ControlInterface& controls, std::string_view list, std::string_view header,
                     std::string_view text);

// Next is enabled below the last page, previous above the first.
void SetPagingButtons(ControlInterface& controls, std::string_view next,
                      std::string_view previous, int page, int pageCount);

// The code at the box's selection among the codes of its tag (joined by
// "|"), and the item's text; false when the box has no selection or the tag
// no code for it.
bool SelectedCode(ControlInterface& controls, std::string_view box, std::string& code,
                  std::string& itemText);

// The search box's text without ASCII and full-width blanks at either end.
std::string TrimBlanks(std::string_view text);

// A keyword the search box refuses: empty or one of the box's prompts.
bool IsPromptOrEmpty(std::string_view trimmed);

// Puts `prompt` in the search box, gives it the focus and selects it.
void PromptInSearchBox(ControlInterface& controls, std::string_view box, std::string_view prompt);

// A mouse move over a result list: while the main window is active the list
// takes the keyboard focus, once until it loses it again.
void TakeHoverFocus(ControlInterface& controls, std::string_view list, std::int32_t& hoverFocus);
void ReleaseHoverFocus(std::int32_t& hoverFocus);

inline constexpr char kEnterKeywordPrompt[] = "请输入内容";
inline constexpr char kEnterNumberPrompt[] = "请输入正确的编号";
inline constexpr char kSearchDone[] = "搜索已完成！";
inline constexpr char kSearchFailedRow[] = "错误内容：查找失败";
inline constexpr char kMark[] = " √ ";

}  // namespace larkbay

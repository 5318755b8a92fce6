#include "platform/memory_controls.h"

#include <algorithm>

#include "platform/worker_gate.h"

namespace larkbay {
namespace {

bool InRange(int index, size_t size) { return index >= 0 && static_cast<size_t>(index) < size; }

// Characters of UTF-8 text (continuation bytes not counted).
int CharactersOf(std::string_view text) {
  int count = 0;
  for (unsigned char byte : text)
    if ((byte & 0xC0) != 0x80) ++count;
  return count;
}

// The automatic widths in memory: 7 pixels a character and 12 of margin.
int FitWidth(int characters) { return characters * 7 + 12; }

}  // namespace

template <typename Work>
auto MemoryControls::With(std::string_view op, std::string_view name, std::string_view detail,
                          Work&& work) {
  // A stopped worker's calls are dropped unseen.
  if (const WorkerGate* gate = WorkerGate::Current(); gate && gate->Closed()) return work(nullptr);
  std::lock_guard lock(mutex_);
  std::string call = std::string(op) + " " + std::string(name);
  if (!detail.empty()) call += " " + std::string(detail);
  calls_.push_back(std::move(call));
  return work(Live(name));
}

MemoryControls::Control* MemoryControls::Live(std::string_view name) {
  const auto it = controls_.find(name);
  return it == controls_.end() ? nullptr : &it->second;
}

void MemoryControls::DefineWindow(std::string window, std::vector<std::string> controls) {
  std::lock_guard lock(mutex_);
  windows_[std::move(window)] = std::move(controls);
}

void MemoryControls::Add(std::string name) { Add(std::move(name), Control()); }

void MemoryControls::Add(std::string name, Control control) {
  std::lock_guard lock(mutex_);
  controls_[std::move(name)] = std::move(control);
}

MemoryControls::Control MemoryControls::Get(std::string_view name) const {
  std::lock_guard lock(mutex_);
  const auto it = controls_.find(name);
  return it == controls_.end() ? Control{} : it->second;
}

std::vector<std::string> MemoryControls::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<MemoryControls::MessageBoxCall> MemoryControls::MessageBoxes() const {
  std::lock_guard lock(mutex_);
  return boxes_;
}

void MemoryControls::AnswerMessageBoxes(std::vector<int> answers) {
  std::lock_guard lock(mutex_);
  answers_.assign(answers.begin(), answers.end());
}

bool MemoryControls::Fire(std::string_view name, ControlEvent event, ControlEventArgs args) {
  ControlEventHandler handler;
  {
    std::lock_guard lock(mutex_);
    const auto it = handlers_.find({std::string(name), event});
    if (it == handlers_.end()) return false;
    handler = it->second;
  }
  args.control = std::string(name);
  args.event = event;
  return handler(args);
}

void MemoryControls::RunPosted() {
  std::vector<std::string> posted;
  {
    std::lock_guard lock(mutex_);
    posted.swap(posted_);
  }
  for (const std::string& name : posted) DestroyWindow(name);
}

std::vector<std::string> MemoryControls::PostedDestroys() const {
  std::lock_guard lock(mutex_);
  return posted_;
}

bool MemoryControls::Exists(std::string_view name) {
  std::lock_guard lock(mutex_);
  return Live(name) != nullptr;
}

std::string MemoryControls::GetText(std::string_view name) {
  return With("GetText", name, {}, [](Control* c) {
    if (!c) return std::string();
    // A combo box answers its current item.
    if (!c->items.empty() || c->currentIndex >= 0)
      return InRange(c->currentIndex, c->items.size()) ? c->items[c->currentIndex] : std::string();
    return c->text;
  });
}

bool MemoryControls::SetText(std::string_view name, std::string_view text) {
  return With("SetText", name, text, [&](Control* c) {
    if (!c) return false;
    c->text = std::string(text);
    return true;
  });
}

bool MemoryControls::IsVisible(std::string_view name) {
  return With("IsVisible", name, {}, [](Control* c) { return c && c->visible; });
}

bool MemoryControls::SetVisible(std::string_view name, bool visible) {
  return With("SetVisible", name, visible ? "1" : "0", [&](Control* c) {
    if (!c) return false;
    c->visible = visible;
    return true;
  });
}

bool MemoryControls::IsEnabled(std::string_view name) {
  return With("IsEnabled", name, {}, [](Control* c) { return c && c->enabled; });
}

bool MemoryControls::SetEnabled(std::string_view name, bool enabled) {
  return With("SetEnabled", name, enabled ? "1" : "0", [&](Control* c) {
    if (!c) return false;
    c->enabled = enabled;
    return true;
  });
}

ControlRect MemoryControls::GetRect(std::string_view name) {
  return With("GetRect", name, {}, [](Control* c) { return c ? c->rect : ControlRect{}; });
}

bool MemoryControls::SetRect(std::string_view name, const ControlRect& rect) {
  return With("SetRect", name, {}, [&](Control* c) {
    if (!c) return false;
    c->rect = rect;
    return true;
  });
}

bool MemoryControls::IsChecked(std::string_view name) {
  return With("IsChecked", name, {}, [](Control* c) { return c && c->checked; });
}

bool MemoryControls::SetChecked(std::string_view name, bool checked) {
  return With("SetChecked", name, checked ? "1" : "0", [&](Control* c) {
    if (!c) return false;
    c->checked = checked;
    return true;
  });
}

bool MemoryControls::SetPosition(std::string_view name, int position) {
  return With("SetPosition", name, std::to_string(position), [&](Control* c) {
    if (!c) return false;
    c->position = std::clamp(position, 0, 100);
    return true;
  });
}

bool MemoryControls::SelectAll(std::string_view name) {
  return With("SelectAll", name, {}, [](Control* c) {
    if (!c) return false;
    c->allSelected = true;
    return true;
  });
}

bool MemoryControls::SetFocus(std::string_view name) {
  return With("SetFocus", name, {}, [&](Control* c) {
    if (!c) return false;
    focused_ = std::string(name);
    return true;
  });
}

bool MemoryControls::SetFontSize(std::string_view name, int points) {
  return With("SetFontSize", name, std::to_string(points), [&](Control* c) {
    if (!c) return false;
    c->fontSize = points;
    return true;
  });
}

bool MemoryControls::SetTextCentred(std::string_view name, bool centred) {
  return With("SetTextCentred", name, centred ? "1" : "0", [&](Control* c) {
    if (!c) return false;
    c->centred = centred;
    return true;
  });
}

std::string MemoryControls::Focused() const {
  std::lock_guard lock(mutex_);
  return focused_;
}

void MemoryControls::SetActiveWindow(std::string window) {
  std::lock_guard lock(mutex_);
  activeWindow_ = std::move(window);
}

std::vector<MemoryControls::MenuCall> MemoryControls::Menus() const {
  std::lock_guard lock(mutex_);
  return menus_;
}

std::string MemoryControls::Clipboard() const {
  std::lock_guard lock(mutex_);
  return clipboard_;
}

void MemoryControls::SetClipboardWorks(bool works) {
  std::lock_guard lock(mutex_);
  clipboardWorks_ = works;
}

bool MemoryControls::IsActiveWindow(std::string_view name) {
  return With("IsActiveWindow", name, {},
              [&](Control* c) { return c != nullptr && activeWindow_ == name; });
}

bool MemoryControls::TrackMenu(std::string_view owner, const std::vector<MenuItem>& menu) {
  return With("TrackMenu", owner, {}, [&](Control* c) {
    if (!c) return false;
    menus_.push_back({std::string(owner), menu});
    return true;
  });
}

bool MemoryControls::RunOnInterfaceThread(const std::function<void()>& work) {
  // The calling thread stands in for the interface thread here.
  if (const WorkerGate* gate = WorkerGate::Current(); gate && gate->Closed()) return false;
  work();
  return true;
}

bool MemoryControls::SetClipboardText(std::string_view text) {
  std::lock_guard lock(mutex_);
  calls_.push_back("SetClipboardText " + std::string(text));
  if (!clipboardWorks_) return false;
  clipboard_ = std::string(text);
  return true;
}

bool MemoryControls::SetSelectionStart(std::string_view name, int position) {
  return With("SetSelectionStart", name, std::to_string(position), [&](Control* c) {
    if (!c) return false;
    c->selectionStart = position < 0 ? static_cast<int>(c->text.size()) : position;
    return true;
  });
}

bool MemoryControls::ClearItems(std::string_view name) {
  return With("ClearItems", name, {}, [](Control* c) {
    if (!c) return false;
    c->items.clear();
    c->currentIndex = -1;
    return true;
  });
}

int MemoryControls::AppendItem(std::string_view name, std::string_view text) {
  return With("AppendItem", name, text, [&](Control* c) {
    if (!c) return -1;
    c->items.emplace_back(text);
    return static_cast<int>(c->items.size()) - 1;
  });
}

int MemoryControls::ItemCount(std::string_view name) {
  return With("ItemCount", name, {},
              [](Control* c) { return c ? static_cast<int>(c->items.size()) : 0; });
}

std::string MemoryControls::ItemText(std::string_view name, int index) {
  return With("ItemText", name, std::to_string(index), [&](Control* c) {
    return c && InRange(index, c->items.size()) ? c->items[index] : std::string();
  });
}

int MemoryControls::CurrentIndex(std::string_view name) {
  return With("CurrentIndex", name, {}, [](Control* c) { return c ? c->currentIndex : -1; });
}

bool MemoryControls::SetCurrentIndex(std::string_view name, int index) {
  return With("SetCurrentIndex", name, std::to_string(index), [&](Control* c) {
    // Like a combo box: an index past the items selects nothing.
    if (!c) return false;
    c->currentIndex = InRange(index, c->items.size()) ? index : -1;
    return true;
  });
}

std::string MemoryControls::GetTag(std::string_view name) {
  return With("GetTag", name, {}, [](Control* c) { return c ? c->tag : std::string(); });
}

bool MemoryControls::SetTag(std::string_view name, std::string_view tag) {
  return With("SetTag", name, tag, [&](Control* c) {
    if (!c) return false;
    c->tag = std::string(tag);
    return true;
  });
}

int MemoryControls::InsertColumn(std::string_view name, std::string_view title, int width,
                                 ColumnAlign align) {
  return With("InsertColumn", name, title, [&](Control* c) {
    if (!c) return -1;
    c->columns.push_back({std::string(title), width, align});
    for (auto& row : c->rows) row.resize(c->columns.size());
    return static_cast<int>(c->columns.size()) - 1;
  });
}

int MemoryControls::ColumnCount(std::string_view name) {
  return With("ColumnCount", name, {},
              [](Control* c) { return c ? static_cast<int>(c->columns.size()) : 0; });
}

int MemoryControls::ColumnWidth(std::string_view name, int column) {
  return With("ColumnWidth", name, std::to_string(column), [&](Control* c) {
    return c && InRange(column, c->columns.size()) ? c->columns[column].width : 0;
  });
}

bool MemoryControls::SetColumnWidth(std::string_view name, int column, int width) {
  return With("SetColumnWidth", name, std::to_string(column) + " " + std::to_string(width),
              [&](Control* c) {
                if (!c || !InRange(column, c->columns.size())) return false;
                if (width == kFitToContents || width == kFitToHeader) {
                  int widest = width == kFitToHeader ? CharactersOf(c->columns[column].title) : 0;
                  for (const auto& row : c->rows)
                    widest = std::max(widest, CharactersOf(row[column]));
                  c->columns[column].width = FitWidth(widest);
                } else {
                  c->columns[column].width = std::max(width, 0);
                }
                return true;
              });
}

bool MemoryControls::DeleteColumn(std::string_view name, int column) {
  return With("DeleteColumn", name, std::to_string(column), [&](Control* c) {
    if (!c || !InRange(column, c->columns.size())) return false;
    c->columns.erase(c->columns.begin() + column);
    for (auto& row : c->rows) row.erase(row.begin() + column);
    return true;
  });
}

int MemoryControls::AppendRow(std::string_view name, const std::vector<std::string>& cells) {
  std::string detail;
  for (const std::string& cell : cells) detail += (detail.empty() ? "" : "|") + cell;
  return With("AppendRow", name, detail, [&](Control* c) {
    if (!c) return -1;
    std::vector<std::string> row(c->columns.size());
    for (size_t i = 0; i < row.size() && i < cells.size(); ++i) row[i] = cells[i];
    c->rows.push_back(std::move(row));
    c->toolTips.resize(c->rows.size());
    return static_cast<int>(c->rows.size()) - 1;
  });
}

ListColours MemoryControls::GetListColours(std::string_view name) {
  return With("GetListColours", name, {}, [](Control* c) { return c ? c->colours : ListColours{}; });
}

bool MemoryControls::SetCellColours(std::string_view name, int row, int column, Colour text,
                                    Colour background) {
  return With("SetCellColours", name, std::to_string(row) + "," + std::to_string(column),
              [&](Control* c) {
                if (!c || !InRange(row, c->rows.size()) || !InRange(column, c->columns.size()))
                  return false;
                c->cellColours[{row, column}] = {text, background};
                return true;
              });
}

bool MemoryControls::ResetCellColours(std::string_view name) {
  return With("ResetCellColours", name, {}, [](Control* c) {
    if (!c) return false;
    c->cellColours.clear();
    return true;
  });
}

int MemoryControls::InsertRow(std::string_view name, int row) {
  return With("InsertRow", name, std::to_string(row), [&](Control* c) {
    if (!c) return -1;
    const int count = static_cast<int>(c->rows.size());
    const int at = row < 0 || row > count ? count : row;
    c->rows.insert(c->rows.begin() + at, std::vector<std::string>(c->columns.size()));
    c->toolTips.resize(c->rows.size() - 1);
    c->toolTips.insert(c->toolTips.begin() + at, std::vector<std::string>());
    return at;
  });
}

bool MemoryControls::DeleteRow(std::string_view name, int row) {
  return With("DeleteRow", name, std::to_string(row), [&](Control* c) {
    if (!c || !InRange(row, c->rows.size())) return false;
    c->rows.erase(c->rows.begin() + row);
    if (InRange(row, c->toolTips.size())) c->toolTips.erase(c->toolTips.begin() + row);
    if (c->selectedRow >= static_cast<int>(c->rows.size())) c->selectedRow = -1;
    return true;
  });
}

bool MemoryControls::DeleteAllRows(std::string_view name) {
  return With("DeleteAllRows", name, {}, [](Control* c) {
    if (!c) return false;
    c->rows.clear();
    c->toolTips.clear();
    c->cellColours.clear();
    c->selectedRow = -1;
    return true;
  });
}

int MemoryControls::RowCount(std::string_view name) {
  return With("RowCount", name, {},
              [](Control* c) { return c ? static_cast<int>(c->rows.size()) : 0; });
}

std::string MemoryControls::GetCell(std::string_view name, int row, int column) {
  return With("GetCell", name, std::to_string(row) + "," + std::to_string(column), [&](Control* c) {
    if (!c || !InRange(row, c->rows.size()) || !InRange(column, c->rows[row].size()))
      return std::string();
    return c->rows[row][column];
  });
}

bool MemoryControls::SetCell(std::string_view name, int row, int column, std::string_view text) {
  return With("SetCell", name, std::to_string(row) + "," + std::to_string(column), [&](Control* c) {
    if (!c || !InRange(row, c->rows.size()) || !InRange(column, c->columns.size())) return false;
    c->rows[row][column] = std::string(text);
    return true;
  });
}

bool MemoryControls::SetCellToolTip(std::string_view name, int row, int column,
                                    std::string_view text) {
  return With("SetCellToolTip", name, std::to_string(row) + "," + std::to_string(column),
              [&](Control* c) {
                if (!c || !InRange(row, c->rows.size()) || !InRange(column, c->columns.size()))
                  return false;
                c->toolTips.resize(c->rows.size());
                auto& tips = c->toolTips[static_cast<size_t>(row)];
                tips.resize(c->columns.size());
                tips[static_cast<size_t>(column)] = std::string(text);
                return true;
              });
}

std::string MemoryControls::CellToolTip(std::string_view name, int row, int column) {
  std::lock_guard lock(mutex_);
  Control* c = Live(name);
  if (!c || !InRange(row, c->toolTips.size()) ||
      !InRange(column, c->toolTips[static_cast<size_t>(row)].size()))
    return {};
  return c->toolTips[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

int MemoryControls::SelectedRow(std::string_view name) {
  return With("SelectedRow", name, {}, [](Control* c) { return c ? c->selectedRow : -1; });
}

bool MemoryControls::SetSelectedRow(std::string_view name, int row) {
  return With("SetSelectedRow", name, std::to_string(row), [&](Control* c) {
    if (!c || (row != -1 && !InRange(row, c->rows.size()))) return false;
    c->selectedRow = row;
    return true;
  });
}

bool MemoryControls::Navigate(std::string_view name, std::string_view address) {
  return With("Navigate", name, address, [&](Control* c) {
    if (!c) return false;
    c->address = std::string(address);
    return true;
  });
}

bool MemoryControls::ShowHtml(std::string_view name, std::string_view html) {
  return With("ShowHtml", name, {}, [&](Control* c) {
    if (!c) return false;
    c->html = std::string(html);
    c->address = "about:blank";
    return true;
  });
}

bool MemoryControls::LoadWindow(std::string_view name, bool modal) {
  {
    std::lock_guard lock(mutex_);
    calls_.push_back("LoadWindow " + std::string(name) + (modal ? " modal" : ""));
    const auto window = windows_.find(name);
    if (window == windows_.end()) return false;
    Control self;
    controls_[std::string(name)] = self;
    for (const std::string& control : window->second) {
      Control child;
      child.window = std::string(name);
      controls_[control] = child;
    }
  }
  // A modal window's loop is the test's own: the call returns at once.
  Fire(name, ControlEvent::Created);
  Fire(name, ControlEvent::FirstActivated);
  return true;
}

bool MemoryControls::DestroyWindow(std::string_view name) {
  {
    std::lock_guard lock(mutex_);
    calls_.push_back("DestroyWindow " + std::string(name));
    if (!Live(name)) return false;
  }
  Fire(name, ControlEvent::AboutToBeDestroyed);
  std::lock_guard lock(mutex_);
  std::erase_if(controls_, [&](const auto& entry) {
    return entry.first == name || entry.second.window == name;
  });
  return true;
}

void MemoryControls::PostDestroyWindow(std::string_view name) {
  std::lock_guard lock(mutex_);
  calls_.push_back("PostDestroyWindow " + std::string(name));
  posted_.emplace_back(name);
}

bool MemoryControls::SetAlwaysOnTop(std::string_view name, bool onTop) {
  return With("SetAlwaysOnTop", name, onTop ? "1" : "0", [](Control* c) { return c != nullptr; });
}

int MemoryControls::MessageBox(std::string_view owner, std::string_view text,
                               std::string_view title, int flags, int timeoutMs) {
  std::lock_guard lock(mutex_);
  calls_.push_back("MessageBox " + std::string(title));
  boxes_.push_back({std::string(owner), std::string(text), std::string(title), flags, timeoutMs});
  if (answers_.empty()) return msgbox::kIdOk;
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void MemoryControls::Bind(std::string_view name, ControlEvent event, ControlEventHandler handler) {
  std::lock_guard lock(mutex_);
  handlers_[{std::string(name), event}] = std::move(handler);
}

}  // namespace larkbay

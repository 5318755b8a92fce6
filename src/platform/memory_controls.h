#pragma once
// The named-control interface in memory, for driving the program's logic
// without widgets: every control is a record of the properties the interface
// reaches, every call is recorded, message boxes are answered from a script.
// Thread-safe: a worker's calls and the test's checks may interleave.

#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/control_interface.h"

namespace larkbay {

class MemoryControls : public ControlInterface {
 public:
  struct Column {
    std::string title;
    int width = 0;
    ColumnAlign align = ColumnAlign::Left;
  };
  struct Control {
    std::string window;  // the window the control belongs to ("" for a window)
    std::string text;
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    ControlRect rect;
    int position = 0;
    int selectionStart = 0;
    std::vector<std::string> items;
    int currentIndex = -1;
    std::string tag;
    std::vector<Column> columns;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::vector<std::string>> toolTips;  // by row, then column
    int selectedRow = -1;
    std::string address;
    std::string html;
    bool allSelected = false;
    int fontSize = 0;
    bool centred = false;
    ListColours colours;
    // (row, column) -> (text, background) of cells drawn in their own colours.
    std::map<std::pair<int, int>, std::pair<Colour, Colour>> cellColours;
  };
  struct MessageBoxCall {
    std::string owner;
    std::string text;
    std::string title;
    int flags = 0;
    int timeoutMs = 0;
  };

  // A window and the names of its controls; LoadWindow makes them live again.
  void DefineWindow(std::string window, std::vector<std::string> controls);
  // Makes a control live now (a window's control when `window` is given).
  void Add(std::string name);
  void Add(std::string name, Control control);
  // A copy of the control's record; an empty record when it is not live.
  Control Get(std::string_view name) const;
  // Every call made so far, as "Operation name" (with the text where one was
  // passed), in order.
  std::vector<std::string> Calls() const;
  std::vector<MessageBoxCall> MessageBoxes() const;
  // The answers the next message boxes give, first to last; once used up
  // every box answers kIdOk.
  void AnswerMessageBoxes(std::vector<int> answers);
  // Runs the handler bound to the event; false when none is bound.
  bool Fire(std::string_view name, ControlEvent event, ControlEventArgs args = {});
  // Carries out the destructions asked for with PostDestroyWindow.
  void RunPosted();
  std::vector<std::string> PostedDestroys() const;
  // The control that has the keyboard focus ("" for none).
  std::string Focused() const;
  // Which window counts as active ("" for none, the start).
  void SetActiveWindow(std::string window);
  // Every menu shown so far, the latest last, with its owner.
  struct MenuCall {
    std::string owner;
    std::vector<MenuItem> menu;
  };
  std::vector<MenuCall> Menus() const;
  std::string Clipboard() const;
  // The tooltip SetCellToolTip gave the cell ("" for none).
  std::string CellToolTip(std::string_view name, int row, int column);
  // Whether SetClipboardText succeeds (true at the start).
  void SetClipboardWorks(bool works);

  bool Exists(std::string_view name) override;
  std::string GetText(std::string_view name) override;
  bool SetText(std::string_view name, std::string_view text) override;
  bool IsVisible(std::string_view name) override;
  bool SetVisible(std::string_view name, bool visible) override;
  bool IsEnabled(std::string_view name) override;
  bool SetEnabled(std::string_view name, bool enabled) override;
  ControlRect GetRect(std::string_view name) override;
  bool SetRect(std::string_view name, const ControlRect& rect) override;
  bool IsChecked(std::string_view name) override;
  bool SetChecked(std::string_view name, bool checked) override;
  bool SetPosition(std::string_view name, int position) override;
  bool SetSelectionStart(std::string_view name, int position) override;
  bool SelectAll(std::string_view name) override;
  bool SetFocus(std::string_view name) override;
  bool SetFontSize(std::string_view name, int points) override;
  bool SetTextCentred(std::string_view name, bool centred) override;

  bool ClearItems(std::string_view name) override;
  int AppendItem(std::string_view name, std::string_view text) override;
  int ItemCount(std::string_view name) override;
  std::string ItemText(std::string_view name, int index) override;
  int CurrentIndex(std::string_view name) override;
  bool SetCurrentIndex(std::string_view name, int index) override;
  std::string GetTag(std::string_view name) override;
  bool SetTag(std::string_view name, std::string_view tag) override;

  int InsertColumn(std::string_view name, std::string_view title, int width,
                   ColumnAlign align) override;
  int ColumnCount(std::string_view name) override;
  int ColumnWidth(std::string_view name, int column) override;
  bool SetColumnWidth(std::string_view name, int column, int width) override;
  bool DeleteColumn(std::string_view name, int column) override;
  int InsertRow(std::string_view name, int row) override;
  bool DeleteRow(std::string_view name, int row) override;
  bool DeleteAllRows(std::string_view name) override;
  int RowCount(std::string_view name) override;
  std::string GetCell(std::string_view name, int row, int column) override;
  bool SetCell(std::string_view name, int row, int column, std::string_view text) override;
  bool SetCellToolTip(std::string_view name, int row, int column, std::string_view text) override;
  int AppendRow(std::string_view name, const std::vector<std::string>& cells) override;
  ListColours GetListColours(std::string_view name) override;
  bool SetCellColours(std::string_view name, int row, int column, Colour text,
                      Colour background) override;
  bool ResetCellColours(std::string_view name) override;
  int SelectedRow(std::string_view name) override;
  bool SetSelectedRow(std::string_view name, int row) override;

  bool Navigate(std::string_view name, std::string_view address) override;
  bool ShowHtml(std::string_view name, std::string_view html) override;

  bool LoadWindow(std::string_view name, bool modal) override;
  bool DestroyWindow(std::string_view name) override;
  void PostDestroyWindow(std::string_view name) override;
  bool SetAlwaysOnTop(std::string_view name, bool onTop) override;
  bool IsActiveWindow(std::string_view name) override;
  bool TrackMenu(std::string_view owner, const std::vector<MenuItem>& menu) override;
  bool SetClipboardText(std::string_view text) override;

  int MessageBox(std::string_view owner, std::string_view text, std::string_view title, int flags,
                 int timeoutMs = 0) override;

  bool RunOnInterfaceThread(const std::function<void()>& work) override;
  void Bind(std::string_view name, ControlEvent event, ControlEventHandler handler) override;

 private:
  template <typename Work>
  auto With(std::string_view op, std::string_view name, std::string_view detail, Work&& work);
  Control* Live(std::string_view name);

  mutable std::mutex mutex_;
  std::map<std::string, Control, std::less<>> controls_;
  std::map<std::string, std::vector<std::string>, std::less<>> windows_;
  std::map<std::pair<std::string, ControlEvent>, ControlEventHandler> handlers_;
  std::vector<std::string> calls_;
  std::vector<MessageBoxCall> boxes_;
  std::deque<int> answers_;
  std::vector<std::string> posted_;
  std::string focused_;
  std::string activeWindow_;
  std::vector<MenuCall> menus_;
  std::string clipboard_;
  bool clipboardWorks_ = true;
};

}  // namespace larkbay

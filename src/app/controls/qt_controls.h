#pragma once
// The named-control interface on Qt Widgets. Controls are found by their
// objectName among the windows registered here; a call from another thread is
// carried out on the thread this object lives in (the interface thread) while
// the caller waits.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "platform/control_interface.h"
#include "services/menu/popup_menu.h"

class QKeyEvent;
class QTreeWidget;
class QWidget;

namespace larkbay {

class QtControls : public QObject, public ControlInterface {
  Q_OBJECT
 public:
  using WindowFactory = std::function<QWidget*()>;

  explicit QtControls(QObject* parent = nullptr);
  ~QtControls() override;

  // How LoadWindow makes the window called `name`.
  void AddWindowFactory(std::string name, WindowFactory factory);
  // Makes `window` and its named controls reachable, wires their events and
  // raises the window's Created event. Interface thread only.
  void RegisterWindow(QWidget* window);
  // The live object called `name`, or null. Interface thread only.
  QObject* Find(std::string_view name);
  QWidget* FindWidget(std::string_view name);

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
  bool SetFocus(std::string_view name) override;
  bool SetFontSize(std::string_view name, int points) override;
  bool SetTextCentred(std::string_view name, bool centred) override;
  bool SetSelectionStart(std::string_view name, int position) override;
  bool SelectAll(std::string_view name) override;

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

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  template <typename Work>
  auto OnGui(Work&& work);
  bool Fire(const std::string& name, ControlEvent event, ControlEventArgs args = {});
  // Keys of a result list: Enter plays, the menu key opens the menu. True
  // when the key was taken.
  bool ListKey(QTreeWidget* list, const QKeyEvent& key);
  void Wire(QObject* object, const std::string& name);

  std::map<std::string, QPointer<QObject>, std::less<>> objects_;
  std::map<std::string, WindowFactory, std::less<>> factories_;
  std::map<std::pair<std::string, ControlEvent>, ControlEventHandler> handlers_;
  // The result lists' menu, made again for every showing.
  PopupMenu listMenu_;
  // Where a menu opened from the keyboard shows, instead of at the cursor.
  std::optional<QPoint> menuAnchor_;
};

}  // namespace larkbay

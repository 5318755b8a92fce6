#pragma once
// The one way program code reaches windows and controls: operations on a
// control by its name. The interface knows nothing of the widget toolkit, so
// the search, download and start-up logic can be written (and tested) without
// it. Every call may come from any thread; it is carried out on the interface
// thread and returns when it is done, so a worker's updates appear in the
// order the worker made them.
//
// A name that is not a live control makes the call do nothing and give its
// empty value (false, "", 0, -1 for indices).
//
// The header is free of the widget toolkit on purpose: the GUI-free core
// (search and download logic) includes it. The Qt Widgets implementation is
// QtControls in app/controls/qt_controls.h.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace larkbay {

// Geometry in pixels relative to the parent's client area; children of a tab
// page are relative to the tab control. A window's own rectangle is its
// position on the screen and its outer size as the program sets it.
struct ControlRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const ControlRect&) const = default;
};

enum class ColumnAlign { Left, Right, Center };

// Widths SetColumnWidth takes besides pixels: the list's own fit to the
// column's contents, or to contents and header alike.
inline constexpr int kFitToContents = -1;
inline constexpr int kFitToHeader = -2;

// Colours as 0x00BBGGRR.
using Colour = std::uint32_t;
inline constexpr Colour kBlack = 0x000000;

// A list view's own text and background colours.
struct ListColours {
  Colour text = kBlack;
  Colour background = 0xFFFFFF;
};

// One item of a menu the program shows: a command, or a submenu when it has
// children (an empty submenu has none and commandId 0).
struct MenuItem {
  std::string caption;
  int commandId = 0;
  std::vector<MenuItem> children;
  bool submenu = false;
  bool operator==(const MenuItem&) const = default;
};

// Message box flags and answers, as the message texts of the program use them.
namespace msgbox {
inline constexpr int kOk = 0x00;
inline constexpr int kOkCancel = 0x01;
inline constexpr int kYesNo = 0x04;
inline constexpr int kIconError = 0x10;
inline constexpr int kIconQuestion = 0x20;
inline constexpr int kIconWarning = 0x30;
inline constexpr int kIconInformation = 0x40;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
inline constexpr int kIdTimeout = 32000;
}  // namespace msgbox

// Events that program code binds handlers to. Handlers run on the interface
// thread.
enum class ControlEvent {
  Created,             // window: built, not yet shown
  FirstActivated,      // window: shown and active for the first time
  AboutToBeDestroyed,  // window: closing (by the user or by DestroyWindow)
  Clicked,             // button, check box
  KeyPressed,          // edit box; keyCode as the key's virtual code (Enter = 13)
  LeftButtonReleased,  // transparent label
  RightButtonPressed,  // list view; row under the mouse, screen x/y
  CurrentRowChanged,   // list view; row
  DoubleClicked,       // list view; row
  MouseMoved,          // list view; row under the mouse (-1 = none)
  FocusLost,           // list view
  DocumentReady,       // HTML view; address
  BeforeNavigate,      // HTML view; address is the target; answer true to cancel
  SelectionChanged,    // combo box, tab control; row is the new index
  Tick,                // timer
};

struct ControlEventArgs {
  std::string control;
  ControlEvent event = ControlEvent::Clicked;
  int keyCode = 0;
  int row = -1;
  int x = 0;
  int y = 0;
  std::string address;
};

// Answers true only where the event can be refused (BeforeNavigate).
using ControlEventHandler = std::function<bool(const ControlEventArgs&)>;

class ControlInterface {
 public:
  virtual ~ControlInterface() = default;

  // --- every control and window
  virtual bool Exists(std::string_view name) = 0;
  // Text of an edit box (multi-line ones with CR LF line ends), caption of a
  // window, label, button, check box or group box; a combo box's current item.
  virtual std::string GetText(std::string_view name) = 0;
  virtual bool SetText(std::string_view name, std::string_view text) = 0;
  virtual bool IsVisible(std::string_view name) = 0;
  virtual bool SetVisible(std::string_view name, bool visible) = 0;
  virtual bool IsEnabled(std::string_view name) = 0;
  virtual bool SetEnabled(std::string_view name, bool enabled) = 0;
  virtual ControlRect GetRect(std::string_view name) = 0;
  virtual bool SetRect(std::string_view name, const ControlRect& rect) = 0;
  // Check box state.
  virtual bool IsChecked(std::string_view name) = 0;
  virtual bool SetChecked(std::string_view name, bool checked) = 0;
  // Progress bar position (0-100).
  virtual bool SetPosition(std::string_view name, int position) = 0;
  // Gives the control the keyboard focus.
  virtual bool SetFocus(std::string_view name) = 0;
  // Label: its font size in points, and its text centred or not.
  virtual bool SetFontSize(std::string_view name, int points) = 0;
  virtual bool SetTextCentred(std::string_view name, bool centred) = 0;

  // --- edit box: -1 puts the caret after the last character (and scrolls there)
  virtual bool SetSelectionStart(std::string_view name, int position) = 0;
  // Selects the whole text.
  virtual bool SelectAll(std::string_view name) = 0;

  // --- combo box items and selection; the tab control's selected page too
  virtual bool ClearItems(std::string_view name) = 0;
  virtual int AppendItem(std::string_view name, std::string_view text) = 0;  // index or -1
  virtual int ItemCount(std::string_view name) = 0;
  virtual std::string ItemText(std::string_view name, int index) = 0;
  virtual int CurrentIndex(std::string_view name) = 0;
  virtual bool SetCurrentIndex(std::string_view name, int index) = 0;
  // Free text kept with a control (the combo boxes keep their values here).
  virtual std::string GetTag(std::string_view name) = 0;
  virtual bool SetTag(std::string_view name, std::string_view tag) = 0;

  // --- list view (report view)
  virtual int InsertColumn(std::string_view name, std::string_view title, int width,
                           ColumnAlign align) = 0;  // index or -1
  virtual int ColumnCount(std::string_view name) = 0;
  virtual int ColumnWidth(std::string_view name, int column) = 0;
  // `width` in pixels, or kFitToContents / kFitToHeader.
  virtual bool SetColumnWidth(std::string_view name, int column, int width) = 0;
  virtual bool DeleteColumn(std::string_view name, int column) = 0;
  // row -1 appends; answers the new row's index or -1.
  virtual int InsertRow(std::string_view name, int row) = 0;
  virtual bool DeleteRow(std::string_view name, int row) = 0;
  virtual bool DeleteAllRows(std::string_view name) = 0;
  virtual int RowCount(std::string_view name) = 0;
  virtual std::string GetCell(std::string_view name, int row, int column) = 0;
  virtual bool SetCell(std::string_view name, int row, int column, std::string_view text) = 0;
  // The cell's tooltip, also its accessible description ("" removes it).
  virtual bool SetCellToolTip(std::string_view name, int row, int column,
                              std::string_view text) = 0;
  // Appends a row with the cells' texts from column 0 on (in one call, where a
  // fill would otherwise make one per cell); its index or -1.
  virtual int AppendRow(std::string_view name, const std::vector<std::string>& cells) = 0;
  virtual ListColours GetListColours(std::string_view name) = 0;
  // Draws one cell in its own colours; the list's own again with
  // ResetCellColours, which puts every cell back.
  virtual bool SetCellColours(std::string_view name, int row, int column, Colour text,
                              Colour background) = 0;
  virtual bool ResetCellColours(std::string_view name) = 0;
  virtual int SelectedRow(std::string_view name) = 0;  // -1 = none
  virtual bool SetSelectedRow(std::string_view name, int row) = 0;

  // --- HTML view
  virtual bool Navigate(std::string_view name, std::string_view address) = 0;
  virtual bool ShowHtml(std::string_view name, std::string_view html) = 0;

  // --- windows
  // Creates the window (SiteWindow: a new one each time) and shows it; a modal
  // load returns when the window has gone.
  virtual bool LoadWindow(std::string_view name, bool modal) = 0;
  virtual bool DestroyWindow(std::string_view name) = 0;
  // Asks for the destruction and returns at once; the interface thread carries
  // it out after everything the caller asked for before.
  virtual void PostDestroyWindow(std::string_view name) = 0;
  // True while the window is the active window (its caption drawn active).
  virtual bool IsActiveWindow(std::string_view name) = 0;
  // Shows `menu` at the mouse cursor, owned by the window `owner`, and returns
  // when it has closed; a chosen item reaches the owner's commands after that.
  virtual bool TrackMenu(std::string_view owner, const std::vector<MenuItem>& menu) = 0;
  // Puts `text` on the system clipboard.
  virtual bool SetClipboardText(std::string_view text) = 0;
  // Keeps a window above all others, or lets others come over it.
  virtual bool SetAlwaysOnTop(std::string_view name, bool onTop) = 0;

  // --- message box owned by a window (empty owner: none); answers msgbox::kId*.
  // timeoutMs > 0 closes the box by itself after that long (kIdTimeout).
  virtual int MessageBox(std::string_view owner, std::string_view text, std::string_view title,
                         int flags, int timeoutMs = 0) = 0;

  // --- program state a worker changes: `work` runs on the interface thread,
  // in order with the worker's control calls, and is dropped like them once
  // the worker has been stopped. False when it did not run.
  virtual bool RunOnInterfaceThread(const std::function<void()>& work) = 0;

  // --- events: one handler per control and event; a new one replaces the old.
  virtual void Bind(std::string_view name, ControlEvent event, ControlEventHandler handler) = 0;
};

}  // namespace larkbay

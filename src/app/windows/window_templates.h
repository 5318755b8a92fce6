#pragma once
// The fixed templates of the program's three windows: every control with its
// kind, parent, geometry, state, font and initial content. Controls appear in
// creation order; a later control lies above an earlier one.

#include <span>
#include <string_view>

#include "platform/control_interface.h"

namespace larkbay {

enum class ControlKind {
  Timer,
  Button,
  EditBox,
  Label,
  TransparentLabel,
  GroupBox,
  CheckBox,
  ComboBox,
  ListView,
  ProgressBar,
  PictureBox,
  TabControl,
  HtmlView,
  EmbeddedBrowser,
};

namespace control_flags {
inline constexpr unsigned kHidden = 1;
inline constexpr unsigned kDisabled = 2;
inline constexpr unsigned kHandCursor = 4;
inline constexpr unsigned kMultiLine = 8;  // edit box
}  // namespace control_flags

// Faces: "微软雅黑", GB2312, the height in pixels.
enum class FontKind { Window, YaHei11, YaHei12, YaHei16Bold };

struct ControlTemplate {
  std::string_view name;
  ControlKind kind;
  std::string_view parent;  // "" = the window; a tab control or a group box
  int page;                 // tab page index when the parent is a tab control
  ControlRect rect;
  unsigned flags;
  FontKind font;
  // Caption or text; a combo box's one item; a tab control's page captions
  // joined by "|"; a timer's interval in milliseconds.
  std::string_view content;
};

struct ColumnTemplate {
  std::string_view title;
  int width;
  ColumnAlign align;
};

struct WindowTemplate {
  std::string_view name;
  std::string_view title;
  ControlRect rect;
  std::span<const ControlTemplate> controls;
};

const WindowTemplate& StartupWindowTemplate();
const WindowTemplate& MainWindowTemplate();
const WindowTemplate& SiteWindowTemplate();

// The download list's columns, fixed at creation.
std::span<const ColumnTemplate> DownloadListColumns();

}  // namespace larkbay

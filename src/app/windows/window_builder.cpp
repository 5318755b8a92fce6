#include "app/windows/window_builder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>
#include <string>

#include "app/widgets/cover_label.h"
#include "app/widgets/html_view.h"
#include "app/widgets/picture_box.h"
#include "app/widgets/tab_control.h"
#include "app/windows/list_view_setup.h"
#include "app/windows/ui_fonts.h"

namespace larkbay {
namespace {

QString ToQ(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QWidget* MakeWidget(const ControlTemplate& control, QWidget* parent) {
  const QString content = ToQ(control.content);
  switch (control.kind) {
    case ControlKind::Button:
      return new QPushButton(content, parent);
    case ControlKind::EditBox:
      if (control.flags & control_flags::kMultiLine) {
        auto* edit = new QPlainTextEdit(parent);
        edit->setReadOnly(true);
        edit->setPlainText(content);
        return edit;
      } else {
        auto* edit = new QLineEdit(content, parent);
        edit->setCursorPosition(0);
        return edit;
      }
    case ControlKind::Label: {
      auto* label = new QLabel(content, parent);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case ControlKind::TransparentLabel: {
      auto* label = new CoverLabel(parent);
      label->setText(content);
      label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      return label;
    }
    case ControlKind::GroupBox: {
      auto* box = new QGroupBox(content, parent);
      // The caption sits on the frame's top line and the frame keeps clear of
      // the first row of labels, which starts 20 pixels down.
      box->setStyleSheet(QStringLiteral(
          "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 7px; }"
          "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
          " left: 8px; padding: 0 3px; }"));
      return box;
    }
    case ControlKind::CheckBox: {
      auto* box = new QCheckBox(content, parent);
      // The boxes are narrow (40 pixels for "最新"): keep the caption next to
      // the mark so it is not cut off.
      box->setStyleSheet(QStringLiteral("QCheckBox { spacing: 1px; }"));
      return box;
    }
    case ControlKind::ComboBox: {
      auto* combo = new QComboBox(parent);
      if (!content.isEmpty()) combo->addItem(content);
      combo->setCurrentIndex(content.isEmpty() ? -1 : 0);
      return combo;
    }
    case ControlKind::ListView:
      return MakeListView(parent);
    case ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setRange(0, 100);
      bar->setValue(0);
      bar->setTextVisible(false);
      return bar;
    }
    case ControlKind::PictureBox:
      return new PictureBox(parent);
    case ControlKind::TabControl: {
      auto* tabs = new TabControl(parent);
      for (const QString& title : content.split(QLatin1Char('|'))) tabs->AddPage(title);
      tabs->SetCurrentIndex(0);
      return tabs;
    }
    case ControlKind::HtmlView:
      return new HtmlView(parent);
    case ControlKind::EmbeddedBrowser:
      return new QWidget(parent);  // the browser engine embeds itself here
    case ControlKind::Timer:
      break;
  }
  return nullptr;
}

// What a screen reader says for the control: its caption, or else the last
// part of its name ("Song_编辑框_搜索文本" → "搜索文本"), which names its job.
QString AccessibleNameOf(const ControlTemplate& control) {
  if (!control.content.empty() && control.kind != ControlKind::EditBox &&
      control.kind != ControlKind::ComboBox && control.kind != ControlKind::TabControl)
    return ToQ(control.content);
  const std::string_view name = control.name;
  const size_t underscore = name.rfind('_');
  return ToQ(underscore == std::string_view::npos ? name : name.substr(underscore + 1));
}

// Tab goes through the controls of each page (and of the window) in reading
// order: top to bottom, then left to right.
void SetReadingOrder(const std::vector<QWidget*>& widgets) {
  std::map<QWidget*, std::vector<QWidget*>> byParent;
  for (QWidget* w : widgets)
    if (w->focusPolicy() & Qt::TabFocus) byParent[w->parentWidget()].push_back(w);
  for (auto& [parent, children] : byParent) {
    std::stable_sort(children.begin(), children.end(), [](QWidget* a, QWidget* b) {
      // Controls on one line (tops within a few pixels) read left to right.
      if (std::abs(a->y() - b->y()) > 4) return a->y() < b->y();
      return a->x() < b->x();
    });
    for (size_t i = 1; i < children.size(); ++i) QWidget::setTabOrder(children[i - 1], children[i]);
  }
}

}  // namespace

void BuildControls(const WindowTemplate& layout, QWidget* client) {
  std::map<std::string_view, QWidget*> built;
  std::vector<QWidget*> order;
  for (const ControlTemplate& control : layout.controls) {
    if (control.kind == ControlKind::Timer) {
      auto* timer = new QTimer(client);
      timer->setObjectName(ToQ(control.name));
      timer->setInterval(ToQ(control.content).toInt());
      timer->start();  // runs from the window's creation
      continue;
    }
    QWidget* parent = client;
    if (!control.parent.empty()) {
      QWidget* owner = built.at(control.parent);
      if (auto* tabs = qobject_cast<TabControl*>(owner)) {
        parent = tabs->Page(control.page);
      } else {
        parent = owner;
      }
    }
    QWidget* widget = MakeWidget(control, parent);
    widget->setObjectName(ToQ(control.name));
    widget->setGeometry(control.rect.left, control.rect.top, control.rect.width,
                        control.rect.height);
    if (auto* tabs = qobject_cast<TabControl*>(widget)) tabs->UpdateLayout();
    if (control.font != FontKind::Window) widget->setFont(UiFont(control.font));
    // Pages take the tab control's hand cursor; a control shows its own.
    if (control.flags & control_flags::kHandCursor) {
      widget->setCursor(Qt::PointingHandCursor);
    } else if (control.kind != ControlKind::EditBox) {
      widget->setCursor(Qt::ArrowCursor);
    }
    if (control.flags & control_flags::kDisabled) widget->setEnabled(false);
    widget->setVisible(!(control.flags & control_flags::kHidden));
    widget->setAccessibleName(AccessibleNameOf(control));
    built[control.name] = widget;
    order.push_back(widget);
  }
  SetReadingOrder(order);
}

}  // namespace larkbay

// The list views' columns, batched rows and cell colours in QtControls.
#include <QBrush>
#include <QFontMetricsF>
#include <QHash>
#include <QHeaderView>
#include <QPalette>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QVariant>
#include <algorithm>
#include <cmath>

#include "app/controls/qt_controls.h"
#include "app/controls/qt_controls_gui_thread.h"
#include "app/windows/list_view_setup.h"

namespace larkbay {
namespace {

QColor ToQColor(Colour colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

Colour FromQColor(const QColor& colour) {
  return static_cast<Colour>(colour.red()) | (static_cast<Colour>(colour.green()) << 8) |
         (static_cast<Colour>(colour.blue()) << 16);
}

// A little room on both sides of the widest text, as the list's own
// automatic widths leave.
constexpr int kFitMargin = 12;

constexpr char kPaintHeld[] = "larkbayPaintHeld";

// The widest cell of a column as the list's delegate would size it: the
// text's advance in the list's font and the focus frame's margin on both
// sides. A page repeats most of its cells (an artist, a duration, a mark), so
// each distinct text is measured once, and as the view itself does, a huge
// list is sized by its first rows.
int WidestCell(const QTreeWidget* list, int column) {
  const QFontMetricsF metrics(list->font());
  const int rows = std::min(list->topLevelItemCount(),
                            std::max(list->header()->resizeContentsPrecision(), 1));
  QHash<QString, qreal> measured;
  qreal widest = 0;
  for (int row = 0; row < rows; ++row) {
    const QString text = list->topLevelItem(row)->text(column);
    if (text.isEmpty()) continue;
    auto known = measured.constFind(text);
    if (known == measured.constEnd()) known = measured.insert(text, metrics.horizontalAdvance(text));
    widest = std::max(widest, *known);
  }
  if (widest <= 0) return 0;
  const int textMargin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
  return static_cast<int>(std::ceil(widest)) + 2 * textMargin;
}

}  // namespace

void HoldPainting(QWidget* widget, int holdMs) {
  if (!widget || widget->property(kPaintHeld).toInt() != 0 || !widget->updatesEnabled()) return;
  // Each hold has its own number, so the timer of an earlier hold, released
  // long ago, cannot end a later one in the middle of its rows.
  static int lastHold = 0;
  const int hold = lastHold = lastHold % 1000000 + 1;
  widget->setProperty(kPaintHeld, hold);
  widget->setUpdatesEnabled(false);
  QTimer::singleShot(holdMs, widget, [widget, hold] {
    if (widget->property(kPaintHeld).toInt() == hold) ReleasePainting(widget);
  });
}

void ReleasePainting(QWidget* widget) {
  if (!widget || widget->property(kPaintHeld).toInt() == 0) return;
  widget->setProperty(kPaintHeld, 0);
  widget->setUpdatesEnabled(true);
}

bool QtControls::SetColumnWidth(std::string_view name, int column, int width) {
  return OnGui([&] {
    auto* list = qobject_cast<QTreeWidget*>(Find(name));
    if (!list || column < 0 || column >= list->columnCount()) return false;
    if (width == kFitToContents || width == kFitToHeader) {
      int fit = WidestCell(list, column);
      if (width == kFitToHeader) fit = std::max(fit, list->header()->sectionSizeHint(column));
      width = fit + kFitMargin;
    }
    list->header()->resizeSection(column, std::max(width, 0));
    return true;
  });
}

bool QtControls::DeleteColumn(std::string_view name, int column) {
  return OnGui([&] {
    auto* list = qobject_cast<QTreeWidget*>(Find(name));
    if (!list || column < 0 || column >= list->columnCount()) return false;
    // QTreeWidget removes only trailing columns: move the later ones down.
    const int count = list->columnCount();
    QTreeWidgetItem* header = list->headerItem();
    for (int c = column; c + 1 < count; ++c) {
      header->setText(c, header->text(c + 1));
      header->setData(c, Qt::TextAlignmentRole, header->data(c + 1, Qt::TextAlignmentRole));
      list->header()->resizeSection(c, list->header()->sectionSize(c + 1));
      for (int row = 0; row < list->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list->topLevelItem(row);
        for (int role : {int(Qt::DisplayRole), int(Qt::TextAlignmentRole), int(Qt::ForegroundRole),
                         int(Qt::BackgroundRole)})
          item->setData(c, role, item->data(c + 1, role));
      }
    }
    list->setColumnCount(count - 1);
    return true;
  });
}

int QtControls::AppendRow(std::string_view name, const std::vector<std::string>& cells) {
  return OnGui([&] {
    auto* list = qobject_cast<QTreeWidget*>(Find(name));
    if (!list) return -1;
    HoldPainting(list, kListPaintHoldMs);
    auto* item = new QTreeWidgetItem;
    const int columns = list->columnCount();
    for (int column = 0; column < columns; ++column) {
      item->setTextAlignment(column, ColumnAlignment(list, column));
      if (static_cast<size_t>(column) < cells.size())
        item->setText(column, ToQString(cells[static_cast<size_t>(column)]));
    }
    list->addTopLevelItem(item);
    return list->topLevelItemCount() - 1;
  });
}

ListColours QtControls::GetListColours(std::string_view name) {
  return OnGui([&] {
    auto* list = qobject_cast<QTreeWidget*>(Find(name));
    if (!list) return ListColours{};
    const QPalette palette = list->palette();
    return ListColours{FromQColor(palette.color(QPalette::Text)),
                       FromQColor(palette.color(QPalette::Base))};
  });
}

bool QtControls::SetCellColours(std::string_view name, int row, int column, Colour text,
                                Colour background) {
  return OnGui([&] {
    auto* list = qobject_cast<QTreeWidget*>(Find(name));
    if (!list || row < 0 || row >= list->topLevelItemCount() || column < 0 ||
        column >= list->columnCount())
      return false;
    QTreeWidgetItem* item = list->topLevelItem(row);
    item->setForeground(column, ToQColor(text));
    item->setBackground(column, ToQColor(background));
    return true;
  });
}

bool QtControls::ResetCellColours(std::string_view name) {
  return OnGui([&] {
    auto* list = qobject_cast<QTreeWidget*>(Find(name));
    if (!list) return false;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
      QTreeWidgetItem* item = list->topLevelItem(row);
      for (int column = 0; column < list->columnCount(); ++column) {
        item->setData(column, Qt::ForegroundRole, QVariant());
        item->setData(column, Qt::BackgroundRole, QVariant());
      }
    }
    return true;
  });
}

}  // namespace larkbay

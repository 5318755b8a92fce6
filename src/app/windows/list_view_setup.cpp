#include "app/windows/list_view_setup.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace larkbay {

QTreeWidget* MakeListView(QWidget* parent) {
  auto* list = new QTreeWidget(parent);
  list->setColumnCount(0);
  list->setRootIsDecorated(false);
  list->setItemsExpandable(false);
  list->setUniformRowHeights(true);
  list->setAllColumnsShowFocus(true);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setMouseTracking(true);
  QHeaderView* header = list->header();
  header->setStretchLastSection(false);
  header->setSectionsMovable(false);
  header->setSectionsClickable(false);
  header->setMinimumSectionSize(0);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return list;
}

int AddListColumn(QTreeWidget* list, const QString& title, int width, ColumnAlign align) {
  const int column = list->columnCount();
  list->setColumnCount(column + 1);
  Qt::Alignment alignment = Qt::AlignLeft;
  if (align == ColumnAlign::Right) alignment = Qt::AlignRight;
  if (align == ColumnAlign::Center) alignment = Qt::AlignHCenter;
  QTreeWidgetItem* header = list->headerItem();
  header->setText(column, title);
  header->setTextAlignment(column, alignment | Qt::AlignVCenter);
  list->header()->setSectionResizeMode(column, QHeaderView::Fixed);
  list->header()->resizeSection(column, width);
  return column;
}

Qt::Alignment ColumnAlignment(QTreeWidget* list, int column) {
  const QVariant value = list->headerItem()->data(column, Qt::TextAlignmentRole);
  if (!value.isValid()) return Qt::AlignLeft | Qt::AlignVCenter;
  return Qt::Alignment(value.toInt());
}

}  // namespace larkbay

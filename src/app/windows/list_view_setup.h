#pragma once
// The list view of the windows: a report view of text rows with one selected
// row at a time; its columns are fixed in width once added.

#include <QString>

#include "platform/control_interface.h"

class QTreeWidget;
class QWidget;

namespace larkbay {

QTreeWidget* MakeListView(QWidget* parent);
// Appends a column; answers its index.
int AddListColumn(QTreeWidget* list, const QString& title, int width, ColumnAlign align);
// The alignment new cells of `column` get.
Qt::Alignment ColumnAlignment(QTreeWidget* list, int column);

}  // namespace larkbay

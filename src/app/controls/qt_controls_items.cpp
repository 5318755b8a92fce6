// The item-holding controls of QtControls: combo boxes, the tab control's
// pages, list views and HTML views.
#include <QComboBox>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include "app/controls/qt_controls.h"
#include "app/controls/qt_controls_gui_thread.h"
#include "app/widgets/html_view.h"
#include "app/widgets/tab_control.h"
#include "app/windows/list_view_setup.h"

namespace larkbay {
namespace {

QTreeWidgetItem* RowItem(QTreeWidget* list, int row) {
  if (!list || row < 0 || row >= list->topLevelItemCount()) return nullptr;
  return list->topLevelItem(row);
}

}  // namespace

bool QtControls::ClearItems(std::string_view name) {
  return OnGui([&] {
    auto* combo = qobject_cast<QComboBox*>(Find(name));
    if (!combo) return false;
    combo->clear();
    return true;
  });
}

int QtControls::AppendItem(std::string_view name, std::string_view text) {
  return OnGui([&] {
    auto* combo = qobject_cast<QComboBox*>(Find(name));
    if (!combo) return -1;
    // Adding to an empty box must not select the new item by itself.
    const int current = combo->currentIndex();
    {
      const QSignalBlocker quiet(combo);
      combo->addItem(ToQString(text));
      combo->setCurrentIndex(current);
    }
    return combo->count() - 1;
  });
}

int QtControls::ItemCount(std::string_view name) {
  return OnGui([&] {
    QObject* o = Find(name);
    if (auto* combo = qobject_cast<QComboBox*>(o)) return combo->count();
    if (auto* tabs = qobject_cast<TabControl*>(o)) return tabs->PageCount();
    return 0;
  });
}

std::string QtControls::ItemText(std::string_view name, int index) {
  return OnGui([&]() -> std::string {
    auto* combo = qobject_cast<QComboBox*>(Find(name));
    if (!combo || index < 0 || index >= combo->count()) return {};
    return ToStdString(combo->itemText(index));
  });
}

int QtControls::CurrentIndex(std::string_view name) {
  return OnGui([&] {
    QObject* o = Find(name);
    if (auto* combo = qobject_cast<QComboBox*>(o)) return combo->currentIndex();
    if (auto* tabs = qobject_cast<TabControl*>(o)) return tabs->CurrentIndex();
    return -1;
  });
}

bool QtControls::SetCurrentIndex(std::string_view name, int index) {
  return OnGui([&] {
    QObject* o = Find(name);
    if (auto* combo = qobject_cast<QComboBox*>(o)) {
      if (index < -1 || index >= combo->count()) return false;
      combo->setCurrentIndex(index);
      return true;
    }
    if (auto* tabs = qobject_cast<TabControl*>(o)) {
      if (index < 0 || index >= tabs->PageCount()) return false;
      tabs->SetCurrentIndex(index);
      return true;
    }
    return false;
  });
}

int QtControls::InsertColumn(std::string_view name, std::string_view title, int width,
                             ColumnAlign align) {
  return OnGui([&] {
    auto* list = qobject_cast<QTreeWidget*>(Find(name));
    return list ? AddListColumn(list, ToQString(title), width, align) : -1;
  });
}

int QtControls::ColumnCount(std::string_view name) {
  return OnGui([&] {
    auto* list = qobject_cast<QTreeWidget*>(Find(name));
    return list ? list->columnCount() : 0;
  });
}

int QtControls::ColumnWidth(std::string_view name, int column) {
  return OnGui([&] {
    auto* list = qobject_cast<QTreeWidget*>(Find(name));
    if (!list || column < 0 || column >= list->columnCount()) return 0;
    return list->header()->sectionSize(column);
  });
}

int QtControls::InsertRow(std::string_view name, int row) {
  return OnGui([&] {
    auto* list = qobject_cast<QTreeWidget*>(Find(name));
    if (!list) return -1;
    const int count = list->topLevelItemCount();
    const int at = row < 0 || row > count ? count : row;
    auto* item = new QTreeWidgetItem;
    for (int column = 0; column < list->columnCount(); ++column) {
      item->setTextAlignment(column, ColumnAlignment(list, column));
    }
    list->insertTopLevelItem(at, item);
    return at;
  });
}

bool QtControls::DeleteRow(std::string_view name, int row) {
  return OnGui([&] {
    auto* list = qobject_cast<QTreeWidget*>(Find(name));
    if (!RowItem(list, row)) return false;
    delete list->takeTopLevelItem(row);
    return true;
  });
}

bool QtControls::DeleteAllRows(std::string_view name) {
  return OnGui([&] {
    auto* list = qobject_cast<QTreeWidget*>(Find(name));
    if (!list) return false;
    HoldPainting(list, kListPaintHoldMs);
    list->clear();
    return true;
  });
}

int QtControls::RowCount(std::string_view name) {
  return OnGui([&] {
    auto* list = qobject_cast<QTreeWidget*>(Find(name));
    return list ? list->topLevelItemCount() : 0;
  });
}

std::string QtControls::GetCell(std::string_view name, int row, int column) {
  return OnGui([&]() -> std::string {
    QTreeWidgetItem* item = RowItem(qobject_cast<QTreeWidget*>(Find(name)), row);
    if (!item || column < 0) return {};
    return ToStdString(item->text(column));
  });
}

bool QtControls::SetCell(std::string_view name, int row, int column, std::string_view text) {
  return OnGui([&] {
    auto* list = qobject_cast<QTreeWidget*>(Find(name));
    QTreeWidgetItem* item = RowItem(list, row);
    if (!item || column < 0 || column >= list->columnCount()) return false;
    item->setText(column, ToQString(text));
    return true;
  });
}

bool QtControls::SetCellToolTip(std::string_view name, int row, int column,
                                std::string_view text) {
  return OnGui([&] {
    auto* list = qobject_cast<QTreeWidget*>(Find(name));
    QTreeWidgetItem* item = RowItem(list, row);
    if (!item || column < 0 || column >= list->columnCount()) return false;
    const QString tip = ToQString(text);
    item->setToolTip(column, tip);
    item->setData(column, Qt::AccessibleDescriptionRole, tip.isEmpty() ? QVariant() : tip);
    return true;
  });
}

int QtControls::SelectedRow(std::string_view name) {
  return OnGui([&] {
    auto* list = qobject_cast<QTreeWidget*>(Find(name));
    if (!list) return -1;
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->indexOfTopLevelItem(selected.first());
  });
}

bool QtControls::SetSelectedRow(std::string_view name, int row) {
  return OnGui([&] {
    auto* list = qobject_cast<QTreeWidget*>(Find(name));
    if (!list) return false;
    if (row == -1) {
      list->clearSelection();
      return true;
    }
    QTreeWidgetItem* item = RowItem(list, row);
    if (!item) return false;
    list->setCurrentItem(item);
    return true;
  });
}

bool QtControls::Navigate(std::string_view name, std::string_view address) {
  return OnGui([&] {
    auto* view = qobject_cast<QTextBrowser*>(Find(name));
    if (!view) return false;
    const QString text = ToQString(address);
    QUrl url(text);
    if (url.isRelative() || url.scheme().size() == 1) url = QUrl::fromLocalFile(text);
    view->setSource(url);
    return true;
  });
}

bool QtControls::ShowHtml(std::string_view name, std::string_view html) {
  return OnGui([&] {
    auto* view = qobject_cast<QTextBrowser*>(Find(name));
    if (!view) return false;
    if (auto* page = qobject_cast<HtmlView*>(view)) {
      page->ShowPage(ToQString(html));
    } else {
      view->setHtml(ToQString(html));
    }
    const std::string control(name);
    QPointer<QTextBrowser> alive = view;
    QTimer::singleShot(0, this, [this, control, alive] {
      if (!alive) return;
      ControlEventArgs args;
      args.address = "about:blank";
      Fire(control, ControlEvent::DocumentReady, args);
    });
    return true;
  });
}

}  // namespace larkbay

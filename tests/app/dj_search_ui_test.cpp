// The DJ search in the running program on the real widgets: "#all" newest
// first, a selected row's info panel, the playing mark that comes back with
// its page, and the row's menu copying its number to the clipboard.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/program.h"
#include "app_test_support.h"
#include "platform/control_names.h"
#include "search_start_steps.h"
#include "server_run.h"

using namespace larkbay;

class DjSearchUiTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<testing::TempAppData> appData_;
  testing::ServerRun server_;
  std::unique_ptr<Program> program_;

  template <typename T>
  T* Widget(const char* name) {
    return program_->Main()->findChild<T*>(QString::fromUtf8(name));
  }
  QTreeWidget* List() { return Widget<QTreeWidget>(names::kDjResultList); }
  bool RowMarked(int row) {
    QTreeWidgetItem* item = List()->topLevelItem(row);
    for (int c = 0; c < List()->columnCount(); ++c)
      if (item->foreground(c).color() != QColor(0x00, 0x88, 0xFF)) return false;
    return true;
  }
  void Click(const char* button) {
    auto* b = Widget<QPushButton>(button);
    QTRY_VERIFY(b->isEnabled());
    QTest::mouseClick(b, Qt::LeftButton);
  }

 private slots:
  void initTestCase() {
    appData_ = std::make_unique<testing::TempAppData>();
    QVERIFY2(server_.Start(), server_.Output().constData());
    ProgramOptions options;
    options.apiBase = server_.Base().toStdString();
    options.steps = [](StartupContext& c) { return testing::SearchStartSteps(c); };
    bool shown = false;
    options.mainWindowShown = [&shown] { shown = true; };
    program_ = std::make_unique<Program>(std::move(options));
    program_->Start();
    QTRY_VERIFY_WITH_TIMEOUT(shown, 15000);
  }

  void cleanupTestCase() {
    program_.reset();
    appData_.reset();
  }

  void newestFirstMarkedRowAndCopiedNumber() {
    Widget<QCheckBox>(names::kDjSortBox)->setChecked(true);
    Click(names::kDjFindButton);  // the box holds "#all" from the start
    QTRY_VERIFY_WITH_TIMEOUT(List()->topLevelItemCount() == 20, 10000);
    QCOMPARE(List()->columnCount(), 7);
    QCOMPARE(List()->headerItem()->text(0), QStringLiteral("编号"));
    QTRY_VERIFY(Widget<QLabel>(names::kDjPageLabel)->text().startsWith(QStringLiteral("共")));

    // Selecting row 2 shows its details; the caption tells the order.
    QTreeWidget* list = List();
    const QRect row1 = list->visualItemRect(list->topLevelItem(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row1.center());
    auto* panel = Widget<QGroupBox>(names::kDjInfoPanel);
    QTRY_VERIFY(panel->isVisible());
    QVERIFY2(panel->title().endsWith(QStringLiteral("[DESC]")), qPrintable(panel->title()));
    const QString number = list->topLevelItem(1)->text(0);
    QCOMPARE(Widget<QLabel>(names::kDjInfoNumber)->text(), QStringLiteral("歌曲编号：") + number);
    program_->Main()->grab().save(QDir::tempPath() + QStringLiteral("/larkbay-dj-info.png"));

    // Double-click plays it and marks the whole row; the mark comes back with
    // its page and is on no other page.
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row1.center());
    QTRY_VERIFY(RowMarked(1));
    QVERIFY(!program_->State().LastPageDigest.empty());
    Click(names::kDjNextButton);
    QTRY_COMPARE_WITH_TIMEOUT(program_->State().djSearch.Page, 2, 10000);
    QTRY_VERIFY(!RowMarked(1));
    Click(names::kDjPreviousButton);
    QTRY_COMPARE_WITH_TIMEOUT(program_->State().djSearch.Page, 1, 10000);
    QTRY_VERIFY(RowMarked(1));
    program_->Main()->grab().save(QDir::tempPath() + QStringLiteral("/larkbay-dj-marked.png"));

    // The row's menu: 其他 → 复制【歌曲编号】 puts the number on the clipboard.
    QGuiApplication::clipboard()->clear();
    QTimer::singleShot(100, [] {
      auto* top = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!top) return;
      QMenu* other = top->actions().value(2) ? top->actions()[2]->menu() : nullptr;
      if (other)
        for (QAction* action : other->actions())
          if (action->text() == QStringLiteral("复制【歌曲编号】")) action->trigger();
      top->close();
    });
    const QRect row = list->visualItemRect(list->topLevelItem(1));
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, row.center());
    QTRY_COMPARE(QGuiApplication::clipboard()->text(), number);
  }
};

QTEST_MAIN(DjSearchUiTest)
#include "dj_search_ui_test.moc"

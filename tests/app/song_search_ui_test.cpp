// The song search in the running program on the real widgets: typing and
// 查找, the filled list, paging, the row's menu at the cursor, and playing a
// row by double-click, Enter and menu in the player strip.
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>

#include "app/program.h"
#include "app/widgets/tab_control.h"
#include "app_test_support.h"
#include "platform/control_names.h"
#include "search_start_steps.h"
#include "server_run.h"

using namespace larkbay;

class SongSearchUiTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<testing::TempAppData> appData_;
  testing::ServerRun server_;
  std::unique_ptr<Program> program_;

  template <typename T>
  T* Widget(const char* name) {
    return program_->Main()->findChild<T*>(QString::fromUtf8(name));
  }
  QTreeWidget* List() { return Widget<QTreeWidget>(names::kSongResultList); }

 private slots:
  void initTestCase() {
    appData_ = std::make_unique<testing::TempAppData>();
    QVERIFY2(server_.Start(), server_.Output().constData());
    ProgramOptions options;
    options.apiBase = server_.Base().toStdString();
    // The start-up's configuration and selectors for real; nothing else.
    options.steps = [](StartupContext& c) { return testing::SearchStartSteps(c); };
    bool shown = false;
    options.mainWindowShown = [&shown] { shown = true; };
    program_ = std::make_unique<Program>(std::move(options));
    program_->Start();
    QTRY_VERIFY_WITH_TIMEOUT(shown, 15000);
    program_->Main()->findChild<TabControl*>(QString::fromUtf8(names::kTabControl))->SetCurrentIndex(1);
  }

  void cleanupTestCase() {
    program_.reset();
    appData_.reset();
  }

  void typedSearchFillsTheListAndPages() {
    auto* box = Widget<QLineEdit>(names::kSongSearchBox);
    QCOMPARE(box->text(), QStringLiteral("林小雨"));  // the default finds songs
    // Enter in the box searches; 查找 then changes nothing, the page is on show.
    box->setText(QStringLiteral(" 林小雨 "));
    QTest::keyClick(box, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(List()->topLevelItemCount(), 20, 10000);
    QTest::mouseClick(Widget<QPushButton>(names::kSongFindButton), Qt::LeftButton);
    QTRY_VERIFY(!program_->Search().songWorker.Running());
    QCOMPARE(List()->columnCount(), 10);
    QCOMPARE(List()->headerItem()->text(1), QStringLiteral("歌曲名称"));
    QCOMPARE(List()->topLevelItem(0)->text(1), QStringLiteral("晴天之后"));
    QVERIFY(List()->header()->sectionSize(1) > 40);  // fitted to the names
    QVERIFY(List()->isEnabled());
    auto* next = Widget<QPushButton>(names::kSongNextButton);
    QTRY_VERIFY(next->isEnabled());
    QTest::mouseClick(next, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(program_->State().songSearch.Page, 2, 10000);
    QTRY_VERIFY(Widget<QPushButton>(names::kSongPreviousButton)->isEnabled());
    QTest::mouseClick(Widget<QPushButton>(names::kSongPreviousButton), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(program_->State().songSearch.Page, 1, 10000);
    QTRY_COMPARE(List()->topLevelItem(0)->text(1), QStringLiteral("晴天之后"));
    // The label follows the list on the same worker; wait for it before the picture.
    QTRY_VERIFY(Widget<QLabel>(names::kSongPageLabel)->text().contains(QStringLiteral("页数[1]")));
    Widget<QWidget>(names::kTabControl)->window()->grab().save(
        QDir::tempPath() + QStringLiteral("/larkbay-song-results.png"));
  }

  void rowsPlayByDoubleClickEnterAndMenu() {
    AppProgramState& state = program_->State();
    QTreeWidget* list = List();
    const QRect row0 = list->visualItemRect(list->topLevelItem(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row0.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row0.center());
    QTRY_VERIFY(!state.LastPageDigest.empty());
    QVERIFY(state.SongRecords[0].ST.starts_with("http"));
    const std::string afterDoubleClick = state.LastPageDigest;

    // Enter on the next row plays it the same way.
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    QTRY_VERIFY(state.LastPageDigest != afterDoubleClick);
    QVERIFY(state.SongRecords[1].ST.starts_with("http"));
    const std::string afterEnter = state.LastPageDigest;

    // Right-click row 3: its menu; 播放 → 高品 plays that row in 320 kbps.
    QStringList captions;
    QTimer::singleShot(100, [&captions] {
      auto* top = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!top) return;
      for (QAction* action : top->actions()) captions << action->text();
      QMenu* play = top->actions().value(0) ? top->actions()[0]->menu() : nullptr;
      if (!play) {
        top->close();
        return;
      }
      for (QAction* action : play->actions())
        if (action->text() == QStringLiteral("播放【高品】音质320kbps")) action->trigger();
      top->close();
    });
    const QRect row2 = list->visualItemRect(list->topLevelItem(2));
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, row2.center());
    QCOMPARE(list->currentItem(), list->topLevelItem(2));
    QCOMPARE(captions, (QStringList{QStringLiteral("播放"), QStringLiteral("下载")}));
    QTRY_VERIFY(state.LastPageDigest != afterEnter);
    QVERIFY(state.SongRecords[2].HQ.starts_with("http"));

    // The menu key (and Shift+F10) opens the row's menu at the row.
    QPoint shownAt;
    QTimer::singleShot(100, [&shownAt] {
      if (auto* top = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        shownAt = top->pos();
        top->close();
      }
    });
    QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
    QVERIFY(!shownAt.isNull());
    const QRect rowRect = list->visualItemRect(list->currentItem());
    const QPoint rowBottom = list->viewport()->mapToGlobal(rowRect.bottomLeft());
    QVERIFY2(std::abs(shownAt.y() - rowBottom.y()) < 30,
             qPrintable(QStringLiteral("%1 vs %2").arg(shownAt.y()).arg(rowBottom.y())));
  }
};

QTEST_MAIN(SongSearchUiTest)
#include "song_search_ui_test.moc"

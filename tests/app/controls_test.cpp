// The named-control interface on the real windows: operations by name, calls
// from a worker carried out in order on the interface thread, events, and
// message boxes answered without a user.
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QLineEdit>
#include <QTest>
#include <QThread>
#include <QTreeWidget>
#include <atomic>
#include <memory>
#include <thread>

#include "app/controls/qt_controls.h"
#include "app/controls/qt_controls_gui_thread.h"
#include "app/windows/main_window.h"
#include "app/windows/startup_window.h"
#include "search/search_worker.h"
#include "services/menu/menu_command.h"
#include "app_test_support.h"

using namespace larkbay;

class ControlsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<testing::TempAppData> appData_;
  std::unique_ptr<QtControls> controls_;
  MainWindow* main_ = nullptr;
  StartupWindow* startup_ = nullptr;

 private slots:
  void init() {
    appData_ = std::make_unique<testing::TempAppData>();
    controls_ = std::make_unique<QtControls>();
    main_ = new MainWindow;
    startup_ = new StartupWindow;
    controls_->RegisterWindow(main_);
    controls_->RegisterWindow(startup_);
  }

  void cleanup() {
    delete main_;
    delete startup_;
    controls_.reset();
  }

  void textsByKind_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("read");
    QTest::newRow("window title") << "MainWindow" << "标题" << "标题";
    QTest::newRow("edit box") << "DJ_编辑框_搜索文本" << "#all" << "#all";
    QTest::newRow("console keeps CR LF") << "编辑框_控制台" << "a\t√\r\nb" << "a\t√\r\nb";
    QTest::newRow("label") << "标签_版本标题" << "主程序版本：2.0 Velmont"
                           << "主程序版本：2.0 Velmont";
    QTest::newRow("transparent label") << "DJ_透明标签_页数信息栏" << "第1页" << "第1页";
    QTest::newRow("button") << "DJ_按钮_查找" << "查找中" << "查找中";
    QTest::newRow("group box") << "分组框_DJ_信息" << "面板" << "面板";
    QTest::newRow("check box") << "DJ_选择框_排序" << "最新" << "最新";
  }

  void textsByKind() {
    QFETCH(QString, name);
    QFETCH(QString, written);
    QFETCH(QString, read);
    const std::string n = name.toStdString();
    QVERIFY(controls_->SetText(n, written.toStdString()));
    QCOMPARE(QString::fromStdString(controls_->GetText(n)), read);
  }

  void unknownNamesGiveEmptyValues() {
    QVERIFY(!controls_->Exists("没有"));
    QCOMPARE(controls_->GetText("没有"), std::string());
    QVERIFY(!controls_->SetText("没有", "x"));
    QCOMPARE(controls_->CurrentIndex("没有"), -1);
    QCOMPARE(controls_->RowCount("没有"), 0);
    QCOMPARE(controls_->GetRect("没有"), ControlRect{});
  }

  void stateAndGeometry() {
    QVERIFY(!controls_->IsVisible("分组框_DJ_信息"));
    QVERIFY(controls_->SetVisible("分组框_DJ_信息", true));
    QVERIFY(controls_->IsVisible("分组框_DJ_信息"));
    QVERIFY(!controls_->IsEnabled("DJ_按钮_下一页"));
    QVERIFY(controls_->SetEnabled("DJ_按钮_下一页", true));
    QVERIFY(controls_->IsEnabled("DJ_按钮_下一页"));
    QCOMPARE(controls_->GetRect("选择夹_功能栏"), (ControlRect{-1, 29, 647, 600}));
    QVERIFY(controls_->SetRect("选择夹_功能栏", {-1, 0, 647, 600}));
    QCOMPARE(controls_->GetRect("选择夹_功能栏").top, 0);
    QCOMPARE(controls_->GetRect("MainWindow"), (ControlRect{50, 50, 650, 664}));
    QVERIFY(controls_->SetRect("MainWindow", {50, 50, 650, 630}));
    QCOMPARE(main_->height(), 630);
    QVERIFY(controls_->SetChecked("DJ_选择框_排序", true));
    QVERIFY(controls_->IsChecked("DJ_选择框_排序"));
    QVERIFY(controls_->SetPosition("进度条_DJ", 140));
    QCOMPARE(main_->findChild<QProgressBar*>(QStringLiteral("进度条_DJ"))->value(), 100);
  }

  void comboBoxes() {
    const char* box = "DJ_组合框_搜索站点";
    QVERIFY(controls_->ClearItems(box));
    QCOMPARE(controls_->CurrentIndex(box), -1);
    // Filling an empty box selects nothing by itself.
    QCOMPARE(controls_->AppendItem(box, "站点一"), 0);
    QCOMPARE(controls_->AppendItem(box, "站点二"), 1);
    QCOMPARE(controls_->CurrentIndex(box), -1);
    QVERIFY(controls_->SetCurrentIndex(box, 1));
    QCOMPARE(controls_->GetText(box), std::string("站点二"));
    QCOMPARE(controls_->ItemText(box, 0), std::string("站点一"));
    QVERIFY(!controls_->SetCurrentIndex(box, 2));
    QVERIFY(controls_->SetTag(box, "a|b|"));
    QCOMPARE(controls_->GetTag(box), std::string("a|b|"));
    // The tab control's page is a selection too.
    QVERIFY(controls_->SetCurrentIndex("选择夹_功能栏", 2));
    QCOMPARE(controls_->CurrentIndex("选择夹_功能栏"), 2);
  }

  void listViews() {
    const char* list = "Song_超级列表框_搜索结果";
    QCOMPARE(controls_->InsertColumn(list, "序号", 40, ColumnAlign::Left), 0);
    QCOMPARE(controls_->InsertColumn(list, "大小", 60, ColumnAlign::Right), 1);
    QCOMPARE(controls_->ColumnCount(list), 2);
    QCOMPARE(controls_->InsertRow(list, -1), 0);
    QCOMPARE(controls_->InsertRow(list, -1), 1);
    QCOMPARE(controls_->InsertRow(list, 0), 0);  // before the first
    QVERIFY(controls_->SetCell(list, 1, 1, "3 MB"));
    QCOMPARE(controls_->GetCell(list, 1, 1), std::string("3 MB"));
    QVERIFY(!controls_->SetCell(list, 5, 0, "x"));
    auto* view = main_->findChild<QTreeWidget*>(QString::fromUtf8(list));
    QCOMPARE(Qt::Alignment(view->topLevelItem(1)->textAlignment(1)) & Qt::AlignHorizontal_Mask,
             Qt::AlignRight);
    QCOMPARE(controls_->SelectedRow(list), -1);
    QVERIFY(controls_->SetSelectedRow(list, 2));
    QCOMPARE(controls_->SelectedRow(list), 2);
    QVERIFY(controls_->SetColumnWidth(list, 1, 0));
    QCOMPARE(controls_->ColumnWidth(list, 1), 0);
    QVERIFY(controls_->DeleteRow(list, 0));
    QCOMPARE(controls_->RowCount(list), 2);
    QCOMPARE(controls_->GetCell(list, 0, 1), std::string("3 MB"));
    QVERIFY(controls_->DeleteAllRows(list));
    QCOMPARE(controls_->RowCount(list), 0);
  }

  // A worker's calls run on the interface thread, one after the other, each
  // finished before the worker goes on.
  void workerCallsRunInOrderOnTheInterfaceThread() {
    std::atomic<bool> wrongThread{false};
    controls_->Bind("DJ_按钮_查找", ControlEvent::Clicked, [&](const ControlEventArgs&) {
      if (QThread::currentThread() != qApp->thread()) wrongThread = true;
      return false;
    });
    std::atomic<bool> done{false};
    std::string seen;
    std::thread worker([&] {
      for (int i = 0; i < 50; ++i) {
        std::string text = controls_->GetText("DJ_编辑框_搜索文本");
        text += std::to_string(i) + ",";
        controls_->SetText("DJ_编辑框_搜索文本", text);
      }
      seen = controls_->GetText("DJ_编辑框_搜索文本");
      done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(done.load(), 10000);
    worker.join();
    std::string expected = "请输入内容";
    for (int i = 0; i < 50; ++i) expected += std::to_string(i) + ",";
    QCOMPARE(seen, expected);
    QCOMPARE(main_->findChild<QLineEdit*>(QStringLiteral("DJ_编辑框_搜索文本"))->text().toStdString(),
             expected);
    QVERIFY(!wrongThread);
  }

  // A search worker that keeps writing to a control while the interface
  // thread stops it and waits for its thread: the stop returns at once, and
  // nothing the stopped worker still asked for reaches the control.
  void stoppedWorkerNeitherDeadlocksNorWrites() {
    auto* edit = main_->findChild<QLineEdit*>(QStringLiteral("DJ_编辑框_搜索文本"));
    auto worker = std::make_unique<SearchWorker>();
    std::atomic<int> written{0};
    worker->Restart([&](WorkerRun& run) {
      for (int i = 0; !run.Stopped(); ++i) {
        controls_->SetText("DJ_编辑框_搜索文本", "worker " + std::to_string(i));
        ++written;
      }
      controls_->SetText("DJ_编辑框_搜索文本", "after the stop");
    });
    QTRY_VERIFY(written > 20);
    // Stop from the interface thread while the worker waits in a call: the
    // interface thread joins it without serving that call.
    QElapsedTimer clock;
    clock.start();
    worker->Stop();
    worker.reset();
    QVERIFY(clock.elapsed() < 2000);
    const QString shown = edit->text();
    QTest::qWait(100);  // a queued call of the stopped worker would land now
    QCOMPARE(edit->text(), shown);
    QVERIFY(shown != QStringLiteral("after the stop"));
  }

  // The list's columns go, fit themselves, take whole rows and draw single
  // cells in their own colours.
  void listColumnsRowsAndCellColours() {
    const char* list = "DJ_超级列表框_搜索结果";
    auto* tree = main_->findChild<QTreeWidget*>(QString::fromUtf8(list));
    for (const char* title : {"编号", "歌曲名称", "歌曲作者"})
      controls_->InsertColumn(list, title, 0, ColumnAlign::Left);
    QCOMPARE(controls_->AppendRow(list, {"7", "一首很长很长很长的歌曲名称", "DJ"}), 0);
    QCOMPARE(controls_->AppendRow(list, {"8"}), 1);
    QCOMPARE(controls_->GetCell(list, 0, 1), std::string("一首很长很长很长的歌曲名称"));
    QCOMPARE(controls_->GetCell(list, 1, 2), std::string());

    // Fit to contents follows the widest cell; fit to header is at least the
    // header's width.
    QVERIFY(controls_->SetColumnWidth(list, 1, kFitToContents));
    QVERIFY(controls_->SetColumnWidth(list, 0, kFitToContents));
    QVERIFY(controls_->ColumnWidth(list, 1) > controls_->ColumnWidth(list, 0) + 50);
    QVERIFY(controls_->SetColumnWidth(list, 0, kFitToHeader));
    QVERIFY(controls_->ColumnWidth(list, 0) >= tree->header()->sectionSizeHint(0));

    const ListColours own = controls_->GetListColours(list);
    QVERIFY(controls_->SetCellColours(list, 1, 2, 0xFF8800, own.background));
    QCOMPARE(tree->topLevelItem(1)->foreground(2).color(), QColor(0x00, 0x88, 0xFF));
    QVERIFY(!controls_->SetCellColours(list, 5, 0, 0xFF8800, own.background));

    // Deleting a column moves the later ones down, with their cells and looks.
    QVERIFY(controls_->DeleteColumn(list, 1));
    QCOMPARE(controls_->ColumnCount(list), 2);
    QCOMPARE(tree->headerItem()->text(1), QStringLiteral("歌曲作者"));
    QCOMPARE(controls_->GetCell(list, 0, 1), std::string("DJ"));
    QCOMPARE(tree->topLevelItem(1)->foreground(1).color(), QColor(0x00, 0x88, 0xFF));
    QVERIFY(controls_->ResetCellColours(list));
    QCOMPARE(tree->topLevelItem(1)->data(1, Qt::ForegroundRole), QVariant());
    while (controls_->ColumnCount(list) > 0) QVERIFY(controls_->DeleteColumn(list, 0));
    QVERIFY(!controls_->DeleteColumn(list, 0));
  }

  // A fitted column is as wide as the view itself would make it, for every
  // kind of text a page brings, however often a text repeats.
  void fittedWidthsMatchTheViewsOwn_data() {
    QTest::addColumn<QStringList>("cells");
    const auto texts = [](std::initializer_list<const char*> utf8) {
      QStringList list;
      for (const char* text : utf8) list << QString::fromUtf8(text);
      return list;
    };
    QTest::newRow("numbers") << texts({"1", "22", "100", "7"});
    QTest::newRow("Chinese names") << texts({"晴天之后 第1首", "城市日记", "夜色电音 第100期"});
    QTest::newRow("Latin and marks") << texts({"√", "Wide Wide Wide", "iiii", "√", "√"});
    QTest::newRow("repeated artist") << QStringList(40, QString::fromUtf8("林小雨"));
    QTest::newRow("empty cells among") << texts({"", "04:31", "", "62:10"});
  }
  void fittedWidthsMatchTheViewsOwn() {
    QFETCH(QStringList, cells);
    const char* list = "Song_超级列表框_搜索结果";
    auto* tree = main_->findChild<QTreeWidget*>(QString::fromUtf8(list));
    controls_->InsertColumn(list, "歌曲名称", 0, ColumnAlign::Left);
    for (const QString& cell : cells) controls_->AppendRow(list, {cell.toUtf8().toStdString()});
    QVERIFY(controls_->SetColumnWidth(list, 0, kFitToContents));
    const QAbstractItemView* view = tree;
    const int viewOwn = view->sizeHintForColumn(0);
    QVERIFY(viewOwn > 0);
    // The same width as the view's, give or take the rounding of a pixel.
    const int fitted = controls_->ColumnWidth(list, 0) - 12;
    QVERIFY2(std::abs(fitted - viewOwn) <= 1,
             qPrintable(QStringLiteral("fitted %1, view %2").arg(fitted).arg(viewOwn)));
  }

  // A list a worker fills is not painted until its page is done; the
  // timer of an earlier, already ended hold must not end a later one.
  void aPaintingHoldEndsOnlyByItsOwnTimerOrRelease() {
    auto* tree = main_->findChild<QTreeWidget*>(QString::fromUtf8("Song_超级列表框_搜索结果"));
    HoldPainting(tree, 50);
    QVERIFY(!tree->updatesEnabled());
    ReleasePainting(tree);
    QVERIFY(tree->updatesEnabled());
    HoldPainting(tree, 5000);
    QTest::qWait(200);
    QVERIFY(!tree->updatesEnabled());
    ReleasePainting(tree);
    QVERIFY(tree->updatesEnabled());
    HoldPainting(tree, 20);
    QTRY_VERIFY_WITH_TIMEOUT(tree->updatesEnabled(), 2000);
  }

  void focusLabelsActivityAndClipboard() {
    main_->show();
    QVERIFY(QTest::qWaitForWindowActive(main_));
    QVERIFY(controls_->IsActiveWindow("MainWindow"));
    QVERIFY(!controls_->IsActiveWindow("DJ_编辑框_搜索文本"));  // not a window

    QVERIFY(controls_->SetFocus("DJ_编辑框_搜索文本"));
    QVERIFY(controls_->SelectAll("DJ_编辑框_搜索文本"));
    auto* edit = main_->findChild<QLineEdit*>(QStringLiteral("DJ_编辑框_搜索文本"));
    QTRY_VERIFY(edit->hasFocus());
    QCOMPARE(edit->selectedText(), edit->text());

    auto* label = main_->findChild<QLabel*>(QStringLiteral("Song_透明标签_页数信息栏"));
    QVERIFY(controls_->SetFontSize("Song_透明标签_页数信息栏", 8));
    QVERIFY(controls_->SetTextCentred("Song_透明标签_页数信息栏", true));
    QCOMPARE(label->font().pointSize(), 8);
    QVERIFY(label->alignment() & Qt::AlignHCenter);

    QVERIFY(controls_->SetClipboardText("42 号 🌙"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("42 号 🌙"));
  }

  // A menu at the cursor: its items and submenus as given, the chosen id
  // delivered to the owner after it closes.
  void trackedMenuDeliversTheChosenCommand() {
    int chosen = 0;
    InstallMenuCommandSink(main_, [&](MenuCommandKind, int id) { chosen = id; });
    QStringList seen;
    QTimer::singleShot(50, [&] {
      auto* top = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!top) return;
      for (QAction* action : top->actions()) seen << action->text();
      QMenu* download = top->actions().value(1) ? top->actions()[1]->menu() : nullptr;
      if (!download) {
        top->close();
        return;
      }
      for (QAction* action : download->actions()) seen << action->text();
      download->actions().constLast()->trigger();
    });
    const std::vector<MenuItem> menu = {
        {"播放", 0, {{"播放【压缩】音质64kbps", 2201, {}, false}}, true},
        {"下载", 0, {{"下载【压缩】音质64kbps", 2205, {}, false}, {"下载【MV】视频", 2209, {}, false}},
         true},
    };
    QVERIFY(controls_->TrackMenu("MainWindow", menu));
    QTRY_COMPARE(chosen, 2209);
    QCOMPARE(seen, (QStringList{QStringLiteral("播放"), QStringLiteral("下载"),
                                QStringLiteral("下载【压缩】音质64kbps"),
                                QStringLiteral("下载【MV】视频")}));
  }

  void events() {
    std::vector<std::pair<std::string, int>> seen;
    auto record = [&seen](const ControlEventArgs& args) {
      seen.emplace_back(args.control, args.event == ControlEvent::KeyPressed ? args.keyCode : args.row);
      return false;
    };
    controls_->Bind("Song_编辑框_搜索文本", ControlEvent::KeyPressed, record);
    controls_->Bind("Song_按钮_查找", ControlEvent::Clicked, record);
    controls_->Bind("Song_超级列表框_搜索结果", ControlEvent::DoubleClicked, record);
    controls_->Bind("Song_超级列表框_搜索结果", ControlEvent::CurrentRowChanged, record);
    controls_->SetCurrentIndex("选择夹_功能栏", 1);
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_));
    auto* edit = main_->findChild<QLineEdit*>(QStringLiteral("Song_编辑框_搜索文本"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::mouseClick(main_->findChild<QPushButton*>(QStringLiteral("Song_按钮_查找")), Qt::LeftButton);
    const char* list = "Song_超级列表框_搜索结果";
    controls_->InsertColumn(list, "名", 100, ColumnAlign::Left);
    controls_->InsertRow(list, -1);
    controls_->InsertRow(list, -1);
    controls_->SetCell(list, 1, 0, "歌");
    auto* view = main_->findChild<QTreeWidget*>(QString::fromUtf8(list));
    const QPoint at = view->visualItemRect(view->topLevelItem(1)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    const std::vector<std::pair<std::string, int>> expected{
        {"Song_编辑框_搜索文本", 13},
        {"Song_按钮_查找", -1},
        {"Song_超级列表框_搜索结果", 1},
        {"Song_超级列表框_搜索结果", 1},
    };
    QCOMPARE(seen, expected);
  }

  void messageBoxFromWorker_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("answer");
    QTest::newRow("ok") << int(QMessageBox::Ok) << msgbox::kIdOk;
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << msgbox::kIdCancel;
  }

  void messageBoxFromWorker() {
    QFETCH(int, button);
    QFETCH(int, answer);
    auto seen = testing::AnswerNextMessageBox(QMessageBox::StandardButton(button));
    std::atomic<int> result{0};
    std::thread worker([&] {
      result = controls_->MessageBox("StartupWindow", "第一行\r\n第二行", "标题",
                                     msgbox::kOkCancel | msgbox::kIconQuestion);
    });
    QTRY_VERIFY_WITH_TIMEOUT(result.load() != 0, 10000);
    worker.join();
    QCOMPARE(result.load(), answer);
    QCOMPARE(seen->title, QStringLiteral("标题"));
    QCOMPARE(seen->text, QStringLiteral("第一行\n第二行"));
    QCOMPARE(seen->icon, QMessageBox::Question);
    QCOMPARE(seen->buttons, QMessageBox::Ok | QMessageBox::Cancel);
  }

  void timedMessageBoxClosesItself() {
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(controls_->MessageBox("", "稍后关闭", "提示", msgbox::kOk, 100), msgbox::kIdTimeout);
    QVERIFY(clock.elapsed() < 5000);
  }

  // The start-up window lets a notice over it and back, while it stays
  // shown and modal.
  void alwaysOnTopSwitchesOnAShownModalWindow() {
    controls_->AddWindowFactory("StartupWindow", [] { return new StartupWindow; });
    bool stillShown = false;
    bool hintOff = false;
    bool hintOn = false;
    bool hintAtStart = false;
    controls_->Bind("StartupWindow", ControlEvent::FirstActivated, [&](const ControlEventArgs&) {
      QWidget* window = controls_->FindWidget("StartupWindow");
      const auto onTop = [window] {
        return (window->windowHandle()->flags() & Qt::WindowStaysOnTopHint) != 0;
      };
      hintAtStart = onTop();
      hintOff = controls_->SetAlwaysOnTop("StartupWindow", false) && !onTop();
      hintOn = controls_->SetAlwaysOnTop("StartupWindow", true) && onTop();
      QCoreApplication::processEvents();
      stillShown = window->isVisible() && QApplication::activeModalWidget() == window;
      controls_->DestroyWindow("StartupWindow");
      return false;
    });
    delete startup_;
    startup_ = nullptr;
    QVERIFY(controls_->LoadWindow("StartupWindow", true));
    QVERIFY(hintAtStart);
    QVERIFY(hintOff);
    QVERIFY(hintOn);
    QVERIFY(stillShown);
    QVERIFY(!controls_->SetAlwaysOnTop("no such window", true));
  }

  void windowsLoadAndGo() {
    bool created = false;
    bool destroyed = false;
    controls_->AddWindowFactory("StartupWindow", [] { return new StartupWindow; });
    controls_->Bind("StartupWindow", ControlEvent::Created, [&](const ControlEventArgs&) {
      created = true;
      return false;
    });
    controls_->Bind("StartupWindow", ControlEvent::FirstActivated, [&](const ControlEventArgs&) {
      controls_->DestroyWindow("StartupWindow");  // ends the modal load
      return false;
    });
    controls_->Bind("StartupWindow", ControlEvent::AboutToBeDestroyed,
                    [&](const ControlEventArgs&) {
                      destroyed = true;
                      return false;
                    });
    delete startup_;
    startup_ = nullptr;
    QVERIFY(controls_->LoadWindow("StartupWindow", true));
    QVERIFY(created);
    QVERIFY(destroyed);
    QTRY_VERIFY(!controls_->Exists("StartupWindow"));
  }
};

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"

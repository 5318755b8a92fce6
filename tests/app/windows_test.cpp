// The three windows as built: every control of the templates, the tab pages,
// the download list's columns, the fonts, the logo and the covering labels.
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "app/controls/qt_controls.h"
#include "app/widgets/picture_box.h"
#include "app/widgets/tab_control.h"
#include "app/windows/main_window.h"
#include "app/windows/site_window.h"
#include "app/windows/startup_window.h"
#include "app_test_support.h"

using namespace larkbay;

namespace {

const QString kSupport = QStringLiteral("请大家支持正版！！！    禁止进行售卖！！！");
const QString kTabs = QStringLiteral("选择夹_功能栏");
const QString kInfo = QStringLiteral("分组框_DJ_信息");

struct Row {
  const char* window;
  const char* name;
  const char* kind;  // class the control must be
  QString parent;    // "" = the window's client area
  int page;
  QRect rect;
  bool hidden, disabled, hand;
  QString text;
  int fontPixels;  // 12 = the window's font
  bool bold;
};

QList<Row> Rows() {
  const QString none;
  return {
      {"StartupWindow", "标签_版本标题", "QLabel", none, 0, {125, 150, 200, 30}, false, true, false, none, 12, false},
      {"StartupWindow", "编辑框_控制台", "QPlainTextEdit", none, 0, {125, 180, 200, 100}, false, true, false, none, 12, false},
      {"StartupWindow", "图片框_Logo", "larkbay::PictureBox", none, 0, {0, 0, 400, 150}, false, true, false, none, 12, false},
      {"MainWindow", "超文本浏览框_播放器", "QTextBrowser", none, 0, {-1, -1, 650, 30}, false, false, false, none, 12, false},
      {"MainWindow", "水星领航员1", "QWidget", none, 0, {-3, 0, 650, 61}, false, false, false, none, 12, false},
      {"MainWindow", "选择夹_功能栏", "larkbay::TabControl", none, 0, {-1, 29, 647, 600}, false, false, true, none, 12, false},
      {"MainWindow", "DJ_组合框_搜索类型", "QComboBox", kTabs, 0, {10, 35, 100, 30}, false, false, true, QStringLiteral("歌名搜索"), 16, true},
      {"MainWindow", "DJ_编辑框_搜索文本", "QLineEdit", kTabs, 0, {115, 35, 225, 30}, false, false, false, QStringLiteral("请输入内容"), 12, false},
      {"MainWindow", "DJ_组合框_搜索站点", "QComboBox", kTabs, 0, {345, 35, 150, 30}, false, false, false, QStringLiteral("DJ娱乐网"), 16, true},
      {"MainWindow", "DJ_透明标签_遮挡搜索站点", "larkbay::CoverLabel", kTabs, 0, {345, 35, 150, 30}, false, false, true, none, 12, false},
      {"MainWindow", "DJ_选择框_排序", "QCheckBox", kTabs, 0, {500, 35, 40, 30}, false, false, true, QStringLiteral("最新"), 12, false},
      {"MainWindow", "DJ_按钮_查找", "QPushButton", kTabs, 0, {550, 35, 85, 30}, false, false, true, QStringLiteral("查找"), 12, false},
      {"MainWindow", "进度条_DJ", "QProgressBar", kTabs, 0, {10, 65, 625, 10}, false, true, false, none, 12, false},
      {"MainWindow", "DJ_超级列表框_搜索结果", "QTreeWidget", kTabs, 0, {10, 75, 625, 300}, false, false, false, none, 12, false},
      {"MainWindow", "DJ_透明标签_遮挡超级列表框", "larkbay::CoverLabel", kTabs, 0, {10, 75, 620, 26}, false, false, false, none, 12, false},
      {"MainWindow", "DJ_透明标签_页数信息栏", "larkbay::CoverLabel", kTabs, 0, {15, 380, 430, 30}, false, true, false, kSupport, 12, false},
      {"MainWindow", "DJ_按钮_上一页", "QPushButton", kTabs, 0, {460, 380, 80, 30}, false, true, true, QStringLiteral("上一页"), 12, false},
      {"MainWindow", "DJ_按钮_下一页", "QPushButton", kTabs, 0, {550, 380, 85, 30}, false, true, true, QStringLiteral("下一页"), 12, false},
      {"MainWindow", "分组框_DJ_信息", "QGroupBox", kTabs, 0, {10, 420, 625, 140}, true, true, false, QStringLiteral("歌曲信息面板"), 12, false},
      {"MainWindow", "DJ_信息_标签_搜索方式", "larkbay::CoverLabel", kInfo, 0, {10, 20, 605, 15}, false, true, false, QStringLiteral("当前搜索方式："), 11, false},
      {"MainWindow", "DJ_信息_标签_歌曲编号", "larkbay::CoverLabel", kInfo, 0, {10, 40, 605, 15}, false, true, false, QStringLiteral("歌曲编号："), 12, false},
      {"MainWindow", "DJ_信息_标签_歌曲名称", "larkbay::CoverLabel", kInfo, 0, {10, 60, 605, 15}, false, true, false, QStringLiteral("歌曲名称："), 12, false},
      {"MainWindow", "DJ_信息_标签_作者名称", "larkbay::CoverLabel", kInfo, 0, {10, 80, 300, 15}, false, true, false, QStringLiteral("作者名称：    "), 12, false},
      {"MainWindow", "DJ_信息_标签_歌曲时长_歌曲大小", "larkbay::CoverLabel", kInfo, 0, {10, 100, 300, 15}, false, true, false, QStringLiteral("歌曲时长：        歌曲大小：     "), 12, false},
      {"MainWindow", "DJ_信息_标签_更新日期", "larkbay::CoverLabel", kInfo, 0, {10, 120, 300, 15}, false, true, false, QStringLiteral("更新日期："), 12, false},
      {"MainWindow", "Song_编辑框_搜索文本", "QLineEdit", kTabs, 1, {10, 35, 400, 30}, false, false, false, QStringLiteral("请输入内容"), 12, false},
      {"MainWindow", "Song_组合框_搜索站点", "QComboBox", kTabs, 1, {415, 35, 130, 30}, false, false, true, QStringLiteral("QQ音乐"), 16, true},
      {"MainWindow", "Song_按钮_查找", "QPushButton", kTabs, 1, {550, 35, 85, 30}, false, false, true, QStringLiteral("查找"), 12, false},
      {"MainWindow", "进度条_Song", "QProgressBar", kTabs, 1, {10, 65, 625, 10}, false, true, false, none, 12, false},
      {"MainWindow", "Song_超级列表框_搜索结果", "QTreeWidget", kTabs, 1, {10, 75, 625, 300}, false, false, false, none, 12, false},
      {"MainWindow", "Song_透明标签_遮挡超级列表框", "larkbay::CoverLabel", kTabs, 1, {10, 75, 620, 26}, false, false, false, none, 12, false},
      {"MainWindow", "Song_透明标签_页数信息栏", "larkbay::CoverLabel", kTabs, 1, {15, 380, 430, 30}, false, true, false, kSupport, 12, false},
      {"MainWindow", "Song_按钮_上一页", "QPushButton", kTabs, 1, {460, 380, 80, 30}, false, true, true, QStringLiteral("上一页"), 12, false},
      {"MainWindow", "Song_按钮_下一页", "QPushButton", kTabs, 1, {550, 380, 85, 30}, false, true, true, QStringLiteral("下一页"), 12, false},
      {"MainWindow", "超级列表框_下载管理模块", "QTreeWidget", kTabs, 2, {10, 35, 625, 340}, false, false, false, none, 12, false},
      {"MainWindow", "Song_透明标签_遮挡超级列表框1", "larkbay::CoverLabel", kTabs, 2, {10, 35, 620, 26}, false, false, false, none, 12, false},
      {"MainWindow", "按钮_下载到", "QPushButton", kTabs, 2, {10, 385, 70, 30}, false, false, true, QStringLiteral("下载到："), 12, false},
      {"MainWindow", "编辑框_保存位置", "QLineEdit", kTabs, 2, {90, 385, 420, 30}, false, true, true, none, 12, false},
      {"MainWindow", "按钮_保存位置", "QPushButton", kTabs, 2, {520, 385, 110, 30}, false, false, true, QStringLiteral("浏览目录"), 12, false},
      {"SiteWindow", "超文本浏览框", "QTextBrowser", none, 0, {0, 0, 490, 465}, false, false, false, none, 12, false},
  };
}

}  // namespace

class WindowsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<testing::TempAppData> appData_;
  std::unique_ptr<MainWindow> main_;
  std::unique_ptr<StartupWindow> startup_;
  std::unique_ptr<SiteWindow> site_;

  QWidget* Window(const QString& name) {
    if (name == QStringLiteral("MainWindow")) return main_.get();
    if (name == QStringLiteral("StartupWindow")) return startup_.get();
    return site_.get();
  }
  QWidget* Control(const char* name) {
    for (QWidget* window : {static_cast<QWidget*>(main_.get()), static_cast<QWidget*>(startup_.get()),
                            static_cast<QWidget*>(site_.get())}) {
      if (auto* w = window->findChild<QWidget*>(QString::fromUtf8(name))) return w;
    }
    return nullptr;
  }

 private slots:
  void initTestCase() {
    appData_ = std::make_unique<testing::TempAppData>();
    main_ = std::make_unique<MainWindow>();
    startup_ = std::make_unique<StartupWindow>();
    site_ = std::make_unique<SiteWindow>();
    // Deleted by the unique pointers, not on close.
    for (QWidget* w : {static_cast<QWidget*>(main_.get()), static_cast<QWidget*>(startup_.get()),
                       static_cast<QWidget*>(site_.get())}) {
      w->setAttribute(Qt::WA_DeleteOnClose, false);
    }
  }

  void cleanupTestCase() {
    site_.reset();
    startup_.reset();
    main_.reset();
  }

  void windows() {
    QCOMPARE(main_->objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(main_->windowTitle(),
             QStringLiteral("Lark-Bay 解析工具2.0   Velmont 【bbs.lark-bay.net】 Lark-Bay 制作"));
    QCOMPARE(QRect(main_->pos(), main_->size()), QRect(50, 50, 650, 664));
    QVERIFY(!main_->windowIcon().isNull());
    QCOMPARE(startup_->windowTitle(), QString());
    QCOMPARE(QRect(startup_->pos(), startup_->size()), QRect(50, 50, 400, 380));
    QVERIFY(startup_->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(site_->windowTitle(), QStringLiteral("选择站点"));
    QCOMPARE(QRect(site_->pos(), site_->size()), QRect(50, 50, 500, 500));
    // The system menu is reachable from the main window's menu bar.
    auto* menu = main_->findChild<QMenu*>(QStringLiteral("SystemMenu"));
    QVERIFY(menu);
    QVERIFY(main_->menuBar()->actions().contains(menu->menuAction()));
    // The dot timer runs from creation, once a second.
    auto* timer = startup_->findChild<QTimer*>(QStringLiteral("时钟1"));
    QVERIFY(timer);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 1000);
  }

  void controls_data() {
    QTest::addColumn<int>("index");
    const QList<Row> rows = Rows();
    for (int i = 0; i < rows.size(); ++i) QTest::newRow(rows[i].name) << i;
  }

  void controls() {
    QFETCH(int, index);
    const Row row = Rows()[index];
    QWidget* window = Window(QString::fromLatin1(row.window));
    QWidget* w = window->findChild<QWidget*>(QString::fromUtf8(row.name));
    QVERIFY2(w, row.name);
    QVERIFY2(w->inherits(row.kind), w->metaObject()->className());
    QCOMPARE(w->geometry(), row.rect);
    if (row.parent.isEmpty()) {
      QWidget* client = qobject_cast<QMainWindow*>(window)
                            ? qobject_cast<QMainWindow*>(window)->centralWidget()
                            : window;
      QCOMPARE(w->parentWidget(), client);
    } else if (row.parent == kTabs) {
      auto* tabs = window->findChild<TabControl*>(kTabs);
      QCOMPARE(w->parentWidget(), tabs->Page(row.page));
      // The page spans the tab control, so page places are tab-control places.
      QCOMPARE(w->parentWidget()->geometry(), QRect(QPoint(0, 0), tabs->size()));
    } else {
      QCOMPARE(w->parentWidget()->objectName(), row.parent);
    }
    QCOMPARE(w->isHidden(), row.hidden);
    QCOMPARE(w->isEnabled(), !row.disabled);
    QCOMPARE(w->cursor().shape() == Qt::PointingHandCursor, row.hand);
    QString text;
    if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) text = edit->text();
    if (auto* group = qobject_cast<QGroupBox*>(w)) text = group->title();
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
      QCOMPARE(combo->count(), 1);
      QCOMPARE(combo->currentIndex(), 0);
      text = combo->currentText();
    }
    QCOMPARE(text, row.text);
    // Captions fit their controls (nothing cut off at the designed sizes).
    if (!text.trimmed().isEmpty()) {
      QVERIFY(QFontMetrics(w->font()).horizontalAdvance(text.trimmed()) <= w->width());
    }
    if (auto* check = qobject_cast<QCheckBox*>(w)) {
      QVERIFY2(check->sizeHint().width() <= w->width(), qPrintable(QString::number(check->sizeHint().width())));
    }
    QCOMPARE(w->font().pixelSize(), row.fontPixels);
    QCOMPARE(w->font().bold(), row.bold);
    // The designed face is missing here; an installed CJK face stands in.
    const QString family = QFontInfo(w->font()).family();
    QVERIFY2(family.contains(QStringLiteral("CJK")) || family.contains(QStringLiteral("YaHei")) ||
                 family.contains(QStringLiteral("雅黑")),
             qPrintable(family));
    if (auto* check = qobject_cast<QCheckBox*>(w)) QVERIFY(!check->isChecked());
    if (auto* bar = qobject_cast<QProgressBar*>(w)) {
      QCOMPARE(bar->minimum(), 0);
      QCOMPARE(bar->maximum(), 100);
      QCOMPARE(bar->value(), 0);
    }
  }

  void tabPages() {
    auto* tabs = main_->findChild<TabControl*>(kTabs);
    QCOMPARE(tabs->PageCount(), 3);
    QCOMPARE(tabs->TabBar()->tabText(0), QStringLiteral("DJ高品模块"));
    QCOMPARE(tabs->TabBar()->tabText(1), QStringLiteral("音乐高品模块"));
    QCOMPARE(tabs->TabBar()->tabText(2), QStringLiteral("下载管理模块"));
    QCOMPARE(tabs->CurrentIndex(), 0);
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    auto* songEdit = Control("Song_编辑框_搜索文本");
    QVERIFY(!songEdit->isVisible());
    // The user switches pages with the tabs.
    QTest::mouseClick(tabs->TabBar(), Qt::LeftButton, {}, tabs->TabBar()->tabRect(1).center());
    QCOMPARE(tabs->CurrentIndex(), 1);
    QVERIFY(songEdit->isVisible());
    QVERIFY(!Control("DJ_编辑框_搜索文本")->isVisible());
    tabs->SetCurrentIndex(0);
    main_->hide();
  }

  void downloadColumns() {
    auto* list = qobject_cast<QTreeWidget*>(Control("超级列表框_下载管理模块"));
    const QStringList titles{QStringLiteral("序号"),     QStringLiteral("文件名"),
                             QStringLiteral("文件大小"), QStringLiteral("下载进度"),
                             QStringLiteral("下载状态"), QStringLiteral("下载标识")};
    const QList<int> widths{42, 350, 76, 76, 76, 0};
    QCOMPARE(list->columnCount(), 6);
    for (int c = 0; c < 6; ++c) {
      QCOMPARE(list->headerItem()->text(c), titles[c]);
      QCOMPARE(list->header()->sectionSize(c), widths[c]);
      const auto align = Qt::Alignment(list->headerItem()->textAlignment(c)) & Qt::AlignHorizontal_Mask;
      QCOMPARE(align, c == 3 ? Qt::AlignRight : Qt::AlignLeft);
    }
    // The search lists get their columns from the searches.
    QCOMPARE(qobject_cast<QTreeWidget*>(Control("DJ_超级列表框_搜索结果"))->columnCount(), 0);
  }

  void logo() {
    auto* logo = qobject_cast<PictureBox*>(Control("图片框_Logo"));
    QCOMPARE(logo->Picture().size(), QSize(402, 180));
    // Drawn as it is even though the box is disabled.
    startup_->show();
    QVERIFY(QTest::qWaitForWindowExposed(startup_.get()));
    const QImage shot = logo->grab().toImage();
    QCOMPARE(shot.pixelColor(200, 10).rgb(), logo->Picture().pixelColor(200, 10).rgb());
    startup_->hide();
  }

  // A click on a list header lands on its covering label: the header is never
  // clicked and its columns cannot be dragged wider.
  void headerCovers_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("cover");
    QTest::newRow("dj") << 0 << QStringLiteral("DJ_超级列表框_搜索结果")
                        << QStringLiteral("DJ_透明标签_遮挡超级列表框");
    QTest::newRow("song") << 1 << QStringLiteral("Song_超级列表框_搜索结果")
                          << QStringLiteral("Song_透明标签_遮挡超级列表框");
    QTest::newRow("downloads") << 2 << QStringLiteral("超级列表框_下载管理模块")
                               << QStringLiteral("Song_透明标签_遮挡超级列表框1");
  }

  void headerCovers() {
    QFETCH(int, page);
    QFETCH(QString, list);
    QFETCH(QString, cover);
    auto* tabs = main_->findChild<TabControl*>(kTabs);
    tabs->SetCurrentIndex(page);
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    auto* view = main_->findChild<QTreeWidget*>(list);
    if (view->columnCount() == 0) {
      view->setColumnCount(2);
      view->header()->resizeSection(0, 100);
    }
    QSignalSpy clicked(view->header(), &QHeaderView::sectionClicked);
    QSignalSpy pressed(view->header(), &QHeaderView::sectionPressed);
    const int widthBefore = view->header()->sectionSize(0);
    // Through the window, as a real mouse: at the boundary of column 0, drag right.
    QWindow* handle = main_->windowHandle();
    const QPoint edge = view->header()->mapTo(main_.get(), QPoint(widthBefore - 1, 5));
    QCOMPARE(main_->childAt(edge)->objectName(), cover);
    QTest::mousePress(handle, Qt::LeftButton, {}, edge);
    QTest::mouseMove(handle, edge + QPoint(60, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, edge + QPoint(60, 0));
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(pressed.count(), 0);
    QCOMPARE(view->header()->sectionSize(0), widthBefore);
    tabs->SetCurrentIndex(0);
    main_->hide();
  }

  // A click on the DJ site box reaches its covering label, never the box.
  void siteBoxCover() {
    QtControls controls;
    controls.RegisterWindow(main_.get());
    int released = 0;
    controls.Bind("DJ_透明标签_遮挡搜索站点", ControlEvent::LeftButtonReleased,
                  [&released](const ControlEventArgs&) {
                    ++released;
                    return false;
                  });
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    auto* combo = main_->findChild<QComboBox*>(QStringLiteral("DJ_组合框_搜索站点"));
    const QPoint at = combo->mapTo(main_.get(), QPoint(140, 15));  // the drop-down arrow
    QTest::mouseClick(main_->windowHandle(), Qt::LeftButton, {}, at);
    QCOMPARE(released, 1);
    QVERIFY(!combo->view()->isVisible());
    main_->hide();
  }

  // Every control tells a screen reader what it is, and Tab goes through a
  // page in reading order.
  void controlsHaveNamesAndReadingOrder() {
    MainWindow window;
    for (QWidget* w : window.findChildren<QWidget*>()) {
      if (w->objectName().isEmpty() || w->objectName().startsWith(QStringLiteral("qt_"))) continue;
      if (w->objectName() == QStringLiteral("SystemMenu") ||
          w->objectName().endsWith(QStringLiteral("_client")))
        continue;  // the menu and the window's own client area
      QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
    }
    QCOMPARE(window.findChild<QWidget*>(QStringLiteral("Song_编辑框_搜索文本"))->accessibleName(),
             QStringLiteral("搜索文本"));
    QCOMPARE(window.findChild<QWidget*>(QStringLiteral("DJ_按钮_查找"))->accessibleName(),
             QStringLiteral("查找"));

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* first = window.findChild<QWidget*>(QStringLiteral("DJ_组合框_搜索类型"));
    first->setFocus();
    QStringList order;
    QWidget* at = first;
    for (int i = 0; i < 5; ++i) {
      order << at->objectName();
      do {
        at = at->nextInFocusChain();
      } while (at != first && (!(at->focusPolicy() & Qt::TabFocus) || !at->isVisible() ||
                               at->objectName().isEmpty()));
    }
    QCOMPARE(order, (QStringList{QStringLiteral("DJ_组合框_搜索类型"), QStringLiteral("DJ_编辑框_搜索文本"),
                                 QStringLiteral("DJ_组合框_搜索站点"), QStringLiteral("DJ_选择框_排序"),
                                 QStringLiteral("DJ_按钮_查找")}));
  }
};

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"

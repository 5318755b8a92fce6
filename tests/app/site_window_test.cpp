// The site chooser on the real windows: the site table page in its GBK bytes
// shown by the legacy HTML view, its page file dropped once loaded, a clicked
// site link taken into the DJ site box, and the view's browser manners (no
// menu, no scroll bars, links only reported).
#include "app/windows/site_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <memory>
#include <string>

#include "app/controls/qt_controls.h"
#include "app/widgets/html_view.h"
#include "app/windows/main_window.h"
#include "app/windows/site_window_binding.h"
#include "app_test_support.h"
#include "platform/app_data_dir.h"
#include "platform/control_names.h"
#include "services/script/site_table_script.h"
#include "services/text/text_helpers.h"
#include "state/program_state.h"

using namespace larkbay;

namespace {

const QStringList kSites = {QStringLiteral("DJ娱乐网"), QStringLiteral("清风DJ音乐网"),
                            QStringLiteral("水晶DJ网"), QStringLiteral("鼓王音乐网"),
                            QStringLiteral("DJ嗨嗨网"), QStringLiteral("深港DJ舞曲网"),
                            QStringLiteral("蓝调𠀾网")};  // the last one is outside GBK

// The site table page as the start-up builds it: the script's table in the
// page template, as GB18030 bytes.
std::string SiteTablePageBytes() {
  std::string json = "[";
  for (int i = 0; i < kSites.size(); ++i) {
    if (i) json += ",";
    json += "{\"key\":\"" + kSites[i].toStdString() + "\",\"value\":\"site" +
            std::to_string(i + 1) + "\"}";
  }
  json += "]";
  std::string page =
      "<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"gbk\"><meta "
      "name=\"viewport\"content=\"width=device-width, initial-scale=1.0\"><title>LarK-Bay</title>"
      "</head><body><div id=\"info\">#HTML#</div></body><style>*{padding:0px;margin:0px;font-size:"
      "15px}td:hover{background:#edffcf;font-size:18px}td{width:150px;height:30px;padding:10px}."
      "table{margin:0 auto;height:300px;width:700px}th,td{border:solid 1px black;text-align:"
      "center}a:link{text-decoration:none}a:visited{text-decoration:none}a:hover{color:#000000}"
      "a{color:#999999}</style></html>";
  page.replace(page.find("#HTML#"), 6, RunSiteTableScript(json));
  return TextToGbk(page);
}

// Where the link to `href` is drawn, in the view's viewport; (-1, -1) when the
// document has no such link.
QPoint AnchorPoint(QTextBrowser* view, const QString& href) {
  QTextDocument* document = view->document();
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.isValid() || fragment.charFormat().anchorHref() != href) continue;
      QTextCursor cursor(document);
      cursor.setPosition(fragment.position() + fragment.length() / 2);
      return view->cursorRect(cursor).center();
    }
  }
  return {-1, -1};
}

QTextCharFormat LinkFormat(QTextBrowser* view, const QString& href) {
  for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      if (it.fragment().charFormat().anchorHref() == href) return it.fragment().charFormat();
    }
  }
  return {};
}

bool AnyMenuShown() {
  if (QApplication::activePopupWidget()) return true;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (qobject_cast<QMenu*>(w) && w->isVisible()) return true;
  }
  return false;
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

}  // namespace

class SiteWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<testing::TempAppData> appData_;
  std::string dataDir_;
  ProgramState state_;
  std::unique_ptr<QtControls> controls_;
  std::unique_ptr<MainWindow> main_;

  QString PagePath() const {
    return QString::fromStdString(dataDir_) + QStringLiteral("data/Lark-Bay_Search_Web.html");
  }
  HtmlView* View() { return qobject_cast<HtmlView*>(controls_->FindWidget(names::kSiteView)); }
  QComboBox* SiteBox() {
    return main_->findChild<QComboBox*>(QString::fromUtf8(names::kDjSiteBox));
  }

 private slots:
  void initTestCase() {
    appData_ = std::make_unique<testing::TempAppData>();
    dataDir_ = AppDataDir();
    QVERIFY(QDir().mkpath(QString::fromStdString(dataDir_) + QStringLiteral("data")));
    state_.SiteListHtml = SiteTablePageBytes();

    controls_ = std::make_unique<QtControls>();
    main_ = std::make_unique<MainWindow>();
    main_->setAttribute(Qt::WA_DeleteOnClose, false);
    controls_->RegisterWindow(main_.get());
    controls_->AddWindowFactory(names::kSiteWindow, [this] { return new SiteWindow(main_.get()); });
    BindSiteWindow(*controls_, state_, dataDir_);
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_.get()));

    QVERIFY(controls_->ClearItems(names::kDjSiteBox));
    for (const QString& site : kSites) controls_->AppendItem(names::kDjSiteBox, site.toStdString());
    QCOMPARE(controls_->ItemCount(names::kDjSiteBox), 7);
  }

  void cleanupTestCase() {
    main_.reset();
    controls_.reset();
  }

  void init() { SiteBox()->setCurrentIndex(0); }

  // Shown: the page file is written, read in its declared charset, dropped
  // once loaded; the view has no scroll bars and no menu, and link 3 picks
  // the third site.
  void chooserShowsTableAndTakesClickedSite() {
    QVERIFY(controls_->LoadWindow(names::kSiteWindow, false));
    QPointer<QWidget> site = controls_->FindWidget(names::kSiteWindow);
    QVERIFY(site);
    HtmlView* view = View();
    QVERIFY(view);
    // Written before the view loaded it; its load finishes on the next turn.
    QCOMPARE(ReadFile(PagePath()), QByteArray::fromStdString(state_.SiteListHtml));
    QCOMPARE(view->source(), QUrl::fromLocalFile(PagePath()));
    QTRY_VERIFY(!QFile::exists(PagePath()));

    const QString shown = view->toPlainText();
    for (const QString& name : kSites) QVERIFY2(shown.contains(name), qPrintable(shown));
    // The page's style sheet stands after its body and still applies.
    QCOMPARE(LinkFormat(view, QStringLiteral("1")).foreground().color(), QColor(0x99, 0x99, 0x99));

    QCOMPARE(view->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(view->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(QTest::qWaitForWindowExposed(site));
    QVERIFY(!view->horizontalScrollBar()->isVisible());
    QVERIFY(!view->verticalScrollBar()->isVisible());

    const QPoint onLink = AnchorPoint(view, QStringLiteral("3"));
    QVERIFY(view->viewport()->rect().contains(onLink));
    QCOMPARE(view->anchorAt(onLink), QStringLiteral("3"));

    // A right click, through the window as a user's: no menu, no navigation.
    QSignalSpy clicked(view, &QTextBrowser::anchorClicked);
    const QPoint inWindow = view->viewport()->mapTo(site, onLink);
    QTest::mouseClick(site->windowHandle(), Qt::RightButton, {}, inWindow);
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, onLink,
                              view->viewport()->mapToGlobal(onLink));
    QApplication::sendEvent(view->viewport(), &menuKey);
    QTest::qWait(50);
    QVERIFY(!AnyMenuShown());
    QCOMPARE(clicked.count(), 0);
    QVERIFY(site);
    QCOMPARE(SiteBox()->currentIndex(), 0);

    QTest::mouseClick(site->windowHandle(), Qt::LeftButton, {}, inWindow);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(SiteBox()->currentIndex(), 2);
    QCOMPARE(controls_->GetText(names::kDjSiteBox), kSites[2].toStdString());
    QTRY_VERIFY(!site);
    QVERIFY(!controls_->Exists(names::kSiteWindow));
  }

  // Modal, as the program opens it: the click's handler destroys the window
  // inside the view's own signal, and the modal load returns.
  void modalChooserClosesOnSiteClick() {
    bool clicked = false;
    QString grabbed;
    QTimer::singleShot(0, [this, &clicked, &grabbed] {
      QWidget* site = controls_->FindWidget(names::kSiteWindow);
      HtmlView* view = View();
      if (!site || !view || !QTest::qWaitForWindowExposed(site)) return;
      if (const QByteArray dir = qgetenv("LARKBAY_SCREENSHOT_DIR"); !dir.isEmpty()) {
        grabbed = QString::fromLocal8Bit(dir) + QStringLiteral("/site_window.png");
        site->grab().save(grabbed);
      }
      const QPoint onLink = AnchorPoint(view, QStringLiteral("7"));
      if (!view->viewport()->rect().contains(onLink)) {
        site->close();
        return;
      }
      QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, onLink);
      clicked = true;
      if (QWidget* still = controls_->FindWidget(names::kSiteWindow)) still->close();
    });
    QVERIFY(controls_->LoadWindow(names::kSiteWindow, true));
    QVERIFY(clicked);
    QCOMPARE(SiteBox()->currentIndex(), 6);
    QTRY_VERIFY(!controls_->Exists(names::kSiteWindow));
    QVERIFY(!QFile::exists(PagePath()));
    if (!grabbed.isEmpty()) qInfo("screenshot: %s", qPrintable(grabbed));
  }

  // The address a link hands to the view's BeforeNavigate handler (a local
  // page as its plain path) and what the answer does: true stays, false goes.
  void viewReportsNavigationTargets_data() {
    QTest::addColumn<QString>("href");
    QTest::addColumn<QString>("address");  // "@" stands for the page's folder
    QTest::addColumn<bool>("cancel");
    const auto q = [](const char* text) { return QString::fromUtf8(text); };
    QTest::newRow("relative, cancelled") << q("3") << q("@/3") << true;
    QTest::newRow("relative, followed") << q("other.html") << q("@/other.html") << false;
    QTest::newRow("escaped name") << q("a%20b%25.html") << q("@/a b%.html") << true;
    QTest::newRow("web address") << q("http://example.com/x?y=1") << q("http://example.com/x?y=1")
                                 << true;
  }
  void viewReportsNavigationTargets() {
    QFETCH(QString, href);
    QFETCH(QString, address);
    QFETCH(bool, cancel);
    // A folder whose name needs escaping in a URL.
    const QString folder = appData_->Path() + QStringLiteral("/页 #1");
    QVERIFY(QDir().mkpath(folder));
    const QString page = folder + QStringLiteral("/page.html");
    WriteFile(page,
              QByteArray("<html><body><a href=\"") + href.toUtf8() + "\">link</a></body></html>");
    WriteFile(folder + QStringLiteral("/other.html"), "<html><body>other</body></html>");

    QtControls controls;
    QWidget window;
    window.setObjectName(QStringLiteral("TestWindow"));
    auto* view = new HtmlView(&window);
    view->setObjectName(QStringLiteral("View"));
    view->setGeometry(0, 0, 300, 100);
    controls.RegisterWindow(&window);
    std::vector<std::string> seen;
    std::vector<std::string> ready;
    controls.Bind("View", ControlEvent::BeforeNavigate, [&](const ControlEventArgs& args) {
      seen.push_back(args.address);
      return cancel;
    });
    controls.Bind("View", ControlEvent::DocumentReady, [&](const ControlEventArgs& args) {
      ready.push_back(args.address);
      return false;
    });
    QVERIFY(controls.Navigate("View", page.toStdString()));
    QTRY_COMPARE(ready.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(ready[0]), page);
    QVERIFY(seen.empty());  // the program's own navigation is not asked

    emit view->anchorClicked(QUrl(href));
    QCOMPARE(seen.size(), std::size_t{1});
    QString expected = address;
    expected.replace(QStringLiteral("@"), folder);
    QCOMPARE(QString::fromStdString(seen[0]), expected);
    if (cancel) {
      QCOMPARE(view->source(), QUrl::fromLocalFile(page));
      QTest::qWait(20);
      QCOMPARE(ready.size(), std::size_t{1});
    } else {
      QCOMPARE(view->source(), QUrl::fromLocalFile(expected));
      QTRY_COMPARE(ready.size(), std::size_t{2});
      QCOMPARE(QString::fromStdString(ready[1]), expected);
      QVERIFY(view->toPlainText().contains(QStringLiteral("other")));
    }
  }

  // A page file is read in the charset it declares; without one it is UTF-8.
  void viewDecodesDeclaredCharset_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    const QString text = QStringLiteral("清风DJ音乐网 €𠀾");  // the last one is outside GBK
    const QByteArray gbk = QByteArray::fromStdString(TextToGbk(text.toStdString()));
    const QByteArray utf8 = text.toUtf8();
    QTest::newRow("meta charset gbk")
        << QByteArray("<html><head><meta charset=\"gbk\"></head><body>") + gbk + "</body></html>"
        << text;
    QTest::newRow("http-equiv gb2312, upper case")
        << QByteArray(
               "<HTML><HEAD><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
               "CHARSET=GB2312\"></HEAD><BODY>") +
               gbk + "</BODY></HTML>"
        << text;
    QTest::newRow("meta charset gb18030, unquoted")
        << QByteArray("<meta charset=gb18030><p>") + gbk << text;
    QTest::newRow("meta charset utf-8") << QByteArray("<meta charset='utf-8'><p>") + utf8 << text;
    QTest::newRow("no declaration") << QByteArray("<p>") + utf8 << text;
    QTest::newRow("byte-order mark over a wrong declaration")
        << QByteArray("\xEF\xBB\xBF<meta charset=\"gbk\"><p>") + utf8 << text;
    QTest::newRow("unknown charset")
        << QByteArray("<meta charset=\"x-nonsense\"><p>") + utf8 << text;
    QTest::newRow("big5 through iconv") << QByteArray(
                                               "<meta charset=\"big5\"><p>\xB2\x4D\xAD\xB7"
                                               "DJ"
                                               "\xAD\xB5\xBC\xD6\xBA\xF4")
                                        << QStringLiteral("清風DJ音樂網");
  }
  void viewDecodesDeclaredCharset() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const QString path = appData_->Path() + QStringLiteral("/charset.html");
    WriteFile(path, bytes);
    HtmlView view;
    view.setSource(QUrl::fromLocalFile(path));
    QCOMPARE(view.toPlainText().trimmed(), expected);
    QCOMPARE(DecodeHtmlBytes(bytes).contains(expected), true);
  }
};

QTEST_MAIN(SiteWindowTest)
#include "site_window_test.moc"

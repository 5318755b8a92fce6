// The updater's progress window on the offscreen platform: Chinese texts (Qt's
// own buttons too), a long path shortened in the middle and again on resize,
// a window of a usable size in the middle of the screen, and the real job
// under it: a failure (an unsigned download too) ends in a Chinese box, 取消
// stops a download.

#include "update_window.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "elided_label.h"
#include "progress_window.h"
#include "remote/updater_record.h"
#include "server_process.h"
#include "update_job.h"

namespace fs = std::filesystem;
using larkbay::updater::ElidedLabel;
using larkbay::updater::UpdateWindow;

namespace {

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

ElidedLabel* Label(QWidget& window, const char* name) {
  return window.findChild<ElidedLabel*>(QString::fromLatin1(name));
}

QStringList ButtonTexts(QWidget& widget) {
  QStringList texts;
  for (QAbstractButton* button : widget.findChildren<QAbstractButton*>()) texts << button->text();
  return texts;
}

// The window RunInWindow shows, once it is there.
UpdateWindow* ShownUpdateWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* window = dynamic_cast<UpdateWindow*>(widget);
        window != nullptr && window->isVisible()) {
      return window;
    }
  }
  return nullptr;
}

// Calls `check` every 20 ms until it returns true; stops with the object.
class Poll {
 public:
  explicit Poll(std::function<bool()> check) {
    QObject::connect(&timer_, &QTimer::timeout, [this, check] {
      if (check()) timer_.stop();
    });
    timer_.start(20);
  }

 private:
  QTimer timer_;
};

// A path longer than any window line: the start and the file name matter.
const QString kLongPath = Text(
    "/home/a-rather-long-user-name/桌面/下载的文件/Lark-Bay/引擎环境包/第二次尝试/"
    "another-deep-folder/and-one-more-level/Enginepack");

}  // namespace

class UpdateWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY(larkbay::updater::LoadQtChineseTexts()); }

  void textsAreChinese() {
    UpdateWindow window;
    QCOMPARE(window.windowTitle(), Text("Lark-Bay 更新"));
    QCOMPARE(Label(window, "heading")->text(), Text("正在准备更新…"));
    QCOMPARE(ButtonTexts(window), QStringList{Text("取消")});
  }

  void longPathIsShortenedInTheMiddleAndAgainOnResize() {
    UpdateWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.SetStep(Text("正在下载…"), kLongPath);
    window.SetProgress(12 << 20, 29 << 20);
    ElidedLabel* path = Label(window, "path");

    const auto checkShortened = [&] {
      const QString shown = path->text();
      QVERIFY2(shown.contains(QChar(0x2026)), qPrintable(shown));
      QVERIFY2(shown.startsWith(QStringLiteral("/home/")), qPrintable(shown));
      QVERIFY2(shown.endsWith(QStringLiteral("/Enginepack")), qPrintable(shown));
      QVERIFY(path->fontMetrics().horizontalAdvance(shown) <= path->contentsRect().width());
      QCOMPARE(path->toolTip(), kLongPath);
    };
    checkShortened();
    const int shownLength = path->text().size();
    QCOMPARE(window.findChild<QProgressBar*>(QStringLiteral("progress"))->text(),
             Text("12.0 MB / 29.0 MB（41%）"));
    if (const QByteArray dir = qgetenv("LARKBAY_SCREENSHOT_DIR"); !dir.isEmpty()) {
      QVERIFY(window.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/updater.png")));
    }

    // Wide enough: the whole path, no tooltip; narrower: shorter again.
    window.resize(path->fontMetrics().horizontalAdvance(kLongPath) + 100, window.height());
    QTRY_COMPARE(path->text(), kLongPath);
    QCOMPARE(path->toolTip(), QString());
    window.resize(window.minimumWidth(), window.height());
    QTRY_VERIFY(path->text().size() < shownLength);
    checkShortened();
  }

  void aUsualPathFitsAndTheWindowIsCentred() {
    UpdateWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QString desktop = QStringLiteral("/home/username/Desktop/Enginepack");
    window.SetStep(Text("正在下载…"), desktop);
    QCOMPARE(Label(window, "path")->text(), desktop);
    QCOMPARE(Label(window, "heading")->text(), Text("正在下载…"));

    const QRect area = window.screen()->availableGeometry();
    const QRect frame = window.frameGeometry();
    QVERIFY2(frame.width() >= 480, qPrintable(QString::number(frame.width())));
    QVERIFY(frame.width() <= area.width());
    QVERIFY(qAbs(frame.center().x() - area.center().x()) <= 1);
    QVERIFY(qAbs(frame.center().y() - area.center().y()) <= 1);
    QVERIFY(frame.topLeft() != area.topLeft());
  }

  void aFailureEndsInAChineseBox() {
    larkbay::test::TempFolder scratch;
    const fs::path app = scratch.Path() / "app";
    fs::create_directories(app);
    larkbay::test::WriteFile(app / "lark-bay", "previous version\n");
    larkbay::UpdaterRecord record;
    record.processId = larkbay::CurrentProcessId();
    record.address = "http://127.0.0.1:9/download/Enginepack";
    record.saveFolder = (app / "lark-bay").string() + "/Desktop//";  // under a file
    record.fileName = "Enginepack";
    record.startProgram = (app / "lark-bay").string();
    const std::string recordFile = (scratch.Path() / "program_updata_config").string();
    QVERIFY(larkbay::WriteUpdaterRecord(recordFile, record));

    QString boxText, boxTitle, headingBehind;
    QStringList boxButtons;
    bool cancelBehind = true;
    Poll answer([&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return false;
      boxText = box->text();
      boxTitle = box->windowTitle();
      boxButtons = ButtonTexts(*box);
      UpdateWindow* window = ShownUpdateWindow();
      headingBehind = Label(*window, "heading")->text();
      cancelBehind = window->findChild<QDialogButtonBox*>(QStringLiteral("buttons"))->isEnabled();
      if (const QByteArray dir = qgetenv("LARKBAY_SCREENSHOT_DIR"); !dir.isEmpty()) {
        box->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/updater-failure.png"));
        ShownUpdateWindow()->grab().save(QString::fromLocal8Bit(dir) +
                                         QStringLiteral("/updater-under-failure.png"));
      }
      box->button(QMessageBox::Ok)->click();
      return true;
    });
    const int code = larkbay::updater::RunInWindow([&](larkbay::updater::UpdateReport& report) {
      return larkbay::updater::RunUpdate(recordFile, report);
    });
    QCOMPARE(code, static_cast<int>(larkbay::updater::kExitFolderFailed));
    const QString appFolder = QString::fromStdString(app.string());
    QCOMPARE(boxText, Text("无法创建文件夹 ") + appFolder + Text("/lark-bay/Desktop：") +
                          appFolder + Text("/lark-bay 不是文件夹"));
    QCOMPARE(boxButtons, QStringList{Text("确定")});
    QCOMPARE(boxTitle, Text("Lark-Bay 更新"));
    QCOMPARE(headingBehind, Text("更新没有完成"));
    QVERIFY(!cancelBehind);
    QCOMPARE(larkbay::test::ReadFile(app / "lark-bay"), std::string("previous version\n"));
  }

  // A pack the server offers without its signature is not put in place.
  void anUnsignedDownloadEndsInABoxAndKeepsTheOldFile() {
    larkbay::test::TempFolder scratch;
    const fs::path downloads = scratch.Path() / "downloads";
    const fs::path desktop = scratch.Path() / "Desktop";
    fs::create_directories(downloads);
    fs::create_directories(desktop);
    larkbay::test::WriteFile(downloads / "Enginepack", "unsigned engine pack\n");
    larkbay::test::WriteFile(desktop / "Enginepack", "old engine pack\n");
    larkbay::test::ServerProcess server(downloads);
    QVERIFY2(server.Ready(), server.Output().c_str());
    larkbay::UpdaterRecord record;
    record.processId = larkbay::CurrentProcessId();
    record.address = server.Base() + "/download/Enginepack";
    record.saveFolder = desktop.string() + "//";
    record.fileName = "Enginepack";
    record.startProgram = "/bin/true";
    const std::string recordFile = (scratch.Path() / "program_updata_config").string();
    QVERIFY(larkbay::WriteUpdaterRecord(recordFile, record));

    QString boxText;
    Poll answer([&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return false;
      boxText = box->text();
      if (const QByteArray dir = qgetenv("LARKBAY_SCREENSHOT_DIR"); !dir.isEmpty()) {
        box->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/updater-unsigned.png"));
      }
      box->button(QMessageBox::Ok)->click();
      return true;
    });
    const int code = larkbay::updater::RunInWindow([&](larkbay::updater::UpdateReport& report) {
      return larkbay::updater::RunUpdate(recordFile, report);
    });
    QCOMPARE(code, static_cast<int>(larkbay::updater::kExitBadSignature));
    QCOMPARE(boxText, Text("缺少签名：下载 ") + QString::fromStdString(record.address) +
                          Text(".sig 失败：服务器返回错误 404"));
    QCOMPARE(larkbay::test::ReadFile(desktop / "Enginepack"), std::string("old engine pack\n"));
    QVERIFY(!fs::exists(desktop / "Enginepack.sig"));
  }

  void cancelStopsTheDownloadWithoutABox() {
    larkbay::test::TempFolder scratch;
    const fs::path downloads = scratch.Path() / "downloads";
    const fs::path desktop = scratch.Path() / "Desktop";
    fs::create_directories(downloads);
    larkbay::test::WriteFile(downloads / "Enginepack", "engine pack bytes\n");
    // The file comes only after a long wait: time to press 取消.
    larkbay::test::ServerProcess server(downloads, {"--fault", "slow", "--slow-ms", "3000"});
    QVERIFY2(server.Ready(), server.Output().c_str());
    larkbay::UpdaterRecord record;
    record.processId = larkbay::CurrentProcessId();
    record.address = server.Base() + "/download/Enginepack";
    record.saveFolder = desktop.string() + "//";
    record.fileName = "Enginepack";
    record.startProgram = "/bin/true";
    const std::string recordFile = (scratch.Path() / "program_updata_config").string();
    QVERIFY(larkbay::WriteUpdaterRecord(recordFile, record));

    QString headingAfterCancel, pathWhileDownloading;
    bool boxShown = false;
    Poll press([&] {
      UpdateWindow* window = ShownUpdateWindow();
      if (window == nullptr || Label(*window, "heading")->text() != Text("正在下载…")) return false;
      pathWhileDownloading = Label(*window, "path")->text();
      auto* buttons = window->findChild<QDialogButtonBox*>(QStringLiteral("buttons"));
      buttons->button(QDialogButtonBox::Cancel)->click();
      headingAfterCancel = Label(*window, "heading")->text();
      return true;
    });
    Poll watch([&] {
      boxShown = boxShown || QApplication::activeModalWidget() != nullptr;
      return false;
    });
    QElapsedTimer clock;
    clock.start();
    const int code = larkbay::updater::RunInWindow([&](larkbay::updater::UpdateReport& report) {
      return larkbay::updater::RunUpdate(recordFile, report);
    });
    QCOMPARE(code, static_cast<int>(larkbay::updater::kExitDownloadFailed));
    QVERIFY2(clock.elapsed() < 2500, "stopped before the server sent anything");
    QCOMPARE(pathWhileDownloading,
             QString::fromStdString(desktop.string()) + QStringLiteral("/Enginepack"));
    QCOMPARE(headingAfterCancel, Text("正在取消…"));
    QVERIFY(!boxShown);
    QVERIFY(fs::is_directory(desktop));
    QVERIFY(fs::is_empty(desktop));  // neither the pack nor a partial download
  }
};

QTEST_MAIN(UpdateWindowTest)
#include "update_window_test.moc"

// Downloads in the running program through the real engine: songs in every
// offered quality and a video from the song list, a mix from the DJ list, the
// same song again under "(1)" and "(2)", pause and resume, delete while
// running, and the failures — a tiny file, a 404, a lying Content-Length, the
// reference server's drop and truncate faults, a connection reset on every
// try — each ending as 下载错误 with its cause. Every finished file holds the
// server's bytes.
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <memory>

#include "app/program.h"
#include "app/widgets/tab_control.h"
#include "app_test_support.h"
#include "downloads/download_list.h"
#include "downloads/download_manager.h"
#include "file_server.h"
#include "platform/control_names.h"
#include "search_start_steps.h"
#include "server_run.h"
#include "state/program_state.h"

using namespace larkbay;

namespace {

constexpr int kTimeoutMs = 60000;

QByteArray Digest(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Md5).toHex();
}

// The demo media file a served /media/… address names.
QString MediaFile(const std::string& url) {
  const QString path = QUrl(QString::fromStdString(url)).path();
  return QStringLiteral(LARKBAY_TEST_MEDIA) + path.mid(QStringLiteral("/media").size());
}

QByteArray Body(int bytes) {
  QByteArray body(bytes, Qt::Uninitialized);
  for (int i = 0; i < bytes; ++i) body[i] = static_cast<char>((i * 131 + i / 977) & 0xFF);
  return body;
}

}  // namespace

class DownloadsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<testing::TempAppData> appData_;
  testing::ServerRun server_;
  testing::FileServer files_;
  std::unique_ptr<Program> program_;

  template <typename T>
  T* Widget(const char* name) {
    return program_->Main()->findChild<T*>(QString::fromUtf8(name));
  }
  QTreeWidget* Downloads() { return Widget<QTreeWidget>(names::kDownloadList); }
  ProgramState& State() { return program_->State(); }
  void ShowTab(int index) {
    program_->Main()->findChild<TabControl*>(QString::fromUtf8(names::kTabControl))
        ->SetCurrentIndex(index);
  }
  QTreeWidgetItem* RowOf(int taskId) {
    const int row = RowOfTask(program_->Controls(), taskId);
    return row < 0 ? nullptr : Downloads()->topLevelItem(row);
  }
  QString StateOf(int taskId) {
    QTreeWidgetItem* item = RowOf(taskId);
    return item ? item->text(kTaskStateColumn) : QString();
  }
  int TaskCount() { return static_cast<int>(State().DownloadTasks.size()); }

  // Right-click `row` of `list` and trigger the item `path` leads to
  // (captions, through submenus); the captions of the top menu come back.
  QStringList ChooseFromMenu(QTreeWidget* list, int row, const QStringList& path) {
    QStringList captions;
    QTimer::singleShot(100, [&] {
      QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      QMenu* top = menu;
      if (!top) return;
      for (QAction* action : top->actions()) captions << action->text();
      for (qsizetype step = 0; step < path.size() && menu; ++step) {
        QAction* found = nullptr;
        for (QAction* action : menu->actions())
          if (action->text() == path[step]) found = action;
        if (!found) break;
        if (step + 1 == path.size()) {
          found->trigger();
          break;
        }
        menu = found->menu();
      }
      top->close();
    });
    list->scrollToItem(list->topLevelItem(row));
    const QRect rect = list->visualItemRect(list->topLevelItem(row));
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, rect.center());
    return captions;
  }
  // The items of the 下载 submenu of `row`.
  QStringList DownloadItems(QTreeWidget* list, int row) {
    QStringList items;
    QTimer::singleShot(100, [&] {
      auto* top = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!top) return;
      for (QAction* action : top->actions())
        if (action->text() == QStringLiteral("下载") && action->menu())
          for (QAction* item : action->menu()->actions()) items << item->text();
      top->close();
    });
    const QRect rect = list->visualItemRect(list->topLevelItem(row));
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, rect.center());
    return items;
  }
  // Starts `url` as `name` the way the commands do; the new task's id.
  int Start(const QString& url, const QString& name) {
    const int before = TaskCount();
    StartDownload(program_->Downloads(), url.toStdString(), name.toStdString());
    if (!QTest::qWaitFor([&] { return TaskCount() > before; }, 10000)) return 0;
    return TaskCount();
  }
  void SelectTask(int taskId) {
    ShowTab(2);
    Downloads()->setCurrentItem(RowOf(taskId));
  }
  QString Folder() { return QString::fromStdString(State().appState.SavePath); }

 private slots:
  void initTestCase() {
    appData_ = std::make_unique<testing::TempAppData>();
    QVERIFY2(server_.Start({QStringLiteral("--media"), QStringLiteral(LARKBAY_TEST_MEDIA)}),
             server_.Output().constData());
    QVERIFY(files_.Listen());
    ProgramOptions options;
    options.apiBase = server_.Base().toStdString();
    options.steps = [](StartupContext& c) {
      return testing::SearchStartSteps(c, LARKBAY_ENGINE_DIR);
    };
    bool shown = false;
    options.mainWindowShown = [&shown] { shown = true; };
    program_ = std::make_unique<Program>(std::move(options));
    program_->Start();
    QTRY_VERIFY_WITH_TIMEOUT(shown, kTimeoutMs);
    QVERIFY2(program_->Engine().Running(), program_->Engine().Failure().c_str());
  }

  void cleanupTestCase() {
    program_.reset();
    appData_.reset();
  }

  void songsInEveryQualityAndTheVideoGetTheirNames() {
    ShowTab(1);
    auto* list = Widget<QTreeWidget>(names::kSongResultList);
    Widget<QLineEdit>(names::kSongSearchBox)->setText(QStringLiteral("林小雨"));
    QTest::mouseClick(Widget<QPushButton>(names::kSongFindButton), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(list->topLevelItemCount() > 0, 15000);
    QTRY_VERIFY(!program_->Search().songWorker.Running());
    // The first row with a video.
    int row = 0;
    while (row < list->topLevelItemCount() && State().SongRecords[row].SongMV.empty()) ++row;
    QVERIFY(row < list->topLevelItemCount());
    const QStringList items = DownloadItems(list, row);
    QVERIFY2(items.size() >= 3, qPrintable(items.join(u',')));
    QVERIFY(items.contains(QStringLiteral("下载【MV】视频")));

    const int first = TaskCount() + 1;
    for (const QString& item : items) {
      const int before = TaskCount();
      list->setCurrentItem(list->topLevelItem(row));
      ChooseFromMenu(list, row, {QStringLiteral("下载"), item});
      QTRY_VERIFY_WITH_TIMEOUT(TaskCount() == before + 1, 15000);
    }
    const SongRecord& song = State().SongRecords[row];
    struct Expected {
      QString prefix;
      std::string url;
    };
    std::vector<Expected> expected;
    for (const QString& item : items) {
      if (item.contains(QStringLiteral("压缩"))) expected.push_back({QStringLiteral("[压缩] "), song.ST});
      if (item.contains(QStringLiteral("标准"))) expected.push_back({QStringLiteral("[标准] "), song.HD});
      if (item.contains(QStringLiteral("高品"))) expected.push_back({QStringLiteral("[高品] "), song.HQ});
      if (item.contains(QStringLiteral("无损"))) expected.push_back({QStringLiteral("[无损] "), song.SQ});
      if (item.contains(QStringLiteral("MV"))) expected.push_back({QStringLiteral("[视频]"), song.SongMV});
    }
    QCOMPARE(static_cast<int>(expected.size()), items.size());
    const QString artistAndName = QString::fromStdString(song.SongArtists + " - " + song.SongName);
    for (size_t i = 0; i < expected.size(); ++i) {
      const int id = first + static_cast<int>(i);
      QTRY_COMPARE_WITH_TIMEOUT(StateOf(id), QStringLiteral("下载完成"), kTimeoutMs);
      const Expected& e = expected[i];
      const QString ext = QFileInfo(QUrl(QString::fromStdString(e.url)).path()).suffix();
      const QString name = e.prefix == QStringLiteral("[视频]")
                               ? e.prefix + QString::fromStdString(song.SongName)
                               : e.prefix + artistAndName;
      const QString path = Folder() + name + u'.' + ext;
      QCOMPARE(QString::fromStdString(State().DownloadTasks[id - 1].FileName), path);
      QCOMPARE(Digest(path), Digest(MediaFile(e.url)));
      QCOMPARE(RowOf(id)->text(3), QStringLiteral("100%"));
      QVERIFY(RowOf(id)->text(2).endsWith(QStringLiteral("MB")));
    }
    // Two more of the last quality: "(1)" and "(2)", nothing overwritten.
    const Expected& again = expected.back();
    for (int n = 1; n <= 2; ++n) {
      const int before = TaskCount();
      list->setCurrentItem(list->topLevelItem(row));
      ChooseFromMenu(list, row, {QStringLiteral("下载"), items.back()});
      QTRY_VERIFY_WITH_TIMEOUT(TaskCount() == before + 1, 15000);
      QTRY_COMPARE_WITH_TIMEOUT(StateOf(before + 1), QStringLiteral("下载完成"), kTimeoutMs);
      const QString ext = QFileInfo(QUrl(QString::fromStdString(again.url)).path()).suffix();
      const QString base = again.prefix == QStringLiteral("[视频]")
                               ? again.prefix + QString::fromStdString(song.SongName)
                               : again.prefix + artistAndName;
      QCOMPARE(QString::fromStdString(State().DownloadTasks[before].FileName),
               Folder() + base + QStringLiteral("(%1).").arg(n) + ext);
    }
    ShowTab(2);
    program_->Main()->grab().save(QDir::tempPath() + QStringLiteral("/larkbay-downloads.png"));
  }

  void aMixFromTheDjList() {
    ShowTab(0);
    auto* list = Widget<QTreeWidget>(names::kDjResultList);
    QTest::mouseClick(Widget<QPushButton>(names::kDjFindButton), Qt::LeftButton);  // "#all"
    QTRY_VERIFY_WITH_TIMEOUT(list->topLevelItemCount() > 0, 15000);
    QTRY_VERIFY(!program_->Search().djWorker.Running());
    int row = 0;
    while (row < list->topLevelItemCount() && State().DjRecords[row].HQ.find("http") == std::string::npos)
      ++row;
    QVERIFY(row < list->topLevelItemCount());
    list->setCurrentItem(list->topLevelItem(row));
    const int before = TaskCount();
    ChooseFromMenu(list, row, {QStringLiteral("下载"), QStringLiteral("下载【高】音质320kbps")});
    QTRY_VERIFY_WITH_TIMEOUT(TaskCount() == before + 1, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(StateOf(before + 1), QStringLiteral("下载完成"), kTimeoutMs);
    const DjRecord& mix = State().DjRecords[row];
    const QString path = Folder() + QStringLiteral("[高] ") + QString::fromStdString(mix.SongName) +
                         QStringLiteral(".mp3");
    QCOMPARE(QString::fromStdString(State().DownloadTasks[before].FileName), path);
    QCOMPARE(Digest(path), Digest(MediaFile(mix.HQ)));
  }

  void pauseStopsTheBytesAndResumeFinishes() {
    const QByteArray body = Body(4 * 1024 * 1024);
    files_.Add(QStringLiteral("/slow.bin"), {body, 16 * 1024, 20, false});
    const int id = Start(files_.Url(QStringLiteral("/slow.bin")), QStringLiteral("慢慢来"));
    QVERIFY(id > 0);
    const QString partial = QString::fromStdString(State().DownloadTasks[id - 1].TempPath) +
                            QStringLiteral(".download");
    QTRY_VERIFY_WITH_TIMEOUT(StateOf(id) == QStringLiteral("正在下载") &&
                                 QFileInfo(partial).size() > 64 * 1024,
                             kTimeoutMs);
    SelectTask(id);
    const QStringList captions = ChooseFromMenu(Downloads(), Downloads()->indexOfTopLevelItem(RowOf(id)),
                                                {QStringLiteral("暂停下载")});
    QCOMPARE(captions, (QStringList{QStringLiteral("暂停下载"), QStringLiteral("删除任务"),
                                    QStringLiteral("删除任务和文件")}));
    QTRY_COMPARE(StateOf(id), QStringLiteral("暂停下载"));
    QTest::qWait(1000);  // what the network had buffered is written
    const qint64 paused = QFileInfo(partial).size();
    QTest::qWait(1500);
    QCOMPARE(QFileInfo(partial).size(), paused);
    QVERIFY(paused < body.size());

    ChooseFromMenu(Downloads(), Downloads()->indexOfTopLevelItem(RowOf(id)),
                   {QStringLiteral("继续下载")});
    QTRY_COMPARE_WITH_TIMEOUT(StateOf(id), QStringLiteral("下载完成"), kTimeoutMs);
    const QString path = Folder() + QStringLiteral("慢慢来.bin");
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == body);
  }

  void deletingARunningTaskRemovesItsRowAndFile() {
    files_.Add(QStringLiteral("/doomed.bin"), {Body(4 * 1024 * 1024), 16 * 1024, 20, false});
    const int keep = Start(files_.Url(QStringLiteral("/doomed.bin")), QStringLiteral("留下"));
    const int doomed = Start(files_.Url(QStringLiteral("/doomed.bin")), QStringLiteral("删掉"));
    QVERIFY(keep > 0 && doomed == keep + 1);
    const QString partial = QString::fromStdString(State().DownloadTasks[doomed - 1].TempPath) +
                            QStringLiteral(".download");
    QTRY_VERIFY_WITH_TIMEOUT(StateOf(doomed) == QStringLiteral("正在下载") && QFileInfo::exists(partial),
                             kTimeoutMs);
    const int rows = Downloads()->topLevelItemCount();
    SelectTask(doomed);
    ChooseFromMenu(Downloads(), Downloads()->indexOfTopLevelItem(RowOf(doomed)),
                   {QStringLiteral("删除任务")});
    QTRY_COMPARE(Downloads()->topLevelItemCount(), rows - 1);
    QVERIFY(RowOf(doomed) == nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(partial), 10000);
    // The older task's row is still found and finishes.
    QTRY_COMPARE_WITH_TIMEOUT(StateOf(keep), QStringLiteral("下载完成"), kTimeoutMs);
    QVERIFY(QFileInfo::exists(Folder() + QStringLiteral("留下.bin")));
    QVERIFY(!QFileInfo::exists(Folder() + QStringLiteral("删掉.bin")));
  }

  void failuresEndAsErrorsWithTheirCause() {
    files_.Add(QStringLiteral("/tiny.mp3"), {Body(5000), 64 * 1024, 10, false});
    files_.Add(QStringLiteral("/liar.mp3"), {Body(200 * 1024), 64 * 1024, 10, false, 400 * 1024});
    testing::ServerRun truncating, dropping;
    QVERIFY(truncating.Start({QStringLiteral("--media"), QStringLiteral(LARKBAY_TEST_MEDIA),
                              QStringLiteral("--fault"), QStringLiteral("truncate")}));
    QVERIFY(dropping.Start({QStringLiteral("--media"), QStringLiteral(LARKBAY_TEST_MEDIA),
                            QStringLiteral("--fault"), QStringLiteral("drop")}));
    struct Case {
      QString url;
      QString name;
      QString cause;  // a part of the tooltip
    };
    const Case cases[] = {
        {files_.Url(QStringLiteral("/tiny.mp3")), QStringLiteral("小"), QStringLiteral("5000 字节")},
        {files_.Url(QStringLiteral("/missing.mp3")), QStringLiteral("无"), QStringLiteral("HTTP 404")},
        {files_.Url(QStringLiteral("/liar.mp3")), QStringLiteral("谎"),
         QStringLiteral("下载已停止")},
        {truncating.Base() + QStringLiteral("/media/audio/c1-hq.mp3"), QStringLiteral("半"),
         QStringLiteral("下载已停止")},
        {dropping.Base() + QStringLiteral("/media/audio/c1-hq.mp3"), QStringLiteral("断"),
         QStringLiteral("下载已停止")},
    };
    for (const Case& c : cases) {
      const int id = Start(c.url, c.name);
      QVERIFY2(id > 0, qPrintable(c.url));
      QTRY_VERIFY2_WITH_TIMEOUT(StateOf(id) == QStringLiteral("下载错误"),
                                qPrintable(c.name + u' ' + StateOf(id)), kTimeoutMs);
      QTest::qWait(300);  // no later event turns it into anything else
      QCOMPARE(StateOf(id), QStringLiteral("下载错误"));
      QCOMPARE(RowOf(id)->text(3), QStringLiteral("0%"));
      const QString tip = RowOf(id)->toolTip(kTaskStateColumn);
      QVERIFY2(tip.contains(c.cause), qPrintable(c.name + u' ' + tip));
      QVERIFY(!QFileInfo::exists(Folder() + c.name + QStringLiteral(".mp3")));
      const QString temp = QString::fromStdString(State().DownloadTasks[id - 1].TempPath);
      QVERIFY(!QFileInfo::exists(temp + QStringLiteral(".download")));
      // Only the two delete items for a failed task.
      SelectTask(id);
      const QStringList captions = ChooseFromMenu(Downloads(), Downloads()->indexOfTopLevelItem(RowOf(id)), {});
      QCOMPARE(captions, (QStringList{QStringLiteral("删除任务"), QStringLiteral("删除任务和文件")}));
    }
  }

  // A connection reset half-way on every try: the browser gives up at once,
  // whether or not the server could let it continue, and the task ends as a
  // failure with its cause in a few seconds, its partial file gone.
  void aConnectionResetOnEveryTryEndsAsAnError_data() {
    QTest::addColumn<bool>("ranges");
    QTest::addColumn<QString>("name");
    QTest::newRow("the server continues a try (Range)") << true << QStringLiteral("续断");
    QTest::newRow("every try from 0 (no Range)") << false << QStringLiteral("断断");
  }
  void aConnectionResetOnEveryTryEndsAsAnError() {
    QFETCH(bool, ranges);
    QFETCH(QString, name);
    const QString path = QStringLiteral("/reset-%1.mp3").arg(ranges);
    testing::FileServer::File file{Body(1024 * 1024), 64 * 1024, 10, false};
    file.reset_always = true;
    file.ranges = ranges;
    files_.Add(path, file);
    QElapsedTimer clock;
    clock.start();
    const int id = Start(files_.Url(path), name);
    QVERIFY(id > 0);
    QTRY_VERIFY2_WITH_TIMEOUT(StateOf(id) == QStringLiteral("下载错误"),
                              qPrintable(StateOf(id) + u' ' + RowOf(id)->toolTip(kTaskStateColumn)),
                              15000);
    qInfo("%s: 下载错误 after %lld ms, %lld GET", qPrintable(name), clock.elapsed(),
          static_cast<long long>(files_.Ranges(path).size() - 1));  // less the size request
    QVERIFY(files_.Ranges(path).size() >= 2);  // the download itself asked
    QTest::qWait(1000);  // no later event turns it into anything else
    QCOMPARE(StateOf(id), QStringLiteral("下载错误"));
    QCOMPARE(RowOf(id)->text(3), QStringLiteral("0%"));
    const QString tip = RowOf(id)->toolTip(kTaskStateColumn);
    QVERIFY2(tip.contains(QStringLiteral("连接中断")) && !tip.contains(QStringLiteral("续传")),
             qPrintable(tip));
    const QString temp = QString::fromStdString(State().DownloadTasks[id - 1].TempPath);
    QVERIFY(!QFileInfo::exists(temp));
    QVERIFY(!QFileInfo::exists(temp + QStringLiteral(".download")));
    QVERIFY(!QFileInfo::exists(Folder() + name + QStringLiteral(".mp3")));
    SelectTask(id);
    const QStringList captions =
        ChooseFromMenu(Downloads(), Downloads()->indexOfTopLevelItem(RowOf(id)), {});
    QCOMPARE(captions, (QStringList{QStringLiteral("删除任务"), QStringLiteral("删除任务和文件")}));
  }

  void aServerNameWithSeparatorsLandsInTheFolder() {
    files_.Add(QStringLiteral("/plain.mp3"), {Body(64 * 1024), 64 * 1024, 5, false});
    const int id = Start(files_.Url(QStringLiteral("/plain.mp3")), QStringLiteral("../../出/逃"));
    QVERIFY(id > 0);
    QTRY_COMPARE_WITH_TIMEOUT(StateOf(id), QStringLiteral("下载完成"), kTimeoutMs);
    const QFileInfo file(QString::fromStdString(State().DownloadTasks[id - 1].FileName));
    QCOMPARE(file.absolutePath() + u'/', Folder());
    QCOMPARE(file.fileName(), QStringLiteral("_.._出_逃.mp3"));
    QVERIFY(file.exists());
  }

  // Last: the download folder changes.
  void theFolderPickerStartsAtTheFolderAndItsChoiceIsKept() {
    ShowTab(2);
    const QString chosen = appData_->Path() + QStringLiteral("/别处");
    QVERIFY(QDir().mkpath(chosen));
    const QString before = Folder();
    QVERIFY(!before.isEmpty());
    QString title, startedAt;
    QTimer::singleShot(200, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      title = dialog->windowTitle();
      startedAt = dialog->directory().absolutePath() + u'/';
      dialog->setDirectory(chosen);
      static_cast<QDialog*>(dialog)->accept();
    });
    QTest::mouseClick(Widget<QPushButton>(names::kDownloadToButton), Qt::LeftButton);
    QCOMPARE(title, QStringLiteral("保存到"));
    QCOMPARE(startedAt, before);
    QTRY_COMPARE(Folder(), chosen + u'/');
    QCOMPARE(Widget<QLineEdit>(names::kSavePathBox)->text(), chosen + u'/');
    QVERIFY2(appData_->ReadConfigIni().contains(QStringLiteral("DownloadsSavePath=") + chosen + u'/'),
             qPrintable(appData_->ReadConfigIni()));
  }
};

int main(int argc, char** argv) {
  // As the program's own entry does: the engine shares OpenGL contexts.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  DownloadsTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "downloads_test.moc"

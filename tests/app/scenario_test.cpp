// The whole client as a user meets it, with the real programs: lark-bay,
// lark-bay-server, the updater and the engine pack, from an empty data folder
// and desktop. The test drives each running copy through its automation
// socket (LARKBAY_AUTOMATION) by control names, as the user's clicks would,
// and keeps a screenshot of every stage in scenario-shots/.
//   1. first start: no engine, no pack: the timed notice; the updater fetches
//      the pack and starts the program again, which installs the engine and
//      plays the recommended list;
//   2. a song search, paging, a row played, a download in 320 kbps twice;
//   3. the DJ catalogue newest first, a mix played and marked across paging,
//      its number copied, its high quality downloaded (the first mix below
//      the top one that has a high quality: a mix without one offers no
//      download);
//   4. a large download paused and resumed, another deleted while running;
//   5. auto-play off; a start with the server down runs from its caches;
//   6. a second copy asks "重复运行！！！"; 取消 leaves the first running.
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app_test_support.h"
#include "automation_remote.h"
#include "server_run.h"
#include "release_signing.h"

namespace larkbay {
namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Md5Of(const QByteArray& bytes) {
  return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
}

using testing::EndFamily;
using testing::kLongMs;
using testing::Remote;
using testing::Running;

qint64 RecordedProgram(const testing::TempAppData& appData) {
  static const QRegularExpression program(QStringLiteral("Program=(\\d+)"));
  return program.match(appData.ReadConfigIni()).captured(1).toLongLong();
}

}  // namespace

class ScenarioTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<testing::TempAppData> appData_;
  QTemporaryDir downloads_;
  QTemporaryDir media_;
  std::unique_ptr<testing::ServerRun> server_;
  QString socket_;
  std::unique_ptr<Remote> app_;
  qint64 running_ = 0;
  QString shots_;
  QByteArray bigFile_;

  QProcessEnvironment Environment(const QString& socket) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LARKBAY_API_BASE"), server_ ? server_->Base() : base_);
    env.insert(QStringLiteral("LARKBAY_LOG"), QStringLiteral("1"));
    env.insert(QStringLiteral("LARKBAY_AUTOMATION"), socket);
    return env;
  }
  QString base_;

  void Shot(const char* name) {
    const QString path = shots_ + u'/' + QLatin1String(name) + QStringLiteral(".png");
    QCOMPARE(app_->Ask("grab", path), QString());
  }
  QString Cell(const char* list, int row, int column) {
    return app_->Ask("cell", QString::fromUtf8(list), QString::number(row), QString::number(column));
  }
  int Rows(const char* list) { return app_->Ask("rows", QString::fromUtf8(list)).toInt(); }
  // The download tasks: state|file name|temporary file, one a line.
  QStringList Tasks() { return app_->Ask("tasks").split(u'\n', Qt::SkipEmptyParts); }
  QStringList Task(int id) { return Tasks().value(id - 1).split(u'|'); }
  void Command(int id) { QCOMPARE(app_->Ask("command", QString::number(id)), QString()); }
  // Clicks a button once it is enabled, as a user can only then: a paging
  // button comes on at the very end of the page it belongs to.
  bool ClickWhenEnabled(const char* button) {
    const QString name = QString::fromUtf8(button);
    if (!app_->WaitFor([&] { return app_->Ask("enabled", name) == QLatin1String("1"); }, 30000))
      return false;
    return app_->Ask("click", name).isEmpty();
  }
  bool StartServer() {
    server_ = std::make_unique<testing::ServerRun>();
    return server_->Start({QStringLiteral("--downloads"), downloads_.path(), QStringLiteral("--media"),
                           media_.path(), QStringLiteral("--media-rate"), QStringLiteral("3000000")});
  }
  // Starts lark-bay with its own automation socket; the process id.
  qint64 StartClient(const QString& socket) {
    QProcess process;
    process.setProcessEnvironment(Environment(socket));
    process.setProgram(qEnvironmentVariable("LARKBAY_APP_BINARY"));
    qint64 pid = 0;
    if (!process.startDetached(&pid)) return 0;
    return pid;
  }

 private slots:
  void initTestCase() {
    const QString client = qEnvironmentVariable("LARKBAY_APP_BINARY");
    const QString updater = qEnvironmentVariable("LARKBAY_UPDATER_BINARY");
    QVERIFY(!client.isEmpty() && !updater.isEmpty());
    appData_ = std::make_unique<testing::TempAppData>();
    shots_ = QDir::currentPath() + QStringLiteral("/scenario-shots");
    QDir(shots_).removeRecursively();
    QVERIFY(QDir().mkpath(shots_));
    const QString pack = QStringLiteral(LARKBAY_ENGINE_PACK_DIR);
    QVERIFY(QFile::copy(updater, downloads_.filePath(QStringLiteral("Update.exe"))));
    for (const char* file : {"Enginepack", "cef.pak.md5"})
      QVERIFY(QFile::copy(pack + u'/' + QLatin1String(file), downloads_.filePath(QLatin1String(file))));
    QVERIFY(test::SignFolder(downloads_.path().toStdString()));
    // The demo media, with every lossless file a large one (one file, linked),
    // so that a download lasts long enough to pause it.
    const QString demo = QStringLiteral(LARKBAY_TEST_MEDIA);
    bigFile_.resize(24 * 1024 * 1024);
    for (qsizetype i = 0; i < bigFile_.size(); ++i) bigFile_[i] = static_cast<char>((i * 131 + i / 4093) & 0xFF);
    QFile big(media_.filePath(QStringLiteral("big.flac")));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.write(bigFile_) == bigFile_.size());
    big.close();
    for (const QString& folder : {QStringLiteral("audio"), QStringLiteral("dj"), QStringLiteral("mv")}) {
      QVERIFY(QDir().mkpath(media_.filePath(folder)));
      for (const QString& name : QDir(demo + u'/' + folder).entryList(QDir::Files)) {
        const QString target = media_.filePath(folder + u'/' + name);
        if (name.endsWith(QStringLiteral("-sq.flac")))
          QVERIFY(QFile::link(big.fileName(), target));
        else
          QVERIFY(QFile::copy(demo + u'/' + folder + u'/' + name, target));
      }
    }
    QVERIFY(StartServer());
    socket_ = appData_->Path() + QStringLiteral("/automation.sock");
    app_ = std::make_unique<Remote>(socket_);
  }

  void cleanupTestCase() {
    // The developers' log of every start, beside the screenshots.
    QFile::remove(shots_ + QStringLiteral("/lark-bay.log"));
    QFile::copy(appData_->Path() + QStringLiteral("/Lark-Bay/lark-bay.log"),
                shots_ + QStringLiteral("/lark-bay.log"));
    EndFamily(running_);
    EndFamily(RecordedProgram(*appData_));
    app_.reset();
    server_.reset();
    appData_.reset();
  }

  void firstStartFetchesTheEngineAndPlays() {
    const qint64 first = StartClient(socket_);
    QVERIFY(first > 0);
    running_ = first;
    // No engine and no pack: the notice, which closes itself after ten seconds.
    QString box;
    QVERIFY(app_->WaitFor([&] {
      box = app_->Ask("box");
      return box.contains(QStringLiteral("Enginepack"));
    }, 60000));
    const QString console = app_->Ask("text", QStringLiteral("编辑框_控制台"));
    for (const char* step : {"主程序->初始化", "服务器->初始化", "更新程序->初始化", "版本更新->初始化",
                             "引擎环境->初始化"})
      QVERIFY2(console.contains(QString::fromUtf8(step)), qPrintable(console));
    app_->Disconnect();
    // The updater ends this copy and starts the program again.
    QVERIFY(app_->WaitFor([&] { return !Running(first); }, kLongMs));
    QVERIFY(app_->WaitFor([&] {
      const qint64 pid = RecordedProgram(*appData_);
      return pid != first && Running(pid);
    }, kLongMs));
    running_ = RecordedProgram(*appData_);
    // The console is there until the main window shows: keep what it said.
    QString again;
    QVERIFY(app_->WaitFor([&] {
      const QString now = app_->Ask("text", QStringLiteral("编辑框_控制台"));
      if (!now.startsWith(QLatin1String("error"))) again = now;
      return app_->Ask("ping") == QLatin1String("main");
    }, kLongMs));
    QCOMPARE(app_->Ask("value", QStringLiteral("PlayerEngine")), QStringLiteral("cef"));
    QVERIFY(!QFileInfo::exists(appData_->Desktop() + QStringLiteral("/Enginepack")));
    for (const char* step : {"主程序->初始化", "服务器->初始化", "更新程序->初始化", "版本更新->初始化",
                             "引擎环境->初始化", "推荐歌单->初始化", "绘制->主窗口"})
      QVERIFY2(again.contains(QString::fromUtf8(step)), qPrintable(again));
    // The recommended list plays: the bar's time moves on.
    const QString elapsed = QString::fromUtf8(testing::kPlayerElapsedScript);
    // On a failure: the bar's state and the cause of its last failed track.
    const QString bar = QString::fromUtf8(testing::kPlayerBarStateScript);
    QString before;
    QVERIFY2(app_->WaitFor([&] {
      before = app_->Ask("eval", elapsed);
      return !before.startsWith(QLatin1String("error")) && before != QLatin1String("0:00");
    }, 30000), qPrintable(before + QStringLiteral(" — ") + app_->Ask("eval", bar)));
    QVERIFY(app_->WaitFor([&] { return app_->Ask("eval", elapsed) > before; }, 30000));
    Shot("1-first-start");
  }

  void songsAreFoundPlayedAndDownloaded() {
    QCOMPARE(app_->Ask("tab", QStringLiteral("1")), QString());
    app_->Ask("settext", QStringLiteral("Song_编辑框_搜索文本"), QStringLiteral("林小雨"));
    QCOMPARE(app_->Ask("click", QStringLiteral("Song_按钮_查找")), QString());
    const QString label = QStringLiteral("Song_透明标签_页数信息栏");
    QVERIFY(app_->WaitFor([&] { return app_->Ask("text", label).contains(QStringLiteral("页数[1]")); }, 30000));
    QVERIFY(Rows("Song_超级列表框_搜索结果") > 0);
    QVERIFY(ClickWhenEnabled("Song_按钮_下一页"));
    QVERIFY(app_->WaitFor([&] { return app_->Ask("text", label).contains(QStringLiteral("页数[2]")); }, 30000));
    QVERIFY(ClickWhenEnabled("Song_按钮_上一页"));
    QVERIFY(app_->WaitFor([&] { return app_->Ask("text", label).contains(QStringLiteral("页数[1]")); }, 30000));

    // A double-click plays the row: a page of one song.
    QCOMPARE(app_->Ask("doubleclick", QStringLiteral("Song_超级列表框_搜索结果"), QStringLiteral("0")), QString());
    const QString played = app_->Ask("song", QStringLiteral("0"), QStringLiteral("SongName"));
    const QString list = QStringLiteral("document.querySelector('.sm2-playlist-bd').textContent");
    QString shown;
    QVERIFY2(app_->WaitFor([&] {
      shown = app_->Ask("eval", list);
      return shown.contains(played);
    }, 30000), qPrintable(played + QStringLiteral(" not in ") + shown));
    // ... and plays it: the bar's time moves on.
    const QString elapsed = QString::fromUtf8(testing::kPlayerElapsedScript);
    QString start;
    QVERIFY(app_->WaitFor([&] {
      start = app_->Ask("eval", elapsed);
      return !start.startsWith(QLatin1String("error")) && start != QLatin1String("0:00");
    }, 30000));
    QVERIFY(app_->WaitFor([&] { return app_->Ask("eval", elapsed) > start; }, 30000));
    Shot("2-songs");

    // 320 kbps twice: the name, then "(1)", with the server's bytes.
    app_->Ask("select", QStringLiteral("Song_超级列表框_搜索结果"), QStringLiteral("0"));
    for (int n = 0; n < 2; ++n) {
      const int before = static_cast<int>(Tasks().size());
      Command(2207);
      QVERIFY(app_->WaitFor([&] { return Tasks().size() == before + 1; }, 30000));
      QVERIFY(app_->WaitFor([&] { return Task(before + 1).value(0) == QLatin1String("2002"); }, kLongMs));
    }
    const QString name = app_->Ask("song", QStringLiteral("0"), QStringLiteral("SongArtists")) + QStringLiteral(" - ") +
                         app_->Ask("song", QStringLiteral("0"), QStringLiteral("SongName"));
    const QString folder = app_->Ask("value", QStringLiteral("SavePath"));
    const QString hq = app_->Ask("song", QStringLiteral("0"), QStringLiteral("HQ"));
    const QByteArray served = Md5Of(ReadAll(media_.path() + QUrl(hq).path().mid(6)));
    QCOMPARE(Task(1).value(1), folder + QStringLiteral("[高品] ") + name + QStringLiteral(".mp3"));
    QCOMPARE(Task(2).value(1), folder + QStringLiteral("[高品] ") + name + QStringLiteral("(1).mp3"));
    QCOMPARE(Md5Of(ReadAll(Task(1).value(1))), served);
    QCOMPARE(Md5Of(ReadAll(Task(2).value(1))), served);
  }

  void aMixIsPlayedMarkedCopiedAndDownloaded() {
    app_->Ask("tab", QStringLiteral("0"));
    if (app_->Ask("checked", QStringLiteral("DJ_选择框_排序")) != QLatin1String("1"))
      app_->Ask("click", QStringLiteral("DJ_选择框_排序"));
    QCOMPARE(app_->Ask("text", QStringLiteral("DJ_编辑框_搜索文本")), QStringLiteral("#all"));
    app_->Ask("click", QStringLiteral("DJ_按钮_查找"));
    const QString label = QStringLiteral("DJ_透明标签_页数信息栏");
    QVERIFY(app_->WaitFor([&] { return app_->Ask("text", label).contains(QStringLiteral("当前第1页")); }, 30000));
    // Newest first.
    QVERIFY(Cell("DJ_超级列表框_搜索结果", 0, 5) >= Cell("DJ_超级列表框_搜索结果", 1, 5));
    const QString list = QStringLiteral("DJ_超级列表框_搜索结果");
    // The mix played, marked, copied and downloaded: the first below the top
    // one that has a high quality (its menu offers the download).
    int pick = 1;
    while (pick < Rows("DJ_超级列表框_搜索结果") &&
           !app_->Ask("mix", QString::number(pick), QStringLiteral("HQ")).startsWith(QLatin1String("http")))
      ++pick;
    QVERIFY(pick < Rows("DJ_超级列表框_搜索结果"));
    const QString row = QString::number(pick);
    app_->Ask("doubleclick", list, row);
    QVERIFY(app_->WaitFor([&] { return app_->Ask("value", QStringLiteral("PlayingDjRow")) == QString::number(pick + 1); }, 30000));
    const QString marked = app_->Ask("colour", list, row, QStringLiteral("0"));
    QVERIFY(!marked.isEmpty());
    QVERIFY(app_->Ask("colour", list, QStringLiteral("0"), QStringLiteral("0")) != marked);
    QVERIFY(ClickWhenEnabled("DJ_按钮_下一页"));
    QVERIFY(app_->WaitFor([&] { return app_->Ask("text", label).contains(QStringLiteral("当前第2页")); }, 30000));
    QVERIFY(app_->Ask("colour", list, row, QStringLiteral("0")) != marked);
    QVERIFY(ClickWhenEnabled("DJ_按钮_上一页"));
    QVERIFY(app_->WaitFor([&] { return app_->Ask("text", label).contains(QStringLiteral("当前第1页")); }, 30000));
    QVERIFY(app_->WaitFor([&] { return app_->Ask("colour", list, row, QStringLiteral("0")) == marked; }, 10000));
    Shot("3-dj");

    // Its number on the clipboard, its high quality on disk.
    app_->Ask("select", list, row);
    Command(2108);
    QCOMPARE(app_->Ask("clipboard"), app_->Ask("mix", row, QStringLiteral("SongID")));
    const int before = static_cast<int>(Tasks().size());
    Command(2104);
    QVERIFY(app_->WaitFor([&] { return Tasks().size() == before + 1; }, 30000));
    QVERIFY2(app_->WaitFor([&] { return Task(before + 1).value(0) == QLatin1String("2002"); }, kLongMs),
             qPrintable(Tasks().join(u'\n') + u' ' + Cell("超级列表框_下载管理模块", 0, 4) + u' ' +
                        app_->Ask("tooltip", QStringLiteral("超级列表框_下载管理模块"), QStringLiteral("0"), QStringLiteral("4"))));
    const QString name = app_->Ask("mix", row, QStringLiteral("SongName"));
    QCOMPARE(QFileInfo(Task(before + 1).value(1)).fileName(), QStringLiteral("[高] ") + name + QStringLiteral(".mp3"));
    const QString hq = app_->Ask("mix", row, QStringLiteral("HQ"));
    QCOMPARE(Md5Of(ReadAll(Task(before + 1).value(1))), Md5Of(ReadAll(media_.path() + QUrl(hq).path().mid(6))));
  }

  void aLargeDownloadPausesResumesAndAnotherIsDeleted() {
    app_->Ask("tab", QStringLiteral("1"));
    const QString songs = QStringLiteral("Song_超级列表框_搜索结果");
    // Lossless files are 24 MB at 3 MB/s here.
    int row = -1;
    for (int r = 0; r < Rows("Song_超级列表框_搜索结果") && row < 0; ++r)
      if (Cell("Song_超级列表框_搜索结果", r, 7).contains(QStringLiteral("√"))) row = r;
    QVERIFY(row >= 0);
    app_->Ask("select", songs, QString::number(row));
    const int large = static_cast<int>(Tasks().size()) + 1;
    Command(2208);
    QVERIFY(app_->WaitFor([&] { return Task(large).value(0) == QLatin1String("2001"); }, 30000));
    const QString partial = Task(large).value(2) + QStringLiteral(".download");
    QVERIFY(app_->WaitFor([&] { return QFileInfo(partial).size() > 1024 * 1024; }, 30000));
    app_->Ask("tab", QStringLiteral("2"));
    const QString downloads = QStringLiteral("超级列表框_下载管理模块");
    auto rowOf = [&](int id) {
      for (int r = 0; r < Rows("超级列表框_下载管理模块"); ++r)
        if (Cell("超级列表框_下载管理模块", r, 5) == QString::number(id)) return r;
      return -1;
    };
    app_->Ask("select", downloads, QString::number(rowOf(large)));
    Command(2003);
    QVERIFY(app_->WaitFor([&] { return Cell("超级列表框_下载管理模块", rowOf(large), 4) == QStringLiteral("暂停下载"); }, 10000));
    QTest::qWait(1500);
    const qint64 paused = QFileInfo(partial).size();
    QTest::qWait(1500);
    QCOMPARE(QFileInfo(partial).size(), paused);
    QVERIFY(paused < bigFile_.size());
    Shot("4-paused");
    app_->Ask("select", downloads, QString::number(rowOf(large)));
    Command(2004);
    QVERIFY(app_->WaitFor([&] { return Task(large).value(0) == QLatin1String("2002"); }, kLongMs));
    QCOMPARE(Md5Of(ReadAll(Task(large).value(1))), Md5Of(bigFile_));

    // Another, deleted while it runs: its row at once, its file soon after.
    app_->Ask("tab", QStringLiteral("1"));
    app_->Ask("select", songs, QString::number(row));
    const int doomed = large + 1;
    Command(2208);
    QVERIFY(app_->WaitFor([&] { return Task(doomed).value(0) == QLatin1String("2001"); }, 30000));
    const QString doomedPartial = Task(doomed).value(2) + QStringLiteral(".download");
    QVERIFY(app_->WaitFor([&] { return QFileInfo::exists(doomedPartial); }, 30000));
    app_->Ask("tab", QStringLiteral("2"));
    const int rows = Rows("超级列表框_下载管理模块");
    app_->Ask("select", downloads, QString::number(rowOf(doomed)));
    Command(2005);
    QVERIFY(app_->WaitFor([&] { return Rows("超级列表框_下载管理模块") == rows - 1; }, 5000));
    QCOMPARE(rowOf(doomed), -1);
    QVERIFY(app_->WaitFor([&] { return !QFileInfo::exists(doomedPartial); }, 15000));
    Shot("4-downloads");
  }

  void withoutTheServerTheCachesServe() {
    // 自动播放 off, kept in Config.ini.
    QCOMPARE(app_->Ask("value", QStringLiteral("AutoPlay")), QStringLiteral("1"));
    app_->Ask("syscommand", QStringLiteral("1999"));
    QCOMPARE(app_->Ask("value", QStringLiteral("AutoPlay")), QStringLiteral("0"));
    QVERIFY(appData_->ReadConfigIni().contains(QStringLiteral("AutoPlay=")));
    QVERIFY(!appData_->ReadConfigIni().contains(QStringLiteral("AutoPlay=true")));
    app_->Disconnect();
    EndFamily(running_);
    QVERIFY(app_->WaitFor([&] { return !Running(running_); }, 10000));
    base_ = server_->Base();
    server_.reset();  // the server is gone

    running_ = StartClient(socket_);
    QVERIFY(running_ > 0);
    QVERIFY(app_->WaitFor([&] { return app_->Ask("ping") == QLatin1String("main"); }, kLongMs));
    QCOMPARE(app_->Ask("value", QStringLiteral("AutoPlay")), QStringLiteral("0"));
    QVERIFY(app_->Ask("items", QStringLiteral("Song_组合框_搜索站点")).toInt() > 0);
    QVERIFY(app_->Ask("items", QStringLiteral("DJ_组合框_搜索站点")).toInt() > 0);
    app_->Ask("tab", QStringLiteral("1"));
    app_->Ask("settext", QStringLiteral("Song_编辑框_搜索文本"), QStringLiteral("林小雨"));
    app_->Ask("click", QStringLiteral("Song_按钮_查找"));
    QVERIFY(app_->WaitFor([&] { return Cell("Song_超级列表框_搜索结果", 0, 0) == QStringLiteral("错误内容：查找失败"); }, 60000));
    Shot("5-server-down");
  }

  void aSecondCopyIsRefusedOnCancel() {
    const QString second = appData_->Path() + QStringLiteral("/second.sock");
    Remote copy(second);
    const qint64 pid = StartClient(second);
    QVERIFY(pid > 0);
    QString box;
    QVERIFY(copy.WaitFor([&] {
      box = copy.Ask("box");
      return box.startsWith(QStringLiteral("重复运行！！！"));
    }, 60000));
    QCOMPARE(copy.Ask("answer", QStringLiteral("取消")), QString());
    copy.Disconnect();
    QVERIFY(copy.WaitFor([&] { return !Running(pid); }, 30000));
    QCOMPARE(app_->Ask("ping"), QStringLiteral("main"));
    QVERIFY(Running(running_));
  }
};

}  // namespace larkbay

QTEST_MAIN(larkbay::ScenarioTest)
#include "scenario_test.moc"

// libaquarius.so in a host that knows only Widgets: no start as root without
// the user's sandbox switch, start-up events, the browser in a host widget,
// pages, scripts, sound, the context menu and the shutdown.

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWidget>
#include <csignal>
#include <cstdio>
#include <map>
#include <optional>

#include "engine_library.h"
#include "file_server.h"
#include "player/show_player_page.h"

namespace {

// The test's own message handler, while a test catches messages.
QtMessageHandler tests_handler = nullptr;

// The pages' console messages (Qt's category "js"), caught in the host; the
// rest goes on to the test's own handler.
QStringList page_console;

void CatchPageConsole(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (qstrcmp(context.category, "js") == 0) {
    page_console << message;
    return;
  }
  if (tests_handler) tests_handler(type, context, message);
}

// The critical messages the host sees.
QStringList criticals;

void CatchCriticals(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtCriticalMsg) criticals << message;
  if (tests_handler) tests_handler(type, context, message);
}

// The processes whose parent is `parent`.
QList<qint64> ChildrenOf(qint64 parent) {
  QList<qint64> children;
  for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    bool number = false;
    const qint64 pid = entry.toLongLong(&number);
    if (!number) continue;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) continue;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() > 1 && fields[1].toLongLong() == parent) children << pid;
  }
  return children;
}

class EnginePluginTest : public QObject {
  Q_OBJECT

 public:
  explicit EnginePluginTest(const QTemporaryDir& dir) : dir_(dir) {}

 private slots:
  void initTestCase();
  void startsWithEventsInOrder();
  void browserFillsItsHostWidget();
  void findsBrowserByWindow();
  void loadStringFiresLoadEnd();
  void executeJavaScriptChangesThePage();
  void autoPlayClickOnlyWhereThePlayButtonIs();
  void failedHttpLoadReportsItsStatus();
  void autoplayAudioPlays();
  void downloadsCompleteNumberedInStartOrder();
  void pauseStopsWritingAndResumeFinishes();
  void cancelEndsTheDownload();
  void connectionCutContinuesTheSameItem();
  void onlyTheProgramsDownloadsAreNumbered();
  void contextMenuAsksTheHost_data();
  void contextMenuAsksTheHost();
  void crashedPageIsReported();
  void cleanupTestCase();

 private:
  static bool OnEvent(int event, const AquaEventArgs* args, void* self) {
    return static_cast<EnginePluginTest*>(self)->Handle(event, *args);
  }
  bool Handle(int event, const AquaEventArgs& args);
  void OnSettings(AquaSettings* settings);
  void OnCommandLine(AquaCommandLine* command_line);
  void OnReady();
  void OnBrowserCreated(AquaBrowser* browser);
  // The script's value as text; empty optional when it never came back.
  std::optional<QString> Evaluate(const QString& script);
  // What the host has seen of one download.
  struct Download {
    QString suggested_name;
    int asked = 0;  // event 30
    bool in_progress_after_continue = false;
    int updates = 0;  // event 31
    bool canceled_seen = false;
    AquaDownloadItem* item = nullptr;              // kept
    AquaDownloadItemCallback* callback = nullptr;  // the last one, kept
  };
  void OnBeforeDownload(const AquaEventArgs& args);
  void OnDownloadUpdated(const AquaEventArgs& args);
  void StartDownload(const QString& url);
  QString TargetOf(int id) const {
    return dir_.filePath(QStringLiteral("downloads/%1.MT").arg(id));
  }
  static QByteArray Bytes(int size, char seed);
  bool LoadAndWait(const QString& html, const QString& url);
  QString UserDataPath() const { return dir_.filePath(QStringLiteral("Userdata")); }

  larkbay::testing::EngineLibrary aqua_;
  const QTemporaryDir& dir_;
  QWidget window_;
  QWidget* control_ = nullptr;
  QList<int> events_;
  QList<bool> switch_results_;
  bool bad_switch_result_ = true;
  uintptr_t browser_handle_ = 0;
  int loads_ = 0;
  int last_status_ = -1;
  int menus_ = 0;
  bool menu_answer_ = true;
  larkbay::testing::FileServer server_;
  std::map<int, Download> downloads_;
  int started_ = 0;  // downloads this host asked for
};

QByteArray EnginePluginTest::Bytes(int size, char seed) {
  QByteArray bytes(size, Qt::Uninitialized);
  for (int i = 0; i < size; ++i) bytes[i] = static_cast<char>(seed + i * 7 + i / 251);
  return bytes;
}

void EnginePluginTest::OnBeforeDownload(const AquaEventArgs& args) {
  const int id = aqua_.AquaDownloadGetId(args.download);
  Download& seen = downloads_[id];
  ++seen.asked;
  seen.suggested_name = QString::fromUtf8(args.suggested_name);
  aqua_.AquaDownloadCallbackContinue(args.before_download, TargetOf(id).toUtf8().constData(),
                                     false);
  seen.in_progress_after_continue = aqua_.AquaDownloadIsInProgress(args.download);
  if (!seen.item) {
    aqua_.AquaAddRef(args.download);
    seen.item = args.download;
  }
}

void EnginePluginTest::OnDownloadUpdated(const AquaEventArgs& args) {
  Download& seen = downloads_[aqua_.AquaDownloadGetId(args.download)];
  ++seen.updates;
  seen.canceled_seen = seen.canceled_seen || aqua_.AquaDownloadIsCanceled(args.download);
  aqua_.AquaAddRef(args.download_callback);
  aqua_.AquaRelease(seen.callback);
  seen.callback = args.download_callback;
}

void EnginePluginTest::StartDownload(const QString& url) {
  ++started_;
  AquaBrowser* browser = aqua_.AquaManagerQueryActor(browser_handle_);
  AquaBrowserHost* host = aqua_.AquaBrowserGetHost(browser);
  aqua_.AquaBrowserHostStartDownloadA(host, url.toUtf8().constData());
  aqua_.AquaRelease(host);
  aqua_.AquaRelease(browser);
}

bool EnginePluginTest::Handle(int event, const AquaEventArgs& args) {
  events_.push_back(event);
  switch (event) {
    case AQUA_EVENT_SETTINGS:
      OnSettings(args.settings);
      break;
    case AQUA_EVENT_COMMAND_LINE:
      OnCommandLine(args.command_line);
      break;
    case AQUA_EVENT_CONTEXT_READY:
      OnReady();
      break;
    case AQUA_EVENT_BROWSER_CREATED:
      OnBrowserCreated(args.browser);
      break;
    case AQUA_EVENT_LOAD_END:
      ++loads_;
      last_status_ = args.status_code;
      break;
    case AQUA_EVENT_BEFORE_DOWNLOAD:
      OnBeforeDownload(args);
      break;
    case AQUA_EVENT_DOWNLOAD_UPDATED:
      OnDownloadUpdated(args);
      break;
    case AQUA_EVENT_CONTEXT_MENU:
      ++menus_;
      return menu_answer_;
  }
  return false;
}

void EnginePluginTest::OnSettings(AquaSettings* settings) {
  const QByteArray path = QDir::toNativeSeparators(UserDataPath()).toUtf8();
  aqua_.AquaInitCachePathA(settings, path.constData());
  aqua_.AquaInitUserDataA(settings, path.constData());
  aqua_.AquaInitWindowlessRenderingEnabled(settings, false);
  aqua_.AquaInitPersistSessionCookies(settings, true);
  aqua_.AquaInitPersistUserPreferences(settings, true);
  aqua_.AquaInitLocaleA(settings, "zh-CN");
  aqua_.AquaInitRemoteDebuggingPort(settings, 0);
  aqua_.AquaInitIgnoreCertificateErrors(settings, false);
}

void EnginePluginTest::OnCommandLine(AquaCommandLine* command_line) {
  const char* switches[][2] = {{"ppapi-flash-version", ""},
                               {"ppapi-flash-path", ""},
                               {"autoplay-policy", "no-user-gesture-required"}};
  for (const auto& item : switches)
    switch_results_.push_back(
        aqua_.AquaCommandLineAppendSwitchWithValueA(command_line, item[0], item[1]));
  // Would reach the engine as two switches.
  bad_switch_result_ =
      aqua_.AquaCommandLineAppendSwitchWithValueA(command_line, "lang", "zh-CN --single-process");
}

void EnginePluginTest::OnReady() {
  AquaWindowInfo* info = aqua_.AquaWindowCreate();
  aqua_.AquaWindowSetAsChild(info, reinterpret_cast<uintptr_t>(control_), 0, 0, control_->width(),
                             control_->height());
  AquaBrowserSettings* settings = aqua_.AquaTypeBsCreate();
  aqua_.AquaBrowserHostCreateBrowserA(info, "", settings);
  aqua_.AquaRelease(settings);
  aqua_.AquaRelease(info);
}

void EnginePluginTest::OnBrowserCreated(AquaBrowser* browser) {
  AquaBrowserHost* host = aqua_.AquaBrowserGetHost(browser);
  browser_handle_ = aqua_.AquaBrowserHostGetWindowHandle(host);
  aqua_.AquaRelease(host);
}

std::optional<QString> EnginePluginTest::Evaluate(const QString& script) {
  AquaBrowser* browser = aqua_.AquaManagerQueryActor(browser_handle_);
  if (!browser) return std::nullopt;
  AquaFrame* frame = aqua_.AquaBrowserGetMainFrame(browser);
  // On the heap: a late answer after a time-out still has a place to go.
  auto* result = new std::optional<QString>;
  aqua_.AquaFrameEvaluateJavaScriptA(
      frame, script.toUtf8().constData(),
      [](const char* value, void* out) {
        *static_cast<std::optional<QString>*>(out) = QString::fromUtf8(value);
      },
      result);
  aqua_.AquaRelease(frame);
  aqua_.AquaRelease(browser);
  if (!QTest::qWaitFor([&] { return result->has_value(); }, 10000)) return std::nullopt;
  std::optional<QString> value = *result;
  delete result;
  return value;
}

bool EnginePluginTest::LoadAndWait(const QString& html, const QString& url) {
  AquaBrowser* browser = aqua_.AquaManagerQueryActor(browser_handle_);
  if (!browser) return false;
  AquaFrame* frame = aqua_.AquaBrowserGetMainFrame(browser);
  const int before = loads_;
  aqua_.AquaFrameLoadStringA(frame, html.toUtf8().constData(),
                             url.isEmpty() ? nullptr : url.toUtf8().constData());
  aqua_.AquaRelease(frame);
  aqua_.AquaRelease(browser);
  return QTest::qWaitFor([&] { return loads_ > before; }, 15000);
}

void EnginePluginTest::initTestCase() {
  QVERIFY(dir_.isValid());
  std::string error;
  QVERIFY2(aqua_.Open(LARKBAY_ENGINE_LIBRARY, &error), error.c_str());
  window_.resize(640, 480);
  control_ = new QWidget(&window_);
  control_->setGeometry(20, 20, 400, 300);
  window_.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window_));
  for (int event : {0, 1, 2, 9, 15, 30, 31, 32}) QVERIFY(aqua_.AquaBind(event, &OnEvent, this));
  QVERIFY(!aqua_.AquaBind(AQUA_EVENT_COUNT, &OnEvent, this));
  QVERIFY(server_.Listen());

  // As root the browser starts only when the user has switched its sandbox
  // off with exactly "1"; the engine never does so itself, and a refused
  // start raises nothing and launches no browser process.
  if (::geteuid() == 0) {
    constexpr char kSwitch[] = "QTWEBENGINE_DISABLE_SANDBOX";
    for (const char* value : {static_cast<const char*>(nullptr), "", "0", "true", "yes", " 1"}) {
      if (value)
        qputenv(kSwitch, value);
      else
        qunsetenv(kSwitch);
      QCOMPARE(aqua_.AquaDoWinMain(), -1);
      QCOMPARE(qEnvironmentVariableIsSet(kSwitch), value != nullptr);
      if (value) QCOMPARE(qgetenv(kSwitch), QByteArray(value));
      QVERIFY(events_.isEmpty());
      QVERIFY(ChildrenOf(QCoreApplication::applicationPid()).isEmpty());
    }
    qputenv(kSwitch, "1");  // what the test run gives
  }

  QCOMPARE(aqua_.AquaDoWinMain(), 0);
  // The first page, about:blank, has finished loading.
  QTRY_VERIFY_WITH_TIMEOUT(loads_ >= 1, 15000);
}

void EnginePluginTest::startsWithEventsInOrder() {
  QCOMPARE(events_.mid(0, 4), (QList<int>{0, 1, 2, 9}));
  QCOMPARE(switch_results_, (QList<bool>{true, true, true}));
  QVERIFY(!bad_switch_result_);
  const QString flags = qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS");
  QVERIFY2(flags.contains(QStringLiteral("--autoplay-policy=no-user-gesture-required")),
           qPrintable(flags));
  QVERIFY2(!flags.contains(QStringLiteral("single-process")), qPrintable(flags));
  // The data folder the engine borrowed while it made its profile is the
  // desktop's default again (it was not set: the default is what it meant).
  QCOMPARE(qEnvironmentVariable("XDG_DATA_HOME"),
           qEnvironmentVariable("HOME") + QStringLiteral("/.local/share"));
  // Started once only.
  QCOMPARE(aqua_.AquaDoWinMain(), -1);
  QCOMPARE(events_.count(0), 1);
}

void EnginePluginTest::browserFillsItsHostWidget() {
  QVERIFY(browser_handle_ != 0);
  auto* view = reinterpret_cast<QWidget*>(browser_handle_);
  QCOMPARE(view->parentWidget(), control_);
  QCOMPARE(view->geometry(), control_->rect());
  control_->resize(300, 200);
  QTRY_COMPARE(view->geometry(), QRect(0, 0, 300, 200));
  control_->resize(400, 300);
  QTRY_COMPARE(view->geometry(), control_->rect());
}

void EnginePluginTest::findsBrowserByWindow() {
  AquaBrowser* by_view = aqua_.AquaManagerQueryActor(browser_handle_);
  AquaBrowser* by_control = aqua_.AquaManagerQueryActor(reinterpret_cast<uintptr_t>(control_));
  QVERIFY(by_view);
  QVERIFY(by_control);
  AquaBrowserHost* host = aqua_.AquaBrowserGetHost(by_control);
  QCOMPARE(aqua_.AquaBrowserHostGetWindowHandle(host), browser_handle_);
  aqua_.AquaRelease(host);
  aqua_.AquaRelease(by_control);
  aqua_.AquaRelease(by_view);
  QVERIFY(!aqua_.AquaManagerQueryActor(0));
  QVERIFY(!aqua_.AquaManagerQueryActor(reinterpret_cast<uintptr_t>(&window_)));
  QVERIFY(!aqua_.AquaManagerQueryActor(browser_handle_ + 8));
}

void EnginePluginTest::loadStringFiresLoadEnd() {
  QVERIFY(LoadAndWait(QStringLiteral("<html><body><p id=\"p\">你好，水星</p></body></html>"),
                      QString()));
  QCOMPARE(last_status_, 200);
  QCOMPARE(Evaluate(QStringLiteral("document.getElementById('p').textContent")),
           std::optional<QString>(QStringLiteral("你好，水星")));
  QCOMPARE(Evaluate(QStringLiteral("location.href")),
           std::optional<QString>(QStringLiteral("about:blank")));
  // The profile keeps its data in the host's folder.
  QTRY_VERIFY_WITH_TIMEOUT(
      !QDir(UserDataPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty(), 10000);
}

void EnginePluginTest::executeJavaScriptChangesThePage() {
  AquaBrowser* browser = aqua_.AquaManagerQueryActor(browser_handle_);
  AquaFrame* frame = aqua_.AquaBrowserGetMainFrame(browser);
  aqua_.AquaFrameExecuteJavaScriptA(frame, "document.title = '水星 ' + (6 * 7);", "about:blank", 0);
  aqua_.AquaRelease(frame);
  aqua_.AquaRelease(browser);
  QCOMPARE(Evaluate(QStringLiteral("document.title")),
           std::optional<QString>(QStringLiteral("水星 42")));
  QCOMPARE(Evaluate(QStringLiteral("navigator.language")),
           std::optional<QString>(QStringLiteral("zh-CN")));
}

void EnginePluginTest::autoPlayClickOnlyWhereThePlayButtonIs() {
  auto run = [this](const QByteArray& script) {
    AquaBrowser* browser = aqua_.AquaManagerQueryActor(browser_handle_);
    AquaFrame* frame = aqua_.AquaBrowserGetMainFrame(browser);
    aqua_.AquaFrameExecuteJavaScriptA(frame, script.constData(), "about:blank", 0);
    aqua_.AquaRelease(frame);
    aqua_.AquaRelease(browser);
  };
  const QByteArray click(larkbay::kAutoPlayScript.data(),
                         static_cast<qsizetype>(larkbay::kAutoPlayScript.size()));
  page_console.clear();
  tests_handler = qInstallMessageHandler(&CatchPageConsole);
  struct Restore {
    ~Restore() { qInstallMessageHandler(tests_handler); }
  } restore;

  // A page without the player's bar, as the browser's blank first page: a
  // click that takes the button for granted fails there ...
  QVERIFY(LoadAndWait(QStringLiteral("<html><body><p>no player</p></body></html>"), QString()));
  run("document.getElementsByClassName('sm2-inline-button sm2-icon-play-pause')[0].click();");
  QTRY_VERIFY_WITH_TIMEOUT(!page_console.isEmpty(), 10000);
  QVERIFY2(page_console.join(u'\n').contains(QLatin1String("click")),
           qPrintable(page_console.join(u'\n')));
  // ... the auto-play click does nothing and says nothing.
  page_console.clear();
  run(click);
  QCOMPARE(Evaluate(QStringLiteral("document.title = 'after'; document.title")),
           std::optional<QString>(QStringLiteral("after")));
  QTest::qWait(500);
  QVERIFY2(page_console.isEmpty(), qPrintable(page_console.join(u'\n')));

  // On the player's page it clicks play.
  QVERIFY(LoadAndWait(QStringLiteral("<html><body><a href=\"#play\" class=\"sm2-inline-button "
                                     "sm2-icon-play-pause\" onclick=\"document.title = 'played'; "
                                     "return false;\">play</a></body></html>"),
                      QString()));
  run(click);
  QCOMPARE(Evaluate(QStringLiteral("document.title")),
           std::optional<QString>(QStringLiteral("played")));
  QVERIFY2(page_console.isEmpty(), qPrintable(page_console.join(u'\n')));
}

void EnginePluginTest::failedHttpLoadReportsItsStatus() {
  AquaBrowser* browser = aqua_.AquaManagerQueryActor(browser_handle_);
  AquaFrame* frame = aqua_.AquaBrowserGetMainFrame(browser);
  const int before = loads_;
  const QByteArray go =
      QStringLiteral("location.href = '%1';").arg(server_.Url(QStringLiteral("/missing"))).toUtf8();
  aqua_.AquaFrameExecuteJavaScriptA(frame, go.constData(), "about:blank", 0);
  aqua_.AquaRelease(frame);
  aqua_.AquaRelease(browser);
  QTRY_VERIFY_WITH_TIMEOUT(loads_ > before, 15000);
  QCOMPARE(last_status_, 404);
}

void EnginePluginTest::autoplayAudioPlays() {
  const QString sox = QStandardPaths::findExecutable(QStringLiteral("sox"));
  if (sox.isEmpty()) QSKIP("sox is needed to make the sound file");
  const QString mp3 = dir_.filePath(QStringLiteral("tone.mp3"));
  QCOMPARE(
      QProcess::execute(sox, {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"),
                              mp3, QStringLiteral("synth"), QStringLiteral("6"),
                              QStringLiteral("sine"), QStringLiteral("440")}),
      0);
  const QString base = QUrl::fromLocalFile(dir_.filePath(QStringLiteral("player.html"))).toString();
  QVERIFY(LoadAndWait(QStringLiteral("<audio id=\"a\" autoplay src=\"tone.mp3\"></audio>"), base));
  QCOMPARE(last_status_, 200);
  const auto position = [this] {
    return Evaluate(QStringLiteral("document.getElementById('a').currentTime"))
        .value_or(QString())
        .toDouble();
  };
  QTRY_VERIFY_WITH_TIMEOUT(position() > 0.2, 10000);
  const double first = position();
  QTest::qWait(1200);
  const double second = position();
  QVERIFY2(second > first + 0.5, qPrintable(QStringLiteral("%1 -> %2").arg(first).arg(second)));
  QCOMPARE(Evaluate(QStringLiteral("String(document.getElementById('a').paused)")),
           std::optional<QString>(QStringLiteral("false")));
}

void EnginePluginTest::downloadsCompleteNumberedInStartOrder() {
  const QByteArray first = Bytes(300 * 1024, 'a');
  const QByteArray second = Bytes(200 * 1024, 'b');
  server_.Add(QStringLiteral("/first.bin"), {first, 64 * 1024, 20, false});
  server_.Add(QStringLiteral("/second.bin"), {second, 64 * 1024, 20, false});
  StartDownload(server_.Url(QStringLiteral("/first.bin")));
  StartDownload(server_.Url(QStringLiteral("/second.bin")));
  QTRY_VERIFY_WITH_TIMEOUT(downloads_.size() == 2 && downloads_[1].item && downloads_[2].item &&
                               aqua_.AquaDownloadIsComplete(downloads_[1].item) &&
                               aqua_.AquaDownloadIsComplete(downloads_[2].item),
                           20000);
  const struct {
    int id;
    QString name;
    QByteArray body;
  } expected[] = {{1, QStringLiteral("first.bin"), first},
                  {2, QStringLiteral("second.bin"), second}};
  for (const auto& row : expected) {
    const Download& seen = downloads_[row.id];
    QCOMPARE(seen.suggested_name, row.name);
    QCOMPARE(seen.asked, 1);
    QVERIFY(seen.in_progress_after_continue);
    QVERIFY(seen.updates >= 2);
    QCOMPARE(aqua_.AquaDownloadGetTotalBytes(seen.item), row.body.size());
    QCOMPARE(aqua_.AquaDownloadGetPercentComplete(seen.item), 100);
    QVERIFY(!aqua_.AquaDownloadIsInProgress(seen.item));
    QVERIFY(!aqua_.AquaDownloadIsCanceled(seen.item));
    QFile file(TargetOf(row.id));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == row.body);
  }
}

void EnginePluginTest::pauseStopsWritingAndResumeFinishes() {
  const QByteArray body = Bytes(1536 * 1024, 'p');
  server_.Add(QStringLiteral("/pause.bin"), {body, 32 * 1024, 50, false});
  const int id = static_cast<int>(downloads_.size()) + 1;
  StartDownload(server_.Url(QStringLiteral("/pause.bin")));
  QTRY_VERIFY_WITH_TIMEOUT(downloads_[id].callback &&
                               aqua_.AquaDownloadGetReceivedBytes(downloads_[id].item) > 100 * 1024,
                           10000);
  Download& seen = downloads_[id];
  aqua_.AquaDownloadItemCallbackPause(seen.callback);
  aqua_.AquaDownloadItemCallbackPause(seen.callback);
  QVERIFY(aqua_.AquaDownloadIsPaused(seen.item));
  QVERIFY(aqua_.AquaDownloadIsInProgress(seen.item));
  const QString partial = TargetOf(id) + QStringLiteral(".download");
  QTest::qWait(800);
  const qint64 paused_size = QFileInfo(partial).size();
  QTest::qWait(1000);
  QCOMPARE(QFileInfo(partial).size(), paused_size);
  QVERIFY(paused_size < body.size());
  QVERIFY(!aqua_.AquaDownloadIsComplete(seen.item));

  aqua_.AquaDownloadItemCallbackResume(seen.callback);
  QVERIFY(!aqua_.AquaDownloadIsPaused(seen.item));
  QTRY_VERIFY_WITH_TIMEOUT(aqua_.AquaDownloadIsComplete(seen.item), 20000);
  QFile file(TargetOf(id));
  QVERIFY(file.open(QIODevice::ReadOnly));
  QVERIFY(file.readAll() == body);
}

void EnginePluginTest::cancelEndsTheDownload() {
  server_.Add(QStringLiteral("/cancel.bin"), {Bytes(1024 * 1024, 'c'), 16 * 1024, 50, false});
  const int id = static_cast<int>(downloads_.size()) + 1;
  StartDownload(server_.Url(QStringLiteral("/cancel.bin")));
  QTRY_VERIFY_WITH_TIMEOUT(
      downloads_[id].callback && aqua_.AquaDownloadGetReceivedBytes(downloads_[id].item) > 0,
      10000);
  Download& seen = downloads_[id];
  aqua_.AquaDownloadItemCallbackCancel(seen.callback);
  QTRY_VERIFY_WITH_TIMEOUT(seen.canceled_seen, 5000);
  QVERIFY(aqua_.AquaDownloadIsCanceled(seen.item));
  QVERIFY(!aqua_.AquaDownloadIsInProgress(seen.item));
  QVERIFY(!aqua_.AquaDownloadIsComplete(seen.item));
  QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(TargetOf(id) + QStringLiteral(".download")), 5000);
  QVERIFY(!QFileInfo::exists(TargetOf(id)));
}

void EnginePluginTest::connectionCutContinuesTheSameItem() {
  const QByteArray body = Bytes(512 * 1024, 'x');
  server_.Add(QStringLiteral("/cut.bin"), {body, 16 * 1024, 20, true});
  const size_t before = downloads_.size();
  const int id = static_cast<int>(before) + 1;
  StartDownload(server_.Url(QStringLiteral("/cut.bin")));
  QTRY_VERIFY_WITH_TIMEOUT(downloads_[id].item && aqua_.AquaDownloadIsComplete(downloads_[id].item),
                           30000);
  QCOMPARE(downloads_.size(), before + 1);
  QCOMPARE(downloads_[id].asked, 1);
  const QStringList ranges = server_.Ranges(QStringLiteral("/cut.bin"));
  QCOMPARE(ranges.size(), 2);
  QVERIFY2(ranges[1].startsWith(QStringLiteral("Range:")), qPrintable(ranges.join(u'|')));
  QFile file(TargetOf(id));
  QVERIFY(file.open(QIODevice::ReadOnly));
  QVERIFY(file.readAll() == body);
}

void EnginePluginTest::onlyTheProgramsDownloadsAreNumbered() {
  // A page's script clicks download links: one to a file of its own, one to
  // the address the program asks for next. Neither may take a number, or the
  // program's downloads land on the wrong tasks.
  server_.Add(QStringLiteral("/page.bin"), {Bytes(64 * 1024, 'q'), 16 * 1024, 20, false});
  const QByteArray own = Bytes(96 * 1024, 'o');
  const QByteArray moved = Bytes(80 * 1024, 'm');
  server_.Add(QStringLiteral("/own.bin"), {own, 16 * 1024, 20, false});
  server_.Add(QStringLiteral("/moved-to.bin"), {moved, 16 * 1024, 20, false});
  larkbay::testing::FileServer::File redirect;
  redirect.redirect_to = QStringLiteral("/moved-to.bin");
  server_.Add(QStringLiteral("/moved.bin"), redirect);
  QVERIFY(LoadAndWait(QStringLiteral("<a id=\"page\" download href=\"/page.bin\">a</a>"
                                     "<a id=\"same\" download href=\"/own.bin\">b</a>"),
                      server_.Url(QStringLiteral("/links.html"))));
  QCOMPARE(Evaluate(QStringLiteral("document.getElementById('page').click();"
                                   "document.getElementById('same').click(); 'clicked'")),
           std::optional<QString>(QStringLiteral("clicked")));
  QTRY_VERIFY_WITH_TIMEOUT(!server_.Ranges(QStringLiteral("/page.bin")).isEmpty() &&
                               !server_.Ranges(QStringLiteral("/own.bin")).isEmpty(),
                           10000);
  // The answers' headers have reached the engine and its download handler.
  QTest::qWait(1000);

  // The program's next download takes the next number of the program's.
  const int first = started_ + 1;
  StartDownload(server_.Url(QStringLiteral("/own.bin")));
  StartDownload(server_.Url(QStringLiteral("/moved.bin")));
  QTRY_VERIFY_WITH_TIMEOUT(downloads_[first].item && downloads_[first + 1].item &&
                               aqua_.AquaDownloadIsComplete(downloads_[first].item) &&
                               aqua_.AquaDownloadIsComplete(downloads_[first + 1].item),
                           20000);
  QCOMPARE(downloads_.size(), static_cast<size_t>(started_));
  const struct {
    int id;
    QString name;
    QByteArray body;
  } expected[] = {{first, QStringLiteral("own.bin"), own},
                  {first + 1, QStringLiteral("moved-to.bin"), moved}};
  for (const auto& row : expected) {
    const Download& seen = downloads_[row.id];
    QCOMPARE(seen.suggested_name, row.name);
    QCOMPARE(seen.asked, 1);
    QFile file(TargetOf(row.id));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == row.body);
  }
  // The redirect was followed, once for the program.
  QCOMPARE(server_.Ranges(QStringLiteral("/moved.bin")).size(), 1);
  // Nothing of the page's downloads is on disk anywhere in the run's folder.
  QDirIterator written(dir_.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (written.hasNext()) {
    const QString path = written.next();
    QVERIFY2(!QFileInfo(path).fileName().startsWith(QStringLiteral("page.bin")), qPrintable(path));
  }
}

void EnginePluginTest::contextMenuAsksTheHost_data() {
  QTest::addColumn<bool>("answer");
  QTest::addColumn<bool>("menu_shown");
  QTest::newRow("handled by the host") << true << false;
  QTest::newRow("left to the browser") << false << true;
}

void EnginePluginTest::contextMenuAsksTheHost() {
  QFETCH(bool, answer);
  QFETCH(bool, menu_shown);
  QVERIFY(
      LoadAndWait(QStringLiteral("<body style=\"height:100vh\"><p>菜单</p></body>"), QString()));
  auto* view = reinterpret_cast<QWidget*>(browser_handle_);
  QWidget* surface = view->focusProxy() ? view->focusProxy() : view;
  menu_answer_ = answer;
  const int before = menus_;
  QTest::mouseClick(surface, Qt::RightButton, {}, QPoint(100, 100));
  QTRY_COMPARE_WITH_TIMEOUT(menus_, before + 1, 10000);
  if (menu_shown) {
    QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
    QApplication::activePopupWidget()->close();
  } else {
    QTest::qWait(500);
    QVERIFY(QApplication::activePopupWidget() == nullptr);
  }
}

void EnginePluginTest::crashedPageIsReported() {
  // The page's renderer is forked by Chromium's zygote, a child of this process.
  QList<qint64> renderers;
  for (qint64 zygote : ChildrenOf(QCoreApplication::applicationPid()))
    renderers << ChildrenOf(zygote);
  QVERIFY(!renderers.isEmpty());
  criticals.clear();
  tests_handler = qInstallMessageHandler(&CatchCriticals);
  struct Restore {
    ~Restore() { qInstallMessageHandler(tests_handler); }
  } restore;
  for (qint64 pid : renderers) ::kill(static_cast<pid_t>(pid), SIGSEGV);
  QTRY_VERIFY_WITH_TIMEOUT(!criticals.isEmpty(), 10000);
  QVERIFY2(criticals.join(u'\n').contains(QLatin1String("render process crashed")),
           qPrintable(criticals.join(u'\n')));
}

void EnginePluginTest::cleanupTestCase() {
  if (!aqua_.AquaManagerCloseAllBrowser) return;
  for (auto& [id, seen] : downloads_) {
    aqua_.AquaRelease(seen.callback);
    aqua_.AquaRelease(seen.item);
  }
  aqua_.AquaManagerCloseAllBrowser();
  QVERIFY(!aqua_.AquaManagerQueryActor(reinterpret_cast<uintptr_t>(control_)));
  QVERIFY(control_->findChildren<QWidget*>().isEmpty());
  aqua_.AquaQuitProcess();
  // No engine after the end.
  QCOMPARE(aqua_.AquaDoWinMain(), -1);
}

}  // namespace

int main(int argc, char** argv) {
  // The engine shares GL contexts with the host's windows.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  // The engine writes its last files while the application ends.
  QTemporaryDir dir;
  // A home of its own: the engine keeps everything in the host's folder, so
  // after the whole run the home is still empty.
  const QString home = dir.filePath(QStringLiteral("home"));
  QDir().mkpath(home);
  qputenv("HOME", QFile::encodeName(home));
  for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"}) qunsetenv(name);
  int status = 0;
  {
    QApplication app(argc, argv);
    EnginePluginTest test(dir);
    status = QTest::qExec(&test, argc, argv);
  }
  QDirIterator written(home, QDir::Files | QDir::Hidden | QDir::System,
                       QDirIterator::Subdirectories);
  while (written.hasNext()) {
    std::fprintf(stderr, "FAIL: the engine wrote outside the host's folder: %s\n",
                 qPrintable(written.next()));
    status = 1;
  }
  return status;
}

#include "engine_plugin_test.moc"

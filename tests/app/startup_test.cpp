// The start-up: the logged sequence with its marks, the dots of the busy
// console, the hand-over to the main window with its height rule, the end of
// the process when the start-up window is closed early, and the question when
// another copy of the program runs.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include "app/controls/qt_controls.h"
#include "app/program.h"
#include "app/startup/console_log.h"
#include "app/startup/init_sequence.h"
#include "app/startup/init_steps.h"
#include "app/startup/single_instance_step.h"
#include "app/startup/startup_flow.h"
#include "app/windows/main_window.h"
#include "app/windows/startup_window.h"
#include "app_test_support.h"
#include "server_run.h"
#include "release_signing.h"
#include "net/server_request.h"
#include "platform/app_data_dir.h"
#include "platform/processes.h"
#include "remote/step_context.h"
#include "state/program_state.h"

using namespace larkbay;
using namespace std::chrono_literals;

namespace {

const char* const kLabels[] = {"主程序->初始化", "服务器->初始化", "更新程序->初始化",
                               "版本更新->初始化", "引擎环境->初始化", "推荐歌单->初始化",
                               "绘制->主窗口"};

std::vector<InitStep> Steps(const QList<bool>& results) {
  std::vector<InitStep> steps;
  for (int i = 0; i < 7; ++i) {
    const bool ok = results[i];
    steps.push_back({kLabels[i], [ok] { return ok; }});
  }
  return steps;
}

// Child mode: the real program whose start-up window the user closes while
// the steps still run.
int RunCloseEarlyChild(int argc, char** argv) {
  QApplication app(argc, argv);
  ProgramOptions options;
  options.steps = [](StartupContext&) {
    std::vector<InitStep> steps;
    for (const char* label : kLabels) {
      steps.push_back({label, [] {
                         std::this_thread::sleep_for(300ms);
                         return true;
                       }});
    }
    return steps;
  };
  options.mainWindowShown = [] { std::printf("MAIN WINDOW SHOWN\n"); };
  Program program(std::move(options));
  QTimer::singleShot(600, [] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() == QStringLiteral("StartupWindow") && w->isVisible()) w->close();
    }
  });
  program.Start();
  std::printf("START RETURNED\n");
  return app.exec();
}

// Child mode: stands for an older running copy of the program.
int RunIdleChild() {
  std::this_thread::sleep_for(60s);
  return 0;
}

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  // Every step is logged, marked, and never stops the sequence.
  void sequenceLogsEveryStep_data() {
    QTest::addColumn<QList<bool>>("results");
    QTest::newRow("all succeed") << QList<bool>{true, true, true, true, true, true, true};
    QTest::newRow("steps 3 to 6 fail") << QList<bool>{true, true, false, false, false, false, true};
    QTest::newRow("all fail") << QList<bool>{false, false, false, false, false, false, false};
  }

  void sequenceLogsEveryStep() {
    QFETCH(QList<bool>, results);
    testing::TempAppData appData;
    QtControls controls;
    ProgramState state;
    auto* window = new StartupWindow;
    controls.RegisterWindow(window);
    window->show();
    std::string console;
    bool destroyed = false;
    controls.Bind("StartupWindow", ControlEvent::AboutToBeDestroyed,
                  [&](const ControlEventArgs&) {
                    console = controls.GetText(kConsoleName);
                    destroyed = true;
                    return false;
                  });
    std::thread worker([&] { InitSequence(controls, state, Steps(results)); });
    QTRY_VERIFY_WITH_TIMEOUT(destroyed, 15000);
    worker.join();
    QVERIFY(state.InitDone.load());
    std::string expected;
    for (int i = 0; i < 7; ++i) {
      expected += kLabels[i];
      expected += results[i] ? "\t√\r\n" : "\t×\r\n";
    }
    std::erase(console, '.');  // dots the timer added after the last line
    QCOMPARE(QString::fromStdString(console), QString::fromStdString(expected));
  }

  // One console line from a worker: the busy dots go (wherever they stand),
  // the text is appended, the caret ends after it so the box shows the newest
  // line, and the caller waits 200 ms.
  void consoleLogLine() {
    QtControls controls;
    auto window = std::make_unique<StartupWindow>();
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    controls.RegisterWindow(window.get());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    std::string before;
    for (int i = 0; i < 12; ++i) before += "服务器->初始化\t√\r\n.";
    before += "推荐歌单->初始化...";
    controls.SetText(kConsoleName, before);
    std::atomic<qint64> elapsed{-1};
    std::thread worker([&] {
      QElapsedTimer clock;
      clock.start();
      ConsoleLog(controls, "\t×\r\n");
      elapsed = clock.elapsed();
    });
    QTRY_VERIFY_WITH_TIMEOUT(elapsed.load() >= 0, 5000);
    worker.join();
    QVERIFY2(elapsed.load() >= 200, qPrintable(QString::number(elapsed.load())));
    std::string expected = before;
    std::erase(expected, '.');
    expected += "\t×\r\n";
    QCOMPARE(QString::fromStdString(controls.GetText(kConsoleName)),
             QString::fromStdString(expected));
    auto* console = window->findChild<QPlainTextEdit*>(QString::fromUtf8(kConsoleName));
    QCOMPARE(console->textCursor().position(), console->document()->characterCount() - 1);
    QApplication::processEvents();
    // More lines than the box shows: it has scrolled down to the caret.
    QVERIFY(console->verticalScrollBar()->value() > 0);
    QVERIFY(console->viewport()->rect().contains(console->cursorRect()));
  }

  // The program's own table: the labels in order, drawing the main window
  // counts as done whatever its parts found, and a server that cannot be
  // reached without a cached configuration ends the start-up.
  void programSteps() {
    testing::TempAppData appData;
    QtControls controls;
    ProgramState state;
    ServerClient nowhere("http://127.0.0.1:9");
    StepContext remote{controls, state, nowhere, AppDataDir(), "http://127.0.0.1:9/"};
    int ends = 0;
    remote.endProcess = [&] { ++ends; };
    StartupContext context{controls, state, &remote};
    const std::vector<InitStep> steps = DefaultInitSteps(context);
    QCOMPARE(steps.size(), std::size_t{7});
    for (int i = 0; i < 7; ++i) QCOMPARE(steps[i].label, std::string(kLabels[i]));
    QVERIFY(steps[6].run());
    auto lost = testing::AnswerNextMessageBox(QMessageBox::Ok);
    QVERIFY(!steps[1].run());
    QCOMPARE(ends, 1);
    QCOMPARE(lost->title, QStringLiteral("失联！！！"));
    QVERIFY(!steps[2].run());  // no configuration: nothing to update
  }

  // The timer's dots show while a step is busy and never stay inside a line.
  void dotsNeverInsideALine() {
    testing::TempAppData appData;
    QtControls controls;
    ProgramState state;
    auto* window = new StartupWindow;
    controls.RegisterWindow(window);
    controls.Bind("时钟1", ControlEvent::Tick, [&](const ControlEventArgs&) {
      ConsoleAddDot(controls);
      return false;
    });
    window->show();
    std::string busy;
    std::vector<InitStep> steps = Steps({true, true, true, true, true, true, true});
    steps[1].run = [&] {
      std::this_thread::sleep_for(2300ms);
      busy = controls.GetText(kConsoleName);
      return true;
    };
    std::string console;
    bool destroyed = false;
    controls.Bind("StartupWindow", ControlEvent::AboutToBeDestroyed,
                  [&](const ControlEventArgs&) {
                    console = controls.GetText(kConsoleName);
                    destroyed = true;
                    return false;
                  });
    std::thread worker([&] { InitSequence(controls, state, steps); });
    QTRY_VERIFY_WITH_TIMEOUT(destroyed, 20000);
    worker.join();
    QVERIFY2(busy.ends_with(".."), busy.c_str());  // two ticks during the slow step
    QString text = QString::fromStdString(console);
    while (text.endsWith(QLatin1Char('.'))) text.chop(1);  // ticks after the last line
    QVERIFY2(!text.contains(QLatin1Char('.')), qPrintable(text));
    QCOMPARE(text.count(QStringLiteral("\r\n")), 7);
  }

  // The whole program with instant steps: the start-up window shows the
  // version, goes, and the main window appears sized to its tab control.
  void mainWindowAfterStartup_data() {
    QTest::addColumn<int>("tabTop");
    QTest::addColumn<int>("height");
    QTest::newRow("cef layout") << 29 << 659;
    QTest::newRow("ie layout") << 0 << 630;
  }

  void mainWindowAfterStartup() {
    QFETCH(int, tabTop);
    QFETCH(int, height);
    testing::TempAppData appData;
    std::string versionLabel;
    bool shown = false;
    ProgramOptions options;
    options.steps = [&](StartupContext& context) {
      std::vector<InitStep> steps = Steps({true, true, true, true, true, true, true});
      steps[0].run = [&context] {
        context.state.appState.SavePath = "/tmp/下载目录/";
        return true;
      };
      steps[4].run = [&context, &versionLabel, tabTop] {
        // What the engine installation does when only the HTML view can play.
        ControlRect tabs = context.controls.GetRect("选择夹_功能栏");
        tabs.top = tabTop;
        context.controls.SetRect("选择夹_功能栏", tabs);
        versionLabel = context.controls.GetText("标签_版本标题");
        return true;
      };
      return steps;
    };
    options.endProcess = [] { QFAIL("the start-up must not end the process"); };
    options.mainWindowShown = [&shown] { shown = true; };
    Program program(std::move(options));
    program.Start();
    MainWindow* main = program.Main();
    QVERIFY(main);
    QVERIFY(main->isVisible());
    QCOMPARE(versionLabel, std::string("主程序版本：2.0 Velmont"));
    QCOMPARE(program.State().appState.VersionNumber, 1600584000);
    QCOMPARE(main->height(), height);
    QCOMPARE(main->findChild<QLineEdit*>(QStringLiteral("DJ_编辑框_搜索文本"))->text(),
             QStringLiteral("#all"));
    QVERIFY(!main->findChild<QLineEdit*>(QStringLiteral("Song_编辑框_搜索文本"))->text().isEmpty());
    QCOMPARE(main->findChild<QLineEdit*>(QStringLiteral("编辑框_保存位置"))->text(),
             QStringLiteral("/tmp/下载目录/"));
    QVERIFY(!program.Controls().Exists("StartupWindow"));
    // First activation builds the settings menu.
    QTRY_VERIFY(shown);
    QCOMPARE(program.State().SysMenu.Entries().size(), std::size_t{1});
    // A click on the DJ site box opens a new site chooser each time; closing
    // it destroys it.
    QVERIFY(QTest::qWaitForWindowExposed(main));
    auto* siteBox = main->findChild<QWidget*>(QStringLiteral("DJ_组合框_搜索站点"));
    const QPoint onSiteBox = siteBox->mapTo(main, siteBox->rect().center());
    for (int round = 0; round < 2; ++round) {
      QString title;
      QTimer::singleShot(0, [&title] {
        if (QWidget* site = QApplication::activeModalWidget()) {
          if (site->objectName() == QStringLiteral("SiteWindow")) title = site->windowTitle();
          site->close();
        }
      });
      QTest::mouseClick(main->windowHandle(), Qt::LeftButton, {}, onSiteBox);
      QCOMPARE(title, QStringLiteral("选择站点"));
      QTRY_VERIFY(!program.Controls().Exists("SiteWindow"));
    }
    main->close();
  }

  // Closing the main window shuts the embedded browser down, once.
  void closingMainWindowShutsBrowserDown() {
    QtControls controls;
    ProgramState state;
    int shutDowns = 0;
    StartupHooks hooks;
    hooks.shutDownBrowser = [&shutDowns] { ++shutDowns; };
    StartupFlow flow(controls, state, {}, std::move(hooks));
    flow.Bind();
    auto main = std::make_unique<MainWindow>();
    main->setAttribute(Qt::WA_DeleteOnClose, false);
    controls.RegisterWindow(main.get());
    main->show();
    QCOMPARE(shutDowns, 0);
    main->close();
    QCOMPARE(shutDowns, 1);
  }

  // The program itself, as a user starts it: the start-up runs through and the
  // main window comes up; this copy is recorded and the data folder made.
  void realProgramStarts() {
    const QString binary = qEnvironmentVariable("LARKBAY_APP_BINARY");
    if (binary.isEmpty()) QSKIP("LARKBAY_APP_BINARY is not set");
    testing::TempAppData appData;
    // The engine pack lies on the desktop: this start installs the engine.
    QTemporaryDir downloads;
    const QString pack = QStringLiteral(LARKBAY_ENGINE_PACK_DIR);
    for (const char* file : {"Enginepack", "cef.pak.md5"})
      QVERIFY(QFile::copy(pack + u'/' + QLatin1String(file), downloads.filePath(QLatin1String(file))));
    QVERIFY(QFile::copy(pack + QStringLiteral("/Enginepack"),
                        appData.Desktop() + QStringLiteral("/Enginepack")));
    QVERIFY(test::SignFolder(downloads.path().toStdString()));
    QVERIFY(test::SignBeside((appData.Desktop() + QStringLiteral("/Enginepack")).toStdString()));
    testing::ServerRun server;
    QVERIFY2(server.Start({QStringLiteral("--downloads"), downloads.path()}),
             server.Output().constData());

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LARKBAY_STARTUP_TIMING"), QStringLiteral("1"));
    env.insert(QStringLiteral("LARKBAY_API_BASE"), server.Base());
    program.setProcessEnvironment(env);
    program.start(binary, {});
    QVERIFY(program.waitForStarted());
    QByteArray err;
    QTRY_VERIFY_WITH_TIMEOUT((err += program.readAllStandardError()).contains("main window shown"),
                             30000);
    QVERIFY(QFileInfo::exists(appData.Path() + QStringLiteral("/Lark-Bay/Engine/cef.pak")));
    QVERIFY(!QFileInfo::exists(appData.Desktop() + QStringLiteral("/Enginepack")));
    const QString ini = appData.ReadConfigIni();
    QVERIFY2(ini.contains(QStringLiteral("Program=%1").arg(program.processId())), qPrintable(ini));
    QVERIFY(QFileInfo(appData.Path() + QStringLiteral("/Lark-Bay/data")).isDir());
    // Both remote documents came and were cached.
    for (const char* cache : {"/Lark-Bay/data/program_Config", "/Lark-Bay/data/muisclist_Config"})
      QVERIFY2(QFileInfo(appData.Path() + QString::fromUtf8(cache)).size() > 42, cache);
    program.kill();
    program.waitForFinished();
  }

  // Closing the start-up window while the steps run ends the process at once
  // with exit code 0, without showing the main window.
  void closingStartupWindowEndsProcess() {
    testing::TempAppData appData;
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--close-startup-early")});
    QVERIFY(child.waitForStarted());
    QElapsedTimer clock;
    clock.start();
    QVERIFY(child.waitForFinished(15000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    const QByteArray out = child.readAllStandardOutput();
    QVERIFY2(!out.contains("MAIN WINDOW SHOWN"), out.constData());
    QVERIFY2(!out.contains("START RETURNED"), out.constData());
    QVERIFY(clock.elapsed() < 7 * 300 + 14 * 200);  // well before the steps would end
  }

  // A second copy asks whether to start anyway: OK ends the older copy and
  // records this one; Cancel ends this copy and keeps the record.
  void secondCopyAsks_data() {
    QTest::addColumn<bool>("ok");
    QTest::newRow("ok") << true;
    QTest::newRow("cancel") << false;
  }

  void secondCopyAsks() {
    QFETCH(bool, ok);
    testing::TempAppData appData;
    QProcess older;
    older.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--idle")});
    QVERIFY(older.waitForStarted());
    const auto olderId = static_cast<ProcessId>(older.processId());
    appData.WriteConfigIni("[Lark-Bay]\r\nProgram=" + QByteArray::number(olderId) + "\r\n");
    QTRY_VERIFY(IsSameExecutable(olderId, OwnExecutablePath()));  // exec has happened

    QtControls controls;
    ProgramState state;
    StartupContext context{controls, state};
    auto* window = new StartupWindow;
    // The window is this row's to delete when the check let it stay.
    struct DeleteAtEnd {
      QPointer<QWidget> window;
      ~DeleteAtEnd() { delete window.data(); }
    } deleteAtEnd{window};
    controls.RegisterWindow(window);
    window->show();
    bool endRequested = false;
    controls.Bind("StartupWindow", ControlEvent::AboutToBeDestroyed, [&](const ControlEventArgs&) {
      endRequested = true;
      return false;
    });
    auto seen = testing::AnswerNextMessageBox(ok ? QMessageBox::Ok : QMessageBox::Cancel);
    std::atomic<bool> done{false};
    std::atomic<bool> result{false};
    std::thread worker([&] {
      result = RunSingleInstanceCheck(context);
      done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(done.load(), 10000);
    worker.join();
    QVERIFY(result.load());
    QVERIFY(seen->seen);
    QCOMPARE(seen->title, QStringLiteral("重复运行！！！"));
    const QString exeName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    QCOMPARE(seen->text, exeName + QStringLiteral("\n是否启动？点击[确定]将继续启动"));
    QCOMPARE(seen->icon, QMessageBox::Question);
    QCOMPARE(seen->buttons, QMessageBox::Ok | QMessageBox::Cancel);
    // The text names the button the user must press.
    QVERIFY2(seen->buttonCaptions.contains(QStringLiteral("确定")) &&
                 seen->buttonCaptions.contains(QStringLiteral("取消")),
             qPrintable(seen->buttonCaptions.join(u'|')));
    const QString ini = appData.ReadConfigIni();
    if (ok) {
      QTRY_COMPARE(older.state(), QProcess::NotRunning);
      QCOMPARE(older.exitStatus(), QProcess::CrashExit);  // ended by a signal
      QVERIFY2(ini.contains(QStringLiteral("Program=%1").arg(CurrentProcessId())), qPrintable(ini));
      QVERIFY(!endRequested);
    } else {
      QTRY_VERIFY(endRequested);  // the start-up window goes, which ends this copy
      QCOMPARE(older.state(), QProcess::Running);
      QVERIFY2(ini.contains(QStringLiteral("Program=%1").arg(olderId)), qPrintable(ini));
      older.kill();
      older.waitForFinished();
    }
  }
};

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--close-startup-early") == 0) {
    return RunCloseEarlyChild(argc, argv);
  }
  if (argc > 1 && std::strcmp(argv[1], "--idle") == 0) return RunIdleChild();
  QApplication app(argc, argv);
  StartupTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "startup_test.moc"

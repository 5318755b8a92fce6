// Grabs the start-up window (half-way through the start-up), the main
// window's three pages, the site chooser and the second-copy question into
// PNG files, to look at the windows as drawn. With LARKBAY_API_BASE set the
// program's own start-up runs against that server, so the selectors and the
// site chooser show what the server configures; with LARKBAY_SCREENSHOT_PACK
// naming an engine pack as well, the pack lies on the desktop, the engine is
// installed and the strip shows the browser playing the recommended list.
//   xvfb-run -a <build>/tests/app/larkbay_app_screenshots <out-dir>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/program.h"
#include "app/widgets/tab_control.h"

using namespace larkbay;

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  const QString out =
      argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/larkbay-shots");
  QDir().mkpath(out);
  const QByteArray appData = (out + QStringLiteral("/appdata")).toLocal8Bit();
  qputenv("APPDATA", appData);
  const QString desktop = out + QStringLiteral("/desktop");
  QDir().mkpath(desktop);
  qputenv("XDG_DESKTOP_DIR", desktop.toLocal8Bit());
  const QString pack = qEnvironmentVariable("LARKBAY_SCREENSHOT_PACK");
  if (!pack.isEmpty()) {
    QFile::remove(desktop + QStringLiteral("/Enginepack"));
    QFile::copy(pack, desktop + QStringLiteral("/Enginepack"));
  }

  const bool realSteps = !qEnvironmentVariable("LARKBAY_API_BASE").isEmpty();
  ProgramOptions options;
  if (!realSteps)
    options.steps = [out](StartupContext& context) {
      const char* labels[] = {"主程序->初始化",   "服务器->初始化",   "更新程序->初始化",
                              "版本更新->初始化", "引擎环境->初始化", "推荐歌单->初始化",
                              "绘制->主窗口"};
      std::vector<InitStep> steps;
      for (int i = 0; i < 7; ++i) {
        steps.push_back({labels[i], [i, out, &context] {
                           if (i == 4) {
                             context.state.appState.SavePath = "/root/Desktop/下载目录/";
                             // Let the dot timer tick, then grab on the interface thread.
                             std::this_thread::sleep_for(std::chrono::milliseconds(1100));
                             QMetaObject::invokeMethod(
                                 qApp,
                                 [out] {
                                   for (QWidget* w : QApplication::topLevelWidgets()) {
                                     if (w->objectName() == QStringLiteral("StartupWindow")) {
                                       w->grab().save(out + QStringLiteral("/startup.png"));
                                     }
                                   }
                                 },
                                 Qt::BlockingQueuedConnection);
                           }
                           return i != 2;
                         }});
      }
      return steps;
    };
  Program* programPtr = nullptr;
  options.mainWindowShown = [&programPtr, out, realSteps] {
    // Long enough for the strip's page to load and play a little.
    QTimer::singleShot(realSteps ? 4000 : 300, [&programPtr, out, realSteps] {
      MainWindow* main = programPtr->Main();
      auto* tabs = main->findChild<TabControl*>(QStringLiteral("选择夹_功能栏"));
      for (int page = 0; page < 3; ++page) {
        tabs->SetCurrentIndex(page);
        QApplication::processEvents();
        main->grab().save(out + QStringLiteral("/main-page%1.png").arg(page));
      }
      tabs->SetCurrentIndex(0);
      // The DJ info panel as it shows once a result is selected.
      main->findChild<QWidget*>(QStringLiteral("分组框_DJ_信息"))->show();
      QApplication::processEvents();
      main->grab().save(out + QStringLiteral("/main-page0-info.png"));
      main->findChild<QWidget*>(QStringLiteral("分组框_DJ_信息"))->hide();

      // The site chooser with a small site table in its HTML view.
      QtControls& controls = programPtr->Controls();
      controls.LoadWindow("SiteWindow", false);
      if (!realSteps)
        controls.ShowHtml("超文本浏览框",
                          "<html><body><table border=1 cellspacing=0 cellpadding=4>"
                          "<tr><th>编号</th><th>站点</th></tr>"
                          "<tr><td>1</td><td><a href=\"data/1\">DJ娱乐网</a></td></tr>"
                          "<tr><td>2</td><td><a href=\"data/2\">清风DJ音乐网</a></td></tr>"
                          "</table></body></html>");
      for (int i = 0; i < 5; ++i) QApplication::processEvents();
      if (QWidget* site = controls.FindWidget("SiteWindow")) {
        site->grab().save(out + QStringLiteral("/site.png"));
        site->close();
      }

      // The question a second copy asks, grabbed while it is open.
      QTimer::singleShot(200, [out] {
        if (QWidget* box = QApplication::activeModalWidget()) {
          box->grab().save(out + QStringLiteral("/second-copy-prompt.png"));
          box->close();
        }
      });
      controls.MessageBox("", "lark-bay\r\n是否启动？点击[确定]将继续启动", "重复运行！！！",
                          msgbox::kOkCancel | msgbox::kIconQuestion);
      std::printf("screenshots in %s\n", qPrintable(out));
      QApplication::quit();
    });
  };
  Program program(std::move(options));
  programPtr = &program;
  program.Start();
  return app.exec();
}

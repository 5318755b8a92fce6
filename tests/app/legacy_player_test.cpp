// The legacy player on the real main window in its layout without the engine:
// a page handed to the legacy page host is written to the page file, loaded by
// the player view, dropped once loaded, and the view really plays the page's
// audio from the reference server; a page without a playable source stays
// silent. The strip's controls stand beside the tabs, off the tab control,
// and answer the mouse there.
#include <QAudioOutput>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMediaPlayer>
#include <QSlider>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <memory>
#include <string>

#include "app/controls/qt_controls.h"
#include "app/player/legacy_page_host.h"
#include "app/widgets/audio_strip.h"
#include "app/widgets/html_view.h"
#include "app/widgets/tab_control.h"
#include "app/windows/main_window.h"
#include "app_test_support.h"
#include "file_server.h"
#include "platform/app_data_dir.h"
#include "platform/control_names.h"
#include "player/player_page.h"
#include "player/show_player_page.h"
#include "remote/engine_install.h"
#include "server_run.h"
#include "state/program_state.h"

using namespace larkbay;

namespace {

// Playing from a loopback server starts within a second or two; the rest is
// slack for a loaded machine.
constexpr int kPlayTimeoutMs = 30000;

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class LegacyPlayerTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<testing::TempAppData> appData_;
  std::string dataDir_;
  testing::ServerRun server_;
  ProgramState state_;
  std::unique_ptr<QtControls> controls_;
  std::unique_ptr<MainWindow> main_;
  std::unique_ptr<LegacyPageHost> host_;
  int loadsFinished_ = 0;

  QString PagePath() const {
    return QString::fromStdString(dataDir_) + QStringLiteral("data/Lark-Bay_Music.html");
  }
  HtmlView* View() { return qobject_cast<HtmlView*>(controls_->FindWidget(names::kPlayerView)); }
  TabControl* Tabs() {
    return qobject_cast<TabControl*>(controls_->FindWidget(names::kTabControl));
  }
  QWidget* Client() { return main_->centralWidget(); }
  // The widget the window has at `point` of its client area: what a click there reaches.
  QWidget* WidgetAt(QPoint point) { return Client()->childAt(point); }
  std::string SongUrl(const char* quality) const {
    return server_.Base().toStdString() + "/media/audio/c1-" + quality + ".mp3";
  }
  std::string IePage(const std::string& url) const {
    return BuildPlayerPage("ie", BarePlayList(url), server_.Base().toStdString() + "/");
  }

  // Shows `page` through the core and waits until the view has loaded it.
  void Show(const std::string& page) {
    const int before = loadsFinished_;
    ShowPlayerPage(state_, host_.get(), page);
    // Written before the view loaded it; the view reports the load on the next turn.
    QCOMPARE(ReadFile(PagePath()), QByteArray::fromStdString(PageBytes(page)));
    QCOMPARE(View()->source(), QUrl::fromLocalFile(PagePath()));
    QTRY_COMPARE(loadsFinished_, before + 1);
    QVERIFY(!QFile::exists(PagePath()));
  }

  // The times the reference server logged a GET of `path` so far.
  int Requests(const QString& path) {
    QTest::qWait(200);  // the server's last log lines on their way
    return static_cast<int>(server_.Output().count(" GET " + path.toUtf8() + " "));
  }

  // The player reaches playing `url` and its position moves on.
  void ExpectPlaying(const std::string& url) {
    QMediaPlayer* player = View()->AudioPlayer();
    QVERIFY(player);
    // Set once the repeating source has been fetched.
    QTRY_COMPARE_WITH_TIMEOUT(player->source(), QUrl(QString::fromStdString(url)), kPlayTimeoutMs);
    QCOMPARE(player->loops(), int(QMediaPlayer::Infinite));
    QVERIFY(player->audioOutput());
    QTRY_COMPARE_WITH_TIMEOUT(player->playbackState(), QMediaPlayer::PlayingState, kPlayTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(player->position() > 0, kPlayTimeoutMs);
    const qint64 first = player->position();
    QTRY_VERIFY_WITH_TIMEOUT(player->position() >= first + 500, kPlayTimeoutMs);
    QCOMPARE(player->error(), QMediaPlayer::NoError);
  }

  // The tab control keeps its place and its tabs, every tab is what the
  // window shows at its centre; every control of the strip lies inside the
  // window off the tab bar and the tab control's frame, and is what the
  // window shows at its corners and its centre.
  void ExpectStripBesideTabs() {
    TabControl* tabs = Tabs();
    QVERIFY(tabs);
    QCOMPARE(tabs->geometry(), QRect(-1, 0, 647, 600));
    QTabBar* bar = tabs->TabBar();
    QCOMPARE(bar->count(), 3);
    const QRect barRect(bar->mapTo(Client(), QPoint(0, 0)), bar->size());
    for (int i = 0; i < bar->count(); ++i) {
      const QPoint centre = bar->mapTo(Client(), bar->tabRect(i).center());
      QCOMPARE(WidgetAt(centre), bar);
    }
    const QRect shown = View()->geometry() & Client()->rect();
    // Where the frame of the pages starts: the strip stays above it.
    const int frameTop = tabs->mapTo(Client(), tabs->TabRowSpace().bottomLeft()).y() + 1;
    for (const char* name : {"playPause", "position", "time"}) {
      auto* part = View()->findChild<QWidget*>(QLatin1String(name));
      QVERIFY2(part && part->isVisible(), name);
      const QRect rect(part->mapTo(Client(), QPoint(0, 0)), part->size());
      const QString where = QStringLiteral("%1 at %2,%3 %4x%5")
                                .arg(QLatin1String(name))
                                .arg(rect.x())
                                .arg(rect.y())
                                .arg(rect.width())
                                .arg(rect.height());
      QVERIFY2(rect.width() >= 16 && rect.height() >= 12, qPrintable(where));
      QVERIFY2(shown.contains(rect), qPrintable(where));
      QVERIFY2(!rect.intersects(barRect), qPrintable(where));
      QVERIFY2(rect.bottom() < frameTop, qPrintable(where));
      for (const QPoint point : {rect.center(), rect.topLeft(), rect.topRight(), rect.bottomLeft(),
                                 rect.bottomRight()}) {
        QWidget* top = WidgetAt(point);
        QVERIFY2(top == part || part->isAncestorOf(top),
                 qPrintable(where + QStringLiteral(": covered by ") +
                            (top ? QLatin1String(top->metaObject()->className())
                                 : QLatin1String("nothing"))));
      }
    }
    auto* time = View()->findChild<QLabel*>(QStringLiteral("time"));
    QVERIFY(time->width() >= time->sizeHint().width());  // "m:ss / m:ss" in full
  }

  // With LARKBAY_SHOT_DIR set, the top of the window as drawn, for a look.
  void SaveShot(const char* file) {
    const QString dir = qEnvironmentVariable("LARKBAY_SHOT_DIR");
    if (dir.isEmpty()) return;
    main_->grab().save(dir + u'/' + QLatin1String(file));
  }

  void ExpectSilent() {
    QMediaPlayer* player = View()->AudioPlayer();
    if (!player) return;
    QCOMPARE(player->playbackState(), QMediaPlayer::StoppedState);
    QVERIFY(player->source().isEmpty());
  }

 private slots:
  void initTestCase() {
    // The ffmpeg backend of Qt 6.4 crashes without an audio device.
    qputenv("QT_MEDIA_BACKEND", "gstreamer");
    appData_ = std::make_unique<testing::TempAppData>();
    dataDir_ = AppDataDir();
    QVERIFY(QDir().mkpath(QString::fromStdString(dataDir_) + QStringLiteral("data")));
    QVERIFY(QFile::exists(QStringLiteral(LARKBAY_TEST_MEDIA "/audio/c1-st.mp3")));
    QVERIFY2(server_.Start({QStringLiteral("--media"), QStringLiteral(LARKBAY_TEST_MEDIA)}),
             server_.Output().constData());
    state_.appState.PlayerEngine = "ie";

    controls_ = std::make_unique<QtControls>();
    main_ = std::make_unique<MainWindow>();
    main_->setAttribute(Qt::WA_DeleteOnClose, false);
    controls_->RegisterWindow(main_.get());
    // As the start-up leaves the window when the engine is not installed.
    ShowIeLayout(*controls_);
    host_ = std::make_unique<LegacyPageHost>(*controls_, dataDir_);
    host_->onLoadFinished = [this] { ++loadsFinished_; };
    BindPlayerView(*controls_, dataDir_, host_.get());
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    QVERIFY(View());
  }

  void cleanupTestCase() {
    main_.reset();
    controls_.reset();
  }

  void audioElementOfAPage_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("src");
    QTest::addColumn<bool>("autoplay");
    QTest::addColumn<bool>("loop");
    QTest::newRow("ie page") << QString::fromStdString(BuildPlayerPage(
                                    "ie", BarePlayList("http://h/a.mp3?x=1&y=2"), "http://h/"))
                             << true << "http://h/a.mp3?x=1&y=2" << true << true;
    QTest::newRow("upper case, unquoted")
        << "<AUDIO SRC=http://h/b.mp3 AutoPlay>" << true << "http://h/b.mp3" << true << false;
    QTest::newRow("single quotes, > inside")
        << "<body><audio loop src='http://h/c.mp3?a>b'></audio>" << true << "http://h/c.mp3?a>b"
        << false << true;
    QTest::newRow("numeric references")
        << "<audio src=\"http://h/&#100;&#x2e;mp3\">" << true << "http://h/d.mp3" << false << false;
    QTest::newRow("first src counts") << "<audio src=\"http://h/1.mp3\" src=\"http://h/2.mp3\">"
                                      << true << "http://h/1.mp3" << false << false;
    QTest::newRow("no src") << "<audio controls autoplay></audio>" << true << "" << true << false;
    QTest::newRow("other tag") << "<audiox src=\"http://h/e.mp3\">" << false << "" << false
                               << false;
    QTest::newRow("cef page") << QString::fromStdString(BuildPlayerPage(
                                     "cef", PlaylistEntry("http://h/f.mp3", "B", "A"), "http://h/"))
                              << false << "" << false << false;
  }

  void audioElementOfAPage() {
    QFETCH(QString, html);
    QFETCH(bool, found);
    const std::optional<AudioElement> element = FindAudioElement(html);
    QCOMPARE(element.has_value(), found);
    if (!found) return;
    QTEST(element->src, "src");
    QTEST(element->autoplay, "autoplay");
    QTEST(element->loop, "loop");
  }

  void playableSources() {
    QVERIFY(IsPlayableAudioSource(QUrl(QStringLiteral("http://h/a.mp3"))));
    QVERIFY(IsPlayableAudioSource(QUrl(QStringLiteral("HTTPS://h/a.mp3"))));
    QVERIFY(!IsPlayableAudioSource(QUrl(QStringLiteral("file:///tmp/a.mp3"))));
    QVERIFY(!IsPlayableAudioSource(QUrl(QStringLiteral("javascript:alert(1)"))));
    QVERIFY(!IsPlayableAudioSource(QUrl()));
  }

  // The legacy host neither runs scripts nor downloads.
  void hostRunsNoScriptAndCannotDownload() {
    QVERIFY(!host_->RunScript(kAutoPlayScript));
    QVERIFY(!host_->StartDownload(SongUrl("st")));
  }

  void songPagePlaysInTheView() {
    // A view that never had audio has no player.
    HtmlView fresh;
    QVERIFY(!fresh.AudioPlayer());

    const std::string url = SongUrl("st");
    Show(IePage(url));
    ExpectPlaying(url);

    // The element's controls make up the player strip.
    HtmlView* view = View();
    auto* strip = view->findChild<AudioStrip*>();
    QVERIFY(strip);
    QVERIFY(strip->isVisible());
    QCOMPARE(view->size(), QSize(650, 30));
    auto* button = strip->findChild<QToolButton*>(QStringLiteral("playPause"));
    auto* slider = strip->findChild<QSlider*>(QStringLiteral("position"));
    QVERIFY(button && slider);
    QVERIFY(button->isEnabled());
    QTRY_VERIFY(slider->maximum() > 4000);  // the clip lasts about five seconds
    QTRY_VERIFY(slider->value() > 0);
    SaveShot("legacy-strip.png");
    ExpectStripBesideTabs();
    if (QTest::currentTestFailed()) return;

    // A click where the window shows the button pauses and plays again.
    const QPoint buttonCentre = button->mapTo(Client(), button->rect().center());
    QCOMPARE(WidgetAt(buttonCentre), button);
    QTest::mouseClick(WidgetAt(buttonCentre), Qt::LeftButton);
    QTRY_COMPARE(view->AudioPlayer()->playbackState(), QMediaPlayer::PausedState);
    const qint64 paused = view->AudioPlayer()->position();
    QTest::qWait(400);
    QVERIFY(view->AudioPlayer()->position() - paused < 100);
    SaveShot("legacy-strip-paused.png");
    QTest::mouseClick(WidgetAt(buttonCentre), Qt::LeftButton);
    QTRY_COMPARE(view->AudioPlayer()->playbackState(), QMediaPlayer::PlayingState);

    // The same page once more is not handed over: the music goes on.
    const int loads = loadsFinished_;
    ShowPlayerPage(state_, host_.get(), IePage(url));
    QVERIFY(!QFile::exists(PagePath()));
    QTest::qWait(100);
    QCOMPARE(loadsFinished_, loads);
    QCOMPARE(view->AudioPlayer()->playbackState(), QMediaPlayer::PlayingState);
  }

  // Another quality is another page in the same file: the view loads it anew.
  void anotherPageInTheSameFileIsLoaded() {
    const std::string url = SongUrl("hq");
    Show(IePage(url));
    ExpectPlaying(url);
  }

  // A short repeating clip is asked of the server once however many rounds
  // it plays; a long one plays from its address, one the server does not have
  // fails in the player.
  void repeatingClipIsFetchedOnce_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("plays");
    QTest::addColumn<bool>("quick");  // rounds short enough to count a few
    // A fifth of a second: many rounds in a few seconds.
    QTest::newRow("short clip") << "/media/audio/tiny-st.mp3" << true << true;
    // Five minutes, 2.4 MB: too long to fetch before it plays.
    QTest::newRow("long") << "/media/audio/long-st.mp3" << true << false;
    QTest::newRow("missing") << "/media/audio/none-st.mp3" << false << false;
  }

  void repeatingClipIsFetchedOnce() {
    QFETCH(QString, path);
    QFETCH(bool, plays);
    QFETCH(bool, quick);
    const int before = Requests(path);
    const std::string url = server_.Base().toStdString() + path.toStdString();
    Show(IePage(url));
    QMediaPlayer* player = View()->AudioPlayer();
    QVERIFY(player);
    if (!plays) {
      QTRY_VERIFY_WITH_TIMEOUT(player->error() != QMediaPlayer::NoError, kPlayTimeoutMs);
      QVERIFY(player->playbackState() != QMediaPlayer::PlayingState || player->position() == 0);
      return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(player->playbackState(), QMediaPlayer::PlayingState, kPlayTimeoutMs);
    QCOMPARE(player->source(), QUrl(QString::fromStdString(url)));
    if (!quick) {
      QTRY_VERIFY_WITH_TIMEOUT(player->position() > 200, kPlayTimeoutMs);
      return;
    }
    int rounds = 0;
    qint64 last = 0;
    const auto counting =
        connect(player, &QMediaPlayer::positionChanged, this, [&rounds, &last](qint64 position) {
          if (position + 50 < last) ++rounds;
          last = position;
        });
    QTRY_VERIFY_WITH_TIMEOUT(rounds >= 5, kPlayTimeoutMs);
    disconnect(counting);
    QCOMPARE(player->error(), QMediaPlayer::NoError);
    QCOMPARE(Requests(path) - before, 1);
  }

  // A click on play/pause while a repeating clip is still on its way says
  // whether it starts once it is there.
  void playPauseWhileTheClipIsOnItsWay() {
    testing::FileServer slow;
    QVERIFY(slow.Listen());
    testing::FileServer::File clip;
    clip.body = ReadFile(QStringLiteral(LARKBAY_TEST_MEDIA "/audio/tiny-st.mp3"));
    QVERIFY(!clip.body.isEmpty());
    clip.chunk = 256;  // about a second and a half for the clip
    clip.interval_ms = 100;
    slow.Add(QStringLiteral("/slow.mp3"), clip);
    const QString url = slow.Url(QStringLiteral("/slow.mp3"));
    Show(IePage(url.toStdString()));
    QMediaPlayer* player = View()->AudioPlayer();
    auto* button = View()->findChild<QToolButton*>(QStringLiteral("playPause"));
    QVERIFY(player && button);
    QVERIFY(player->source().isEmpty());  // not there yet
    QVERIFY(button->isEnabled());
    QCOMPARE(button->toolTip(), QStringLiteral("暂停"));  // it will play by itself
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(button->toolTip(), QStringLiteral("播放"));
    QTRY_COMPARE_WITH_TIMEOUT(player->source(), QUrl(url), kPlayTimeoutMs);
    QTest::qWait(500);
    QVERIFY(player->playbackState() != QMediaPlayer::PlayingState);
    QCOMPARE(player->position(), 0);
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(player->playbackState(), QMediaPlayer::PlayingState, kPlayTimeoutMs);
    QCOMPARE(button->toolTip(), QStringLiteral("暂停"));
    QTRY_VERIFY_WITH_TIMEOUT(player->position() > 0, kPlayTimeoutMs);
    QTest::qWait(600);  // rounds of a fifth of a second
    QCOMPARE(slow.Ranges(QStringLiteral("/slow.mp3")).size(), 1);
  }

  void pageWithoutPlayableAudioIsSilent() {
    // A page without an audio element stops what played.
    Show(BuildPlayerPage("cef", PlaylistEntry(SongUrl("st"), "B", "A"),
                         server_.Base().toStdString() + "/"));
    ExpectSilent();
    QVERIFY(!View()->findChild<AudioStrip*>()->isVisible());

    Show(IePage(SongUrl("st")));
    ExpectPlaying(SongUrl("st"));

    // A script address is made empty in the page; nothing plays, not even the
    // page file itself.
    const std::string page = IePage("javascript:alert(1)");
    QVERIFY(page.find("src=\"\"") != std::string::npos);
    Show(page);
    ExpectSilent();
    QTest::qWait(300);
    ExpectSilent();
  }
};

QTEST_MAIN(LegacyPlayerTest)
#include "legacy_player_test.moc"

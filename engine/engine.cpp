#include "engine.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QtGlobal>

#include "aquarius_sandbox.h"
#include "browser_view.h"

namespace aquarius {

namespace {

// Chromium reads its switches from here when the engine starts.
constexpr char kChromiumFlags[] = "QTWEBENGINE_CHROMIUM_FLAGS";
constexpr char kRemoteDebugging[] = "QTWEBENGINE_REMOTE_DEBUGGING";

void AppendToEnvironment(const char* name, const QStringList& words) {
  QStringList all = QString::fromLocal8Bit(qgetenv(name)).split(u' ', Qt::SkipEmptyParts);
  all += words;
  qputenv(name, all.join(u' ').toLocal8Bit());
}

// Chromium prints its errors to the terminal in every process of the
// browser, most of them about the machine (no session bus, no sound server)
// and none a user can act on: only its fatal ones are shown. Flags that say
// otherwise already (a developer's --log-level=0 or --enable-logging) win.
QStringList QuietLogging() {
  const QStringList given =
      QString::fromLocal8Bit(qgetenv(kChromiumFlags)).split(u' ', Qt::SkipEmptyParts);
  for (const QString& flag : given)
    if (flag.startsWith(QLatin1String("--log-level")) ||
        flag.startsWith(QLatin1String("--enable-logging")))
      return {};
  return {QStringLiteral("--log-level=3")};
}

}  // namespace

Engine& Engine::Instance() {
  static Engine engine;
  return engine;
}

bool Engine::Raise(int event, const AquaEventArgs& args) {
  const Binding binding = bindings_[static_cast<size_t>(event)];
  if (!binding.callback) return false;
  ++event_depth_;
  const bool answer = binding.callback(event, &args, binding.user_data);
  --event_depth_;
  return answer;
}

int Engine::Start() {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || starting_ || Started() || quit_)
    return -1;
  // As root without the user's QTWEBENGINE_DISABLE_SANDBOX=1 Chromium would
  // refuse to start and take the host with it: no browser then.
  if (!BrowserMayStart()) return -1;
  starting_ = true;  // a handler that starts the engine again is refused

  auto settings = Ref<AquaSettings>::Adopt(new AquaSettings);
  AquaEventArgs settings_args{};
  settings_args.settings = settings.get();
  Raise(AQUA_EVENT_SETTINGS, settings_args);
  settings_.cache_path = settings->cache_path;
  settings_.user_data_path = settings->user_data_path;
  settings_.persist_session_cookies = settings->persist_session_cookies;
  settings_.persist_user_preferences = settings->persist_user_preferences;
  settings_.locale = settings->locale;
  settings_.windowless_rendering_enabled = settings->windowless_rendering_enabled;
  settings_.remote_debugging_port = settings->remote_debugging_port;
  settings_.ignore_certificate_errors = settings->ignore_certificate_errors;
  settings_.user_agent = settings->user_agent;
  settings_.product_version = settings->product_version;
  settings_.accept_language_list = settings->accept_language_list;

  auto command_line = Ref<AquaCommandLine>::Adopt(new AquaCommandLine);
  AquaEventArgs command_line_args{};
  command_line_args.command_line = command_line.get();
  Raise(AQUA_EVENT_COMMAND_LINE, command_line_args);
  ApplyCommandLine(command_line->switches);

  // The page's language follows the program's default locale.
  if (!settings_.locale.isEmpty()) QLocale::setDefault(QLocale(settings_.locale));
  CreateProfile();
  starting_ = false;

  Raise(AQUA_EVENT_CONTEXT_READY, AquaEventArgs{});
  return 0;
}

void Engine::ApplyCommandLine(const QStringList& switches) const {
  if (settings_.remote_debugging_port > 0)
    qputenv(kRemoteDebugging, QByteArray::number(settings_.remote_debugging_port));
  AppendToEnvironment(kChromiumFlags, QuietLogging() + switches);
}

void Engine::CreateProfile() {
  // A named profile keeps its data on disk; the name is the folder's. The
  // profile fixes the place of its preferences file when it is made, from the
  // data folder of the desktop (~/.local/share/<program>/QtWebEngine/), and a
  // storage path set afterwards does not move it: while it is made the data
  // folder points into the profile's own, so nothing lands outside it.
  // The variable is changed in place and never removed: other threads may
  // read the environment meanwhile, and a value replaced in place is safe
  // for them where adding or removing a variable moves the whole table (the
  // program sets it before its threads start). Without it the desktop's
  // default stands, so that is what it gets back.
  const bool ownData = !settings_.user_data_path.isEmpty();
  QByteArray dataHome = qgetenv("XDG_DATA_HOME");
  if (dataHome.isEmpty() && !qgetenv("HOME").isEmpty())
    dataHome = qgetenv("HOME") + "/.local/share";
  if (ownData) {
    const QString defaults = settings_.user_data_path + QStringLiteral("/profile-defaults");
    QDir().mkpath(defaults);
    qputenv("XDG_DATA_HOME", QFile::encodeName(defaults));
  }
  profile_ = new QWebEngineProfile(QStringLiteral("Default"), QCoreApplication::instance());
  if (ownData) {
    if (!dataHome.isEmpty())
      qputenv("XDG_DATA_HOME", dataHome);
    else
      qunsetenv("XDG_DATA_HOME");
    QDir().mkpath(settings_.user_data_path);
    profile_->setPersistentStoragePath(settings_.user_data_path);
  }
  if (!settings_.cache_path.isEmpty()) {
    QDir().mkpath(settings_.cache_path);
    profile_->setCachePath(settings_.cache_path);
  }
  profile_->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
  profile_->setPersistentCookiesPolicy(settings_.persist_session_cookies
                                           ? QWebEngineProfile::ForcePersistentCookies
                                           : QWebEngineProfile::AllowPersistentCookies);
  QString user_agent = settings_.user_agent;
  if (user_agent.isEmpty() && !settings_.product_version.isEmpty()) {
    user_agent = profile_->httpUserAgent();
    user_agent.replace(QRegularExpression(QStringLiteral("Chrome/\\S+")),
                       settings_.product_version);
  }
  if (!user_agent.isEmpty()) profile_->setHttpUserAgent(user_agent);
  const QString languages =
      !settings_.accept_language_list.isEmpty() ? settings_.accept_language_list : settings_.locale;
  if (!languages.isEmpty()) profile_->setHttpAcceptLanguage(languages);
  QObject::connect(profile_, &QWebEngineProfile::downloadRequested, profile_,
                   [this](QWebEngineDownloadRequest* request) {
                     downloads_.OnRequested(request, BrowserOfPage(request->page()));
                   });
}

Ref<AquaBrowser> Engine::BrowserOfPage(const QWebEnginePage* page) const {
  for (const auto& browser : browsers_)
    if (page && browser->view && browser->view->page() == page) return browser;
  return {};
}

void Engine::StartDownload(AquaBrowser* browser, const QUrl& url) {
  if (!browser || !browser->view || !url.isValid()) return;
  browser->view->page()->download(url);
}

Ref<AquaBrowser> Engine::CreateBrowser(QWidget* parent, const QRect& rect, const QString& url) {
  if (!Started() || !parent) return {};
  auto browser = Ref<AquaBrowser>::Adopt(new AquaBrowser);
  browser->parent = parent;
  browser->view = new BrowserView(parent, rect, profile_, browser.get());
  browsers_.push_back(browser);
  browser->view->setUrl(QUrl(url.isEmpty() ? QStringLiteral("about:blank") : url));
  AquaEventArgs args{};
  args.browser = browser.get();
  Raise(AQUA_EVENT_BROWSER_CREATED, args);
  return browser;
}

Ref<AquaBrowser> Engine::FindBrowser(uintptr_t window) const {
  if (window == 0) return {};
  for (const auto& browser : browsers_) {
    if (!browser->view) continue;
    if (reinterpret_cast<uintptr_t>(browser->view.data()) == window ||
        reinterpret_cast<uintptr_t>(browser->parent.data()) == window)
      return browser;
  }
  return {};
}

void Engine::CloseAllBrowsers() {
  for (auto& browser : browsers_) {
    if (!browser->view) continue;
    browser->view->hide();
    if (browser->parent) browser->parent->removeEventFilter(browser->view);
    // The page goes with its view, before the profile.
    if (InsideEvent())
      browser->view->deleteLater();
    else
      delete browser->view.data();
  }
  browsers_.clear();
}

void Engine::Quit() {
  CloseAllBrowsers();
  quit_ = true;
  if (!profile_) return;
  if (InsideEvent())
    profile_->deleteLater();
  else
    delete profile_.data();
}

}  // namespace aquarius

#include "browser_view.h"

#include <QContextMenuEvent>
#include <QWebEngineCertificateError>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineSettings>

#include "engine.h"

namespace aquarius {

BrowserView::BrowserView(QWidget* parent, const QRect& rect, QWebEngineProfile* profile,
                         AquaBrowser* browser)
    : QWebEngineView(parent), browser_(Ref<AquaBrowser>::Share(browser)) {
  auto* page = new QWebEnginePage(profile, this);
  // The player page starts its music by itself.
  page->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
  connect(page, &QWebEnginePage::certificateError, this, [](QWebEngineCertificateError error) {
    if (Engine::Instance().IgnoreCertificateErrors()) error.acceptCertificate();
  });
  connect(page, &QWebEnginePage::loadingChanged, this, &BrowserView::OnLoadingChanged);
  // Chromium itself only says so in its logging, which is off: the page is
  // gone and its music with it, a fault to see.
  connect(page, &QWebEnginePage::renderProcessTerminated, this,
          [](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
            if (status == QWebEnginePage::NormalTerminationStatus) return;
            qCritical("aquarius: the page's render process %s (exit code %d)",
                      status == QWebEnginePage::CrashedTerminationStatus  ? "crashed"
                      : status == QWebEnginePage::KilledTerminationStatus ? "was killed"
                                                                          : "ended abnormally",
                      exitCode);
          });
  setPage(page);
  setGeometry(rect);
  FillParent();
  parent->installEventFilter(this);
  show();
}

void BrowserView::FillParent() {
  const QRect client = parentWidget()->rect();
  if (!client.isEmpty()) setGeometry(client);
}

bool BrowserView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize) FillParent();
  return QWebEngineView::eventFilter(watched, event);
}

void BrowserView::contextMenuEvent(QContextMenuEvent* event) {
  // Lent to the handler, who may keep it: never on the stack.
  auto frame = Ref<AquaFrame>::Adopt(new AquaFrame);
  frame->browser = browser_;
  AquaEventArgs args{};
  args.browser = browser_.get();
  args.frame = frame.get();
  args.x = event->pos().x();
  args.y = event->pos().y();
  if (Engine::Instance().Raise(AQUA_EVENT_CONTEXT_MENU, args)) {
    event->accept();
    return;
  }
  QWebEngineView::contextMenuEvent(event);
}

void BrowserView::OnLoadingChanged(const QWebEngineLoadingInfo& info) {
  int status = 0;
  switch (info.status()) {
    case QWebEngineLoadingInfo::LoadSucceededStatus:
      status = 200;
      break;
    case QWebEngineLoadingInfo::LoadFailedStatus:
      if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain)
        status = info.errorCode();
      break;
    default:
      return;  // started, or stopped by a new load
  }
  auto frame = Ref<AquaFrame>::Adopt(new AquaFrame);
  frame->browser = browser_;
  AquaEventArgs args{};
  args.browser = browser_.get();
  args.frame = frame.get();
  args.status_code = status;
  Engine::Instance().Raise(AQUA_EVENT_LOAD_END, args);
}

}  // namespace aquarius

// Creating browsers and working with their frames.

#include <QVariant>
#include <QWebEnginePage>
#include <QWidget>

#include "aquarius_abi.h"
#include "browser_view.h"
#include "engine.h"
#include "text.h"

using aquarius::FromUtf8;
using aquarius::Ref;

namespace {

QWebEnginePage* PageOf(AquaFrame* frame) {
  if (!frame || !frame->browser || !frame->browser->view) return nullptr;
  return frame->browser->view->page();
}

QUrl UrlOrBlank(const char* url) {
  const QString text = FromUtf8(url);
  return QUrl(text.isEmpty() ? QStringLiteral("about:blank") : text);
}

}  // namespace

extern "C" {

AQUA_API AquaWindowInfo* AquaWindowCreate(void) { return new AquaWindowInfo; }

AQUA_API void AquaWindowSetAsChild(AquaWindowInfo* info, uintptr_t parent, int x, int y, int width,
                                   int height) {
  if (!info) return;
  info->parent = reinterpret_cast<QWidget*>(parent);
  info->rect = QRect(x, y, width, height);
}

AQUA_API AquaBrowserSettings* AquaTypeBsCreate(void) { return new AquaBrowserSettings; }

AQUA_API bool AquaBrowserHostCreateBrowserA(AquaWindowInfo* info, const char* url,
                                            AquaBrowserSettings* /*settings*/) {
  if (!info || !info->parent) return false;
  return static_cast<bool>(
      aquarius::Engine::Instance().CreateBrowser(info->parent, info->rect, FromUtf8(url)));
}

AQUA_API AquaBrowser* AquaManagerQueryActor(uintptr_t window) {
  return aquarius::Engine::Instance().FindBrowser(window).Leak();
}

AQUA_API AquaFrame* AquaBrowserGetMainFrame(AquaBrowser* browser) {
  if (!browser) return nullptr;
  auto* frame = new AquaFrame;
  frame->browser = Ref<AquaBrowser>::Share(browser);
  return frame;
}

AQUA_API AquaBrowserHost* AquaBrowserGetHost(AquaBrowser* browser) {
  if (!browser) return nullptr;
  auto* host = new AquaBrowserHost;
  host->browser = Ref<AquaBrowser>::Share(browser);
  return host;
}

AQUA_API uintptr_t AquaBrowserHostGetWindowHandle(AquaBrowserHost* host) {
  if (!host || !host->browser) return 0;
  return reinterpret_cast<uintptr_t>(host->browser->view.data());
}

AQUA_API void AquaFrameLoadStringA(AquaFrame* frame, const char* html, const char* url) {
  if (QWebEnginePage* page = PageOf(frame)) page->setHtml(FromUtf8(html), UrlOrBlank(url));
}

AQUA_API void AquaFrameExecuteJavaScriptA(AquaFrame* frame, const char* script,
                                          const char* /*script_url*/, int /*start_line*/) {
  if (QWebEnginePage* page = PageOf(frame)) page->runJavaScript(FromUtf8(script));
}

AQUA_API void AquaFrameEvaluateJavaScriptA(AquaFrame* frame, const char* script,
                                           AquaScriptResultCallback callback, void* user_data) {
  QWebEnginePage* page = PageOf(frame);
  if (!page || !callback) return;
  page->runJavaScript(FromUtf8(script), [callback, user_data](const QVariant& value) {
    callback(value.toString().toUtf8().constData(), user_data);
  });
}

}  // extern "C"

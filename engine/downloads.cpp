#include "downloads.h"

#include <QDir>
#include <QFileInfo>
#include <QUuid>

#include "engine.h"

namespace aquarius {

namespace {

constexpr QLatin1StringView kMarkPrefix("aquarius-download-");

}  // namespace

std::set<QString> Downloads::marks_;

QUrl Downloads::MarkProgramDownload(const QUrl& url) {
  // Random from the system's generator: a page cannot forge it.
  const QString mark = kMarkPrefix + QUuid::createUuid().toString(QUuid::Id128);
  marks_.insert(mark);
  QUrl marked = url;
  marked.setFragment(mark);
  return marked;
}

bool Downloads::TakeProgramMark(const QUrl& url) {
  if (!url.hasFragment()) return false;
  return marks_.erase(url.fragment(QUrl::FullyDecoded)) > 0;
}

void Downloads::OnRequested(QWebEngineDownloadRequest* request, Ref<AquaBrowser> browser) {
  const auto known = by_engine_id_.find(request->id());
  if (known != by_engine_id_.end()) {
    // Asked again after a cut: same target, same item, no new question.
    const Ref<AquaDownloadItem>& item = known->second;
    ++item->resumptions;
    Attach(item, request);
    if (!item->accepted) return;
    request->setDownloadDirectory(item->directory);
    request->setDownloadFileName(item->file_name);
    request->accept();
    if (item->paused) request->pause();
    return;
  }

  // Not one of the program's: a page's link or script, or saving the page.
  if (request->isSavePageDownload() || !TakeProgramMark(request->url())) {
    request->cancel();
    return;
  }

  auto item = Ref<AquaDownloadItem>::Adopt(new AquaDownloadItem);
  item->id = ++last_id_;
  item->browser = std::move(browser);
  by_engine_id_[request->id()] = item;
  Attach(item, request);

  auto callback = Ref<AquaBeforeDownloadCallback>::Adopt(new AquaBeforeDownloadCallback);
  callback->item = item;
  const QByteArray suggested = request->suggestedFileName().toUtf8();
  AquaEventArgs args{};
  args.browser = item->browser.get();
  args.download = item.get();
  args.suggested_name = suggested.constData();
  args.before_download = callback.get();
  Engine::Instance().Raise(AQUA_EVENT_BEFORE_DOWNLOAD, args);
  // The engine cancels a request nobody accepted once this returns.
}

void Downloads::Continue(AquaDownloadItem* item, const QString& path) {
  QWebEngineDownloadRequest* request = item->request;
  if (!request || item->accepted ||
      request->state() != QWebEngineDownloadRequest::DownloadRequested)
    return;
  if (!path.isEmpty()) {
    const QFileInfo target(path);
    QDir().mkpath(target.absolutePath());
    request->setDownloadDirectory(target.absolutePath());
    request->setDownloadFileName(target.fileName());
  }
  item->directory = request->downloadDirectory();
  item->file_name = request->downloadFileName();
  item->accepted = true;
  request->accept();
}

void Downloads::Attach(const Ref<AquaDownloadItem>& item, QWebEngineDownloadRequest* request) {
  item->request = request;
  item->state = request->state();
  item->received = request->receivedBytes();
  item->total = request->totalBytes();
  const auto update = [item, request] {
    if (item->request != request) return;  // an earlier request of a cut download
    item->state = request->state();
    item->received = request->receivedBytes();
    item->total = request->totalBytes();
    item->interrupt_reason = static_cast<int>(request->interruptReason());
    // A request waiting for the answer to a cut is no news.
    if (item->state == QWebEngineDownloadRequest::DownloadRequested) return;
    RaiseUpdated(item);
  };
  QObject::connect(request, &QWebEngineDownloadRequest::stateChanged, request, update);
  QObject::connect(request, &QWebEngineDownloadRequest::receivedBytesChanged, request, update);
  QObject::connect(request, &QWebEngineDownloadRequest::totalBytesChanged, request, update);
}

void Downloads::RaiseUpdated(const Ref<AquaDownloadItem>& item) {
  if (item->raising) {
    item->raise_again = true;
    return;
  }
  item->raising = true;
  do {
    item->raise_again = false;
    auto callback = Ref<AquaDownloadItemCallback>::Adopt(new AquaDownloadItemCallback);
    callback->item = item;
    AquaEventArgs args{};
    args.browser = item->browser.get();
    args.download = item.get();
    args.download_callback = callback.get();
    Engine::Instance().Raise(AQUA_EVENT_DOWNLOAD_UPDATED, args);
  } while (item->raise_again);
  item->raising = false;
}

}  // namespace aquarius

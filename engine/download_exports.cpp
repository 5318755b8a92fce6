// Starting downloads, the download item queries and the callbacks the host
// answers events 30 and 31 with.

#include "aquarius_abi.h"
#include "downloads.h"
#include "engine.h"
#include "text.h"

using State = QWebEngineDownloadRequest::DownloadState;

extern "C" {

AQUA_API void AquaBrowserHostStartDownloadA(AquaBrowserHost* host, const char* url) {
  if (!host) return;
  const QUrl address(aquarius::FromUtf8(url));
  if (!address.isValid()) return;
  aquarius::Engine::Instance().StartDownload(host->browser.get(),
                                             aquarius::Downloads::MarkProgramDownload(address));
}

AQUA_API int AquaDownloadGetId(AquaDownloadItem* item) { return item ? item->id : 0; }

AQUA_API bool AquaDownloadIsInProgress(AquaDownloadItem* item) {
  if (!item || !item->accepted) return false;
  return item->state == State::DownloadInProgress || item->state == State::DownloadRequested;
}

AQUA_API bool AquaDownloadIsComplete(AquaDownloadItem* item) {
  return item && item->state == State::DownloadCompleted;
}

AQUA_API bool AquaDownloadIsCanceled(AquaDownloadItem* item) {
  return item && (item->state == State::DownloadCancelled ||
                  item->state == State::DownloadInterrupted);
}

AQUA_API int AquaDownloadGetInterruptReason(AquaDownloadItem* item) {
  return item ? item->interrupt_reason : 0;
}

AQUA_API int AquaDownloadGetResumeCount(AquaDownloadItem* item) {
  return item ? item->resumptions : 0;
}

AQUA_API bool AquaDownloadIsPaused(AquaDownloadItem* item) { return item && item->paused; }

AQUA_API int AquaDownloadGetPercentComplete(AquaDownloadItem* item) {
  if (!item || item->total <= 0) return -1;
  return static_cast<int>(item->received * 100 / item->total);
}

AQUA_API int64_t AquaDownloadGetTotalBytes(AquaDownloadItem* item) {
  return item ? item->total : -1;
}

AQUA_API int64_t AquaDownloadGetReceivedBytes(AquaDownloadItem* item) {
  return item ? item->received : 0;
}

AQUA_API void AquaDownloadRaiseUpdated(AquaDownloadItem* item) {
  if (item && item->accepted)
    aquarius::Downloads::RaiseUpdated(aquarius::Ref<AquaDownloadItem>::Share(item));
}

AQUA_API void AquaDownloadCallbackContinue(AquaBeforeDownloadCallback* callback, const char* path,
                                           bool /*show_dialog*/) {
  if (callback && callback->item)
    aquarius::Downloads::Continue(callback->item.get(), aquarius::FromUtf8(path));
}

AQUA_API void AquaDownloadItemCallbackPause(AquaDownloadItemCallback* callback) {
  if (!callback || !callback->item || !callback->item->request) return;
  AquaDownloadItem* item = callback->item.get();
  if (item->state != State::DownloadInProgress) return;
  item->paused = true;
  item->request->pause();
}

AQUA_API void AquaDownloadItemCallbackResume(AquaDownloadItemCallback* callback) {
  if (!callback || !callback->item || !callback->item->request) return;
  AquaDownloadItem* item = callback->item.get();
  if (!item->paused) return;
  item->paused = false;
  item->request->resume();
}

AQUA_API void AquaDownloadItemCallbackCancel(AquaDownloadItemCallback* callback) {
  if (!callback || !callback->item || !callback->item->request) return;
  callback->item->paused = false;
  callback->item->request->cancel();
}

}  // extern "C"

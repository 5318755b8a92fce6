#pragma once
// Downloads of the profile, numbered 1, 2, 3 … in the order they start. A
// connection cut makes the engine request the same download again; that
// request continues the same item.

#include <QPointer>
#include <QWebEngineDownloadRequest>
#include <map>

#include "handles.h"

struct AquaDownloadItem : aquarius::Object {
  int id = 0;
  QPointer<QWebEngineDownloadRequest> request;
  aquarius::Ref<AquaBrowser> browser;
  QString directory;
  QString file_name;
  bool accepted = false;
  bool paused = false;  // the engine's own flag stays false while paused
  // The last values seen, for queries after the request has gone.
  QWebEngineDownloadRequest::DownloadState state = QWebEngineDownloadRequest::DownloadRequested;
  qint64 received = 0;
  qint64 total = -1;
  int interrupt_reason = 0;
  int resumptions = 0;  // connection cuts the download went on after
  // Updates raised while the handler of one runs are raised once after it.
  bool raising = false;
  bool raise_again = false;
};

struct AquaBeforeDownloadCallback : aquarius::Object {
  aquarius::Ref<AquaDownloadItem> item;
};

struct AquaDownloadItemCallback : aquarius::Object {
  aquarius::Ref<AquaDownloadItem> item;
};

namespace aquarius {

class Downloads {
 public:
  void OnRequested(QWebEngineDownloadRequest* request, Ref<AquaBrowser> browser);
  static void Continue(AquaDownloadItem* item, const QString& path);
  // Event 31 for `item` with a fresh callback.
  static void RaiseUpdated(const Ref<AquaDownloadItem>& item);

 private:
  void Attach(const Ref<AquaDownloadItem>& item, QWebEngineDownloadRequest* request);

  std::map<quint32, Ref<AquaDownloadItem>> by_engine_id_;
  int last_id_ = 0;
};

}  // namespace aquarius

#pragma once
// Downloads the program started, numbered 1, 2, 3 … in the order they start.
// The profile offers every download to its handler, a page's own ones too; a
// request carrying no mark of the program's is cancelled unseen and takes no
// number. A connection cut makes the engine request the same download again;
// that request continues the same item.

#include <QPointer>
#include <QUrl>
#include <QWebEngineDownloadRequest>
#include <map>
#include <set>

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
  // The address to hand to the browser for a download the program starts:
  // `url` with a fragment no page can guess. The fragment never reaches the
  // server and follows redirects, so the request for it shows who asked.
  static QUrl MarkProgramDownload(const QUrl& url);
  static void Continue(AquaDownloadItem* item, const QString& path);
  // Event 31 for `item` with a fresh callback.
  static void RaiseUpdated(const Ref<AquaDownloadItem>& item);

 private:
  void Attach(const Ref<AquaDownloadItem>& item, QWebEngineDownloadRequest* request);
  // True, once, for the first request of an address MarkProgramDownload gave.
  static bool TakeProgramMark(const QUrl& url);

  // Marks handed out and not yet seen in a request. One set for the process,
  // as there is one engine with one profile.
  static std::set<QString> marks_;

  std::map<quint32, Ref<AquaDownloadItem>> by_engine_id_;
  int last_id_ = 0;
};

}  // namespace aquarius

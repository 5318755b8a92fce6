#include "app/widgets/clip_fetch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace larkbay {
namespace {

// A server that sends nothing for this long has stopped.
constexpr int kStallMs = 30000;

}  // namespace

ClipFetch::ClipFetch(QObject* parent)
    : QObject(parent), network_(new QNetworkAccessManager(this)) {}

ClipFetch::~ClipFetch() { Abort(); }

void ClipFetch::Start(const QUrl& url) {
  Abort();
  tooBig_ = false;
  QNetworkRequest request(url);
  request.setTransferTimeout(kStallMs);
  QNetworkReply* reply = network_->get(request);
  reply_ = reply;
  connect(reply, &QNetworkReply::downloadProgress, this,
          [this, reply](qint64 received, qint64 total) {
            if (reply != reply_ || (received <= kMaxClipBytes && total <= kMaxClipBytes)) return;
            tooBig_ = true;
            reply->abort();  // finished follows
          });
  connect(reply, &QNetworkReply::finished, this, [this, reply] {
    if (reply == reply_) Finish();
  });
}

void ClipFetch::Abort() {
  QNetworkReply* reply = reply_;
  reply_.clear();
  if (!reply) return;
  reply->disconnect(this);
  reply->abort();
  reply->deleteLater();
}

void ClipFetch::Finish() {
  QNetworkReply* reply = reply_;
  reply_.clear();
  reply->deleteLater();
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (tooBig_) {
    emit Failed(QStringLiteral("larger than %1 bytes").arg(kMaxClipBytes));
  } else if (reply->error() != QNetworkReply::NoError) {
    emit Failed(reply->errorString());
  } else if (status != 0 && (status < 200 || status > 299)) {
    emit Failed(QStringLiteral("HTTP %1").arg(status));
  } else {
    emit Fetched(reply->readAll());
  }
}

}  // namespace larkbay

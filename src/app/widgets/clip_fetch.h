#pragma once
// The whole body of one short clip, fetched into memory for a player that
// plays it over and over: played from the fetched bytes, no round after the
// first asks the server again (the media backend asks anew on every round of
// an address, for a clip of a fifth of a second some twenty times in five
// seconds). A body past kMaxClipBytes is not fetched: a file that big lasts
// long enough that a request a round does not matter, and fetching it whole
// before it plays would hold its start back (2.4 MB at 1 MB/s: 3 s where the
// backend streaming from the address starts in 0.6 s).

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace larkbay {

class ClipFetch : public QObject {
  Q_OBJECT
 public:
  // Two minutes at 64 kbps, half a minute at 320 kbps.
  static constexpr qint64 kMaxClipBytes = 1024 * 1024;

  explicit ClipFetch(QObject* parent = nullptr);
  ~ClipFetch() override;

  // Fetches `url` (http or https; redirects followed), dropping any fetch
  // still under way. Fetched or Failed follows, not before the next turn of
  // the event loop.
  void Start(const QUrl& url);
  // Drops the fetch under way, if any; neither signal follows for it.
  void Abort();
  bool Running() const { return !reply_.isNull(); }

 signals:
  void Fetched(const QByteArray& body);
  // No whole body: an error of the connection or of the server, no data for
  // a long while, or a body past kMaxClipBytes (given up as soon as its
  // length is known).
  void Failed(const QString& cause);

 private:
  void Finish();

  QNetworkAccessManager* network_;
  QPointer<QNetworkReply> reply_;
  bool tooBig_ = false;
};

}  // namespace larkbay

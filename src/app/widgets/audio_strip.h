#pragma once
// The player of an HTML page's <audio> element: plays its source on Qt
// Multimedia and shows the element's controls (play/pause, position, time) in
// one row. A short source that repeats is fetched once and played from
// memory.

#include <QUrl>
#include <QWidget>

class QAudioOutput;
class QBuffer;
class QLabel;
class QMediaPlayer;
class QSlider;
class QToolButton;

namespace larkbay {

class ClipFetch;

class AudioStrip : public QWidget {
  Q_OBJECT
 public:
  explicit AudioStrip(QWidget* parent = nullptr);
  // Ends the stream before the player goes, so its pipeline and connection
  // are closed while everything they use still exists.
  ~AudioStrip() override;

  // Loads `source` in place of what was playing; starts it when `autoplay`,
  // repeats it without end when `loop`. A source that is not http(s) is not
  // loaded: the strip stays silent with its controls off. A repeating source
  // plays once it has been fetched whole (the player's source is set then);
  // one too long to fetch first, or that cannot be fetched, plays from its
  // address.
  void Load(const QUrl& source, bool autoplay, bool loop);
  // Silent, nothing loaded.
  void Stop();

  QMediaPlayer* Player() const { return player_; }

 private:
  void ShowPosition(qint64 position);
  void ShowState();
  void TogglePlay();
  // Sets the player's source to the fetched body of `fetching_`, or to its
  // address when `body` is null.
  void PlayFetched(const QByteArray* body);
  // Drops the source and the fetch, and the bytes the source played from.
  void DropSource();

  QMediaPlayer* player_;
  ClipFetch* fetch_;
  QAudioOutput* output_;
  QToolButton* playPause_;
  QSlider* position_;
  QLabel* time_;
  QBuffer* clip_ = nullptr;  // the bytes the player plays from, when fetched
  QUrl fetching_;            // the source being fetched, empty when none
  bool playWhenFetched_ = false;
};

// Whether the strip would play `source`.
bool IsPlayableAudioSource(const QUrl& source);

}  // namespace larkbay

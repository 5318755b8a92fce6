#pragma once
// The player of an HTML page's <audio> element: plays its source on Qt
// Multimedia and shows the element's controls (play/pause, position, time) in
// one row.

#include <QUrl>
#include <QWidget>

class QAudioOutput;
class QLabel;
class QMediaPlayer;
class QSlider;
class QToolButton;

namespace larkbay {

class AudioStrip : public QWidget {
  Q_OBJECT
 public:
  explicit AudioStrip(QWidget* parent = nullptr);
  // Ends the stream before the player goes, so its pipeline and connection
  // are closed while everything they use still exists.
  ~AudioStrip() override;

  // Loads `source` in place of what was playing; starts it when `autoplay`,
  // repeats it without end when `loop`. A source that is not http(s) is not
  // loaded: the strip stays silent with its controls off.
  void Load(const QUrl& source, bool autoplay, bool loop);
  // Silent, nothing loaded.
  void Stop();

  QMediaPlayer* Player() const { return player_; }

 private:
  void ShowPosition(qint64 position);
  void ShowState();

  QMediaPlayer* player_;
  QAudioOutput* output_;
  QToolButton* playPause_;
  QSlider* position_;
  QLabel* time_;
};

// Whether the strip would play `source`.
bool IsPlayableAudioSource(const QUrl& source);

}  // namespace larkbay

#include "app/widgets/audio_strip.h"

#include <QAudioOutput>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaPlayer>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

namespace larkbay {
namespace {

QString Clock(qint64 ms) {
  const qint64 seconds = ms / 1000;
  return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

bool IsPlayableAudioSource(const QUrl& source) {
  const QString scheme = source.scheme().toLower();
  return source.isValid() && !source.host().isEmpty() &&
         (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

AudioStrip::AudioStrip(QWidget* parent)
    : QWidget(parent),
      player_(new QMediaPlayer(this)),
      output_(new QAudioOutput(this)),
      playPause_(new QToolButton(this)),
      position_(new QSlider(Qt::Horizontal, this)),
      time_(new QLabel(this)) {
  player_->setAudioOutput(output_);
  setAutoFillBackground(true);

  playPause_->setObjectName(QStringLiteral("playPause"));
  playPause_->setAutoRaise(true);
  position_->setObjectName(QStringLiteral("position"));
  position_->setRange(0, 0);
  time_->setObjectName(QStringLiteral("time"));

  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(2, 0, 6, 0);
  row->setSpacing(4);
  row->addWidget(playPause_);
  row->addWidget(position_, 1);
  row->addWidget(time_);

  connect(playPause_, &QToolButton::clicked, this, [this] {
    if (player_->playbackState() == QMediaPlayer::PlayingState) {
      player_->pause();
    } else {
      player_->play();
    }
  });
  connect(position_, &QSlider::sliderMoved, player_, &QMediaPlayer::setPosition);
  connect(player_, &QMediaPlayer::positionChanged, this, &AudioStrip::ShowPosition);
  connect(player_, &QMediaPlayer::durationChanged, this, [this](qint64 duration) {
    position_->setRange(0, static_cast<int>(duration));
    ShowPosition(player_->position());
  });
  connect(player_, &QMediaPlayer::playbackStateChanged, this, &AudioStrip::ShowState);
  ShowState();
  ShowPosition(0);
}

void AudioStrip::Load(const QUrl& source, bool autoplay, bool loop) {
  if (!IsPlayableAudioSource(source)) {
    Stop();
    return;
  }
  player_->stop();
  player_->setLoops(loop ? QMediaPlayer::Infinite : QMediaPlayer::Once);
  player_->setSource(source);
  playPause_->setEnabled(true);
  position_->setEnabled(true);
  if (autoplay) player_->play();
}

AudioStrip::~AudioStrip() {
  player_->stop();
  player_->setSource(QUrl());
}

void AudioStrip::Stop() {
  player_->stop();
  player_->setSource(QUrl());
  position_->setRange(0, 0);
  playPause_->setEnabled(false);
  position_->setEnabled(false);
  ShowPosition(0);
}

void AudioStrip::ShowPosition(qint64 position) {
  if (!position_->isSliderDown()) position_->setValue(static_cast<int>(position));
  time_->setText(Clock(position) + QStringLiteral(" / ") + Clock(player_->duration()));
}

void AudioStrip::ShowState() {
  const bool playing = player_->playbackState() == QMediaPlayer::PlayingState;
  playPause_->setIcon(
      style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
  playPause_->setToolTip(playing ? tr("Pause") : tr("Play"));
}

}  // namespace larkbay

#include "app/widgets/audio_strip.h"

#include <QAudioOutput>
#include <QBuffer>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaPlayer>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

#include "app/widgets/clip_fetch.h"
#include "services/log/developer_log.h"

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
      fetch_(new ClipFetch(this)),
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

  connect(playPause_, &QToolButton::clicked, this, &AudioStrip::TogglePlay);
  connect(fetch_, &ClipFetch::Fetched, this,
          [this](const QByteArray& body) { PlayFetched(&body); });
  connect(fetch_, &ClipFetch::Failed, this, [this](const QString& cause) {
    DevLog(LogArea::kNet, "legacy player: " + fetching_.toString().toStdString() +
                              " plays from its address (" + cause.toStdString() + ")");
    PlayFetched(nullptr);
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
  DropSource();
  player_->setLoops(loop ? QMediaPlayer::Infinite : QMediaPlayer::Once);
  playPause_->setEnabled(true);
  position_->setEnabled(true);
  if (loop) {
    fetching_ = source;
    playWhenFetched_ = autoplay;
    fetch_->Start(source);
    ShowState();
    return;
  }
  player_->setSource(source);
  if (autoplay) player_->play();
}

void AudioStrip::PlayFetched(const QByteArray* body) {
  const QUrl source = fetching_;
  fetching_.clear();
  if (body) {
    clip_ = new QBuffer(this);
    clip_->setData(*body);
    clip_->open(QIODevice::ReadOnly);
    // The address tells the backend what the bytes are.
    player_->setSourceDevice(clip_, source);
  } else {
    player_->setSource(source);
  }
  if (playWhenFetched_) player_->play();
  ShowState();
}

void AudioStrip::TogglePlay() {
  if (!fetching_.isEmpty()) {
    // Not playable yet: the click says whether to start once it is.
    playWhenFetched_ = !playWhenFetched_;
    ShowState();
  } else if (player_->playbackState() == QMediaPlayer::PlayingState) {
    player_->pause();
  } else {
    player_->play();
  }
}

void AudioStrip::DropSource() {
  fetch_->Abort();
  fetching_.clear();
  player_->stop();
  player_->setSource(QUrl());
  // The player lets go of the bytes with its source.
  delete clip_;
  clip_ = nullptr;
}

AudioStrip::~AudioStrip() { DropSource(); }

void AudioStrip::Stop() {
  DropSource();
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
  const bool playing = fetching_.isEmpty() ? player_->playbackState() == QMediaPlayer::PlayingState
                                           : playWhenFetched_;
  playPause_->setIcon(
      style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
  playPause_->setToolTip(playing ? QStringLiteral("暂停") : QStringLiteral("播放"));
}

}  // namespace larkbay

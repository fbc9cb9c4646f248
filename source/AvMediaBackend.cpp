#include "source/AvMediaBackend.h"

#include "source/MediaProbe.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QUrl>
#include <QVideoWidget>

AvMediaBackend::AvMediaBackend()
    : player_(new QMediaPlayer(this)), audio_(new QAudioOutput(this)), view_(new QVideoWidget)
{
    player_->setAudioOutput(audio_);
    player_->setVideoOutput(view_);
    connect(player_, &QMediaPlayer::positionChanged, this,
            [this](qint64 milliseconds) { emit PositionChanged(milliseconds / 1000.0); });
    connect(player_, &QMediaPlayer::playbackStateChanged, this,
            [this](QMediaPlayer::PlaybackState state) { emit PlayingChanged(state == QMediaPlayer::PlayingState); });
}

// The view belongs to the window it was put in; it is deleted with it, or here when it never was.
AvMediaBackend::~AvMediaBackend()
{
    player_->setVideoOutput(nullptr);
    if (!view_->parent())
        delete view_;
}

MediaFacts AvMediaBackend::Load(const QString &path)
{
    const MediaFacts facts = ProbeMedia(path);
    player_->setSource(QUrl::fromLocalFile(path));
    return facts;
}

void AvMediaBackend::Unload()
{
    player_->setSource(QUrl());
}

void AvMediaBackend::Play()
{
    player_->play();
}

void AvMediaBackend::Pause()
{
    player_->pause();
}

void AvMediaBackend::Stop()
{
    player_->stop();
}

bool AvMediaBackend::Playing() const
{
    return player_->playbackState() == QMediaPlayer::PlayingState;
}

double AvMediaBackend::Position() const
{
    return player_->position() / 1000.0;
}

void AvMediaBackend::setPosition(double seconds)
{
    player_->setPosition(qint64(seconds * 1000));
}

QWidget *AvMediaBackend::VideoView()
{
    return view_;
}

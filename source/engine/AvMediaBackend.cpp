#include "source/engine/AvMediaBackend.h"

#include "source/engine/MediaProbe.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QPainter>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>
#include <QWidget>

// Draws the latest frame of the sink, kept in its proportions on black.
class FrameView : public QWidget {
public:
    explicit FrameView(QVideoSink *sink)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMinimumSize(32, 24);
        connect(sink, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame &frame) {
            frame_ = frame;
            update();
        });
    }

    void clear()
    {
        frame_ = QVideoFrame();
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        if (!frame_.isValid())
            return;
        QVideoFrame::PaintOptions options;
        options.backgroundColor = Qt::black;
        options.aspectRatioMode = Qt::KeepAspectRatio;
        frame_.paint(&painter, QRectF(rect()), options);
    }

private:
    QVideoFrame frame_;
};

AvMediaBackend::AvMediaBackend()
    : player_(new QMediaPlayer(this)), audio_(new QAudioOutput(this)), sink_(new QVideoSink(this)),
      view_(new FrameView(sink_))
{
    player_->setAudioOutput(audio_);
    player_->setVideoSink(sink_);
    connect(player_, &QMediaPlayer::positionChanged, this,
            [this](qint64 milliseconds) { emit PositionChanged(milliseconds / 1000.0); });
    connect(player_, &QMediaPlayer::playbackStateChanged, this,
            [this](QMediaPlayer::PlaybackState state) { emit PlayingChanged(state == QMediaPlayer::PlayingState); });
}

// The view belongs to the window it was put in and is deleted with it; one never put anywhere is
// deleted here.
AvMediaBackend::~AvMediaBackend()
{
    player_->stop();
    player_->setVideoSink(nullptr);
    if (!view_->parent())
        delete view_;
}

MediaFacts AvMediaBackend::Load(const QString &path)
{
    const MediaFacts facts = ProbeMedia(path);
    view_->clear();
    player_->setSource(QUrl::fromLocalFile(path));
    // Paused rather than stopped, the engine prepares the first picture and the preview shows it.
    player_->pause();
    return facts;
}

void AvMediaBackend::Unload()
{
    player_->setSource(QUrl());
    view_->clear();
}

void AvMediaBackend::Play()
{
    player_->play();
}

void AvMediaBackend::Pause()
{
    player_->pause();
}

bool AvMediaBackend::Playing() const
{
    return player_->playbackState() == QMediaPlayer::PlayingState;
}

double AvMediaBackend::Position() const
{
    return player_->position() / 1000.0;
}

void AvMediaBackend::SetPosition(double seconds)
{
    player_->setPosition(qint64(seconds * 1000));
}

QWidget *AvMediaBackend::VideoView()
{
    return view_;
}

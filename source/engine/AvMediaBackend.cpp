#include "source/engine/AvMediaBackend.h"

#include "platform/NativeFiles.h"
#include "platform/PathHelpers.h"
#include "source/engine/MediaProbe.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QPainter>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>
#include <QWidget>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool holdsRawBytes(const QString &path)
{
    for (qsizetype i = 0; i < path.size(); ++i)
        if (RawNameByte(path, i))
            return true;
    return false;
}

} // namespace

// Qt's player reads a file's address as UTF-8 text, in which a name that is not UTF-8 cannot be
// written. Such a file is held open here and played by the name the system gives an open file.
class HeldFile {
public:
    explicit HeldFile(const QString &path) : fd_(open(NativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
    ~HeldFile()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    HeldFile(const HeldFile &) = delete;
    HeldFile &operator=(const HeldFile &) = delete;

    QString Path() const { return QStringLiteral("/proc/self/fd/%1").arg(fd_); }

private:
    int fd_;
};

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
    // The file held for the one before is let go only once the player has left it, so that the two
    // never share a name.
    auto held = holdsRawBytes(path) ? std::make_unique<HeldFile>(path) : nullptr;
    player_->setSource(QUrl::fromLocalFile(held ? held->Path() : AbsolutePath(path)));
    held_ = std::move(held);
    // Paused rather than stopped, the engine prepares the first picture and the preview shows it.
    player_->pause();
    return facts;
}

void AvMediaBackend::Unload()
{
    player_->setSource(QUrl());
    held_.reset();
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

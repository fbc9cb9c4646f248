#include "source/gui/MediaPlayer.h"

#include "platform/Failure.h"
#include "platform/NativeFiles.h"
#include "platform/gui/Services.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QString clockText(double seconds)
{
    const int whole = qMax(0, int(seconds));
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

// The pictures are the program's own: the style's standard ones are looked up in the desktop's icon
// theme first, a search that would cost the program's start more than everything else in this window.
// A button shows only its picture, so its name is what a screen reader says of it.
QToolButton *barButton(QWidget *bar, const char *name, const char *picture, const QString &caption)
{
    auto *button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(QIcon(QString::fromLatin1(picture)));
    button->setToolTip(caption);
    button->setAccessibleName(caption);
    button->setAutoRaise(true);
    return button;
}

} // namespace

TMediaPlayer2::TMediaPlayer2(QWidget *parent)
    : QWidget(parent), screen_(new QWidget(this)), controlBar_(new QWidget(this)),
      playButton_(barButton(controlBar_, "PlayButton", ":/pictures/media-play.png", tr("Play"))),
      pauseButton_(barButton(controlBar_, "PauseButton", ":/pictures/media-pause.png", tr("Pause"))),
      stopButton_(barButton(controlBar_, "StopButton", ":/pictures/media-stop.png", tr("Stop"))),
      positionBar_(new QSlider(Qt::Horizontal, controlBar_)), timeLabel_(new QLabel(controlBar_))
{
    setFocusPolicy(Qt::NoFocus);
    // Black until the engine draws its pictures on it.
    QPalette black = screen_->palette();
    black.setColor(QPalette::Window, Qt::black);
    screen_->setPalette(black);
    screen_->setAutoFillBackground(true);
    screen_->setMinimumSize(32, 24);
    auto *screenLayout = new QVBoxLayout(screen_);
    screenLayout->setContentsMargins(0, 0, 0, 0);
    // The bar counts milliseconds; the keys move it by a second and by ten, and a screen reader hears
    // the time shown beside it.
    positionBar_->setObjectName(QStringLiteral("PositionBar"));
    positionBar_->setAccessibleName(tr("Position"));
    positionBar_->setSingleStep(1000);
    positionBar_->setPageStep(10000);
    positionBar_->setProperty("Scale", 1000);
    timeLabel_->setObjectName(QStringLiteral("TimeLabel"));
    positionBar_->setProperty("ValueLabel", timeLabel_->objectName());
    positionBar_->setEnabled(false);

    // The position bar has a row of its own, the preview's whole width: beside the buttons and the
    // time, in a docked preview, it would be a stub where a pixel is minutes of a long film.
    auto *bar = new QVBoxLayout(controlBar_);
    bar->setContentsMargins(1, 1, 1, 1);
    bar->setSpacing(0);
    bar->addWidget(positionBar_);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(1);
    for (QWidget *control : {static_cast<QWidget *>(playButton_), static_cast<QWidget *>(pauseButton_),
                             static_cast<QWidget *>(stopButton_)})
        buttons->addWidget(control);
    buttons->addStretch(1);
    buttons->addWidget(timeLabel_);
    bar->addLayout(buttons);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(screen_, 1);
    layout->addWidget(controlBar_);

    connect(playButton_, &QToolButton::clicked, this, &TMediaPlayer2::Play);
    connect(pauseButton_, &QToolButton::clicked, this, &TMediaPlayer2::Pause);
    connect(stopButton_, &QToolButton::clicked, this, &TMediaPlayer2::Stop);
    // The bar is enabled only while a file is open, so the engine exists when the user moves it: by
    // dragging, clicking, the wheel or the keys.
    connect(positionBar_, &QSlider::actionTriggered, this,
            [this] { backend_->SetPosition(positionBar_->sliderPosition() / 1000.0); });
    showTime(0);
    showPlaying(false);
}

TMediaPlayer2::~TMediaPlayer2() = default;

// The engine is made for the first file opened: a player that never opens one costs the program's
// start nothing of it.
void TMediaPlayer2::makeBackend()
{
    backend_ = services().makeMediaBackend();
    screen_->layout()->addWidget(backend_->VideoView());
    connect(backend_.get(), &MediaBackend::PositionChanged, this, &TMediaPlayer2::followPosition);
    connect(backend_.get(), &MediaBackend::PlayingChanged, this, &TMediaPlayer2::showPlaying);
}

bool TMediaPlayer2::playing() const
{
    return backend_ && backend_->Playing();
}

double TMediaPlayer2::position() const
{
    return backend_ ? backend_->Position() : 0;
}

// A file that cannot be opened also drops the one shown before: the player then describes no file
// rather than the wrong one. A named pipe or a device never reaches the engine: opening a pipe waits
// until something writes to it, and the window would freeze.
void TMediaPlayer2::Open(const QString &path)
{
    try {
        if (const QString kind = SpecialFileKind(path); !kind.isEmpty())
            throw Failure(QStringLiteral("Cannot open media file %1: it is %2, not a regular file").arg(path, kind));
        if (!backend_)
            makeBackend();
        facts_ = backend_->Load(path);
    } catch (const Failure &) {
        SetFileName(QString());
        throw;
    }
    fileName_ = path;
    positionBar_->setRange(0, int(qMin(facts_.duration * 1000, 2e9)));
    positionBar_->setEnabled(true);
    showTime(0);
    showPlaying(false);
    const quint64 opening = ++openings_;
    QMetaObject::invokeMethod(this, [this, opening] { announceNewStream(opening); }, Qt::QueuedConnection);
}

// A file opened again before its news arrived replaces the earlier one: only the last is announced.
void TMediaPlayer2::announceNewStream(quint64 opening)
{
    if (opening == openings_ && !fileName_.isEmpty())
        emit NewStream();
}

void TMediaPlayer2::SetFileName(const QString &path)
{
    if (!path.isEmpty()) {
        Open(path);
        return;
    }
    if (fileName_.isEmpty())
        return;
    backend_->Unload();
    fileName_.clear();
    facts_ = MediaFacts();
    positionBar_->setEnabled(false);
    showTime(0);
    showPlaying(false);
}

bool TMediaPlayer2::hasPlayRange() const
{
    return selectionEnd_ > selectionStart_;
}

void TMediaPlayer2::SetSelectionStart(double seconds)
{
    selectionStart_ = seconds;
    if (playing() && hasPlayRange() && position() < selectionStart_)
        backend_->SetPosition(selectionStart_);
}

void TMediaPlayer2::SetSelectionEnd(double seconds)
{
    selectionEnd_ = seconds;
    followPosition(position());
}

void TMediaPlayer2::SetShowControls(bool show)
{
    showControls_ = show;
    controlBar_->setVisible(show);
}

void TMediaPlayer2::Play()
{
    if (fileName_.isEmpty())
        return;
    const double at = backend_->Position();
    if (hasPlayRange() && (at < selectionStart_ || at >= selectionEnd_))
        backend_->SetPosition(selectionStart_);
    backend_->Play();
}

void TMediaPlayer2::Pause()
{
    if (backend_)
        backend_->Pause();
}

// Stopping goes back to the start of the play range and rests there, its picture shown as after
// opening.
void TMediaPlayer2::Stop()
{
    if (!backend_)
        return;
    backend_->Pause();
    backend_->SetPosition(hasPlayRange() ? selectionStart_ : 0);
}

// Playback that reaches the end of the play range pauses there.
void TMediaPlayer2::followPosition(double seconds)
{
    if (playing() && hasPlayRange() && seconds >= selectionEnd_) {
        backend_->Pause();
        backend_->SetPosition(selectionEnd_);
        return;
    }
    const QSignalBlocker quiet(positionBar_);
    positionBar_->setValue(int(qMin(seconds * 1000, 2e9)));
    showTime(seconds);
}

void TMediaPlayer2::showTime(double seconds)
{
    timeLabel_->setText(clockText(seconds) + QStringLiteral(" / ") + clockText(facts_.duration));
}

// The buttons offer what can be done now: play while stopped or paused with a file open, pause and
// stop while playing. The focus on Play or Pause goes to the other as it takes its place, so that
// Space pauses what it has just played.
void TMediaPlayer2::showPlaying(bool playing)
{
    const bool switching = (playing ? playButton_ : pauseButton_)->hasFocus();
    playButton_->setEnabled(!playing && !fileName_.isEmpty());
    pauseButton_->setEnabled(playing);
    stopButton_->setEnabled(!fileName_.isEmpty());
    if (switching)
        (playing ? pauseButton_ : playButton_)->setFocus();
}

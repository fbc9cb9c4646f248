#include "source/MediaPlayer.h"

#include "platform/Services.h"

#include <QVBoxLayout>

TMediaPlayer2::TMediaPlayer2(QWidget *parent) : QWidget(parent), backend_(services().makeMediaBackend())
{
    setFocusPolicy(Qt::NoFocus);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(backend_->VideoView());
}

TMediaPlayer2::~TMediaPlayer2() = default;

void TMediaPlayer2::Open(const QString &path)
{
    facts_ = backend_->Load(path);
    fileName_ = path;
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
    backend_->Unload();
    fileName_.clear();
    facts_ = MediaFacts();
}

void TMediaPlayer2::SetSelectionStart(double seconds)
{
    selectionStart_ = seconds;
}

void TMediaPlayer2::SetSelectionEnd(double seconds)
{
    selectionEnd_ = seconds;
}

void TMediaPlayer2::SetShowControls(bool show)
{
    showControls_ = show;
}

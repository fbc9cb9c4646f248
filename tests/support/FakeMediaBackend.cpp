#include "FakeMediaBackend.h"

#include "platform/Failure.h"
#include "source/engine/MediaProbe.h"

#include <QWidget>

FakeMediaBackend::FakeMediaBackend(std::shared_ptr<FakeMedia> media) : media_(std::move(media)), view_(new QWidget)
{
    media_->backend = this;
}

MediaFacts FakeMediaBackend::Load(const QString &path)
{
    media_->calls.append(QStringLiteral("Load ") + path);
    if (!media_->files.contains(path) && media_->probeOtherFiles)
        return ProbeMedia(path);
    if (!media_->files.contains(path))
        throw Failure(QStringLiteral("Cannot open media file %1").arg(path));
    return media_->files.value(path);
}

void FakeMediaBackend::Unload()
{
    media_->calls.append(QStringLiteral("Unload"));
}

void FakeMediaBackend::Play()
{
    media_->calls.append(QStringLiteral("Play"));
    media_->playing = true;
    emit PlayingChanged(true);
}

void FakeMediaBackend::Pause()
{
    media_->calls.append(QStringLiteral("Pause"));
    media_->playing = false;
    emit PlayingChanged(false);
}

void FakeMediaBackend::SetPosition(double seconds)
{
    media_->calls.append(QStringLiteral("SetPosition %1").arg(seconds));
    media_->position = seconds;
    emit PositionChanged(seconds);
}

void FakeMediaBackend::Advance(double seconds)
{
    media_->position = seconds;
    emit PositionChanged(seconds);
}

QWidget *FakeMediaBackend::VideoView()
{
    return view_;
}

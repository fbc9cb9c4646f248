#pragma once

#include "source/MediaFacts.h"

#include <QObject>
#include <QString>

class QWidget;

// The media engine under the preview player: it reads the facts of a file and plays it. The program
// uses a libavformat probe with Qt Multimedia; tests use a recording fake.
class MediaBackend : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Reads the facts of path and loads it for playback; throws Failure when it cannot be opened.
    virtual MediaFacts Load(const QString &path) = 0;
    virtual void Unload() = 0;

    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual bool Playing() const = 0;
    virtual double Position() const = 0;   // seconds
    virtual void SetPosition(double seconds) = 0;

    // The surface the picture is drawn on; the player puts it in its window.
    virtual QWidget *VideoView() = 0;

signals:
    void PositionChanged(double seconds);
    void PlayingChanged(bool playing);
};

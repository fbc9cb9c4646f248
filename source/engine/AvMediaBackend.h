#pragma once

#include "source/gui/MediaBackend.h"

#include <memory>

class QAudioOutput;
class QMediaPlayer;
class QVideoSink;
class FrameView;
class HeldFile;

// The real media engine: facts from a libavformat probe, playback with Qt Multimedia. The picture is
// drawn by a plain widget from the frames of a video sink, so that it keeps working when the player
// moves from one window to another.
class AvMediaBackend : public MediaBackend {
    Q_OBJECT
public:
    AvMediaBackend();
    ~AvMediaBackend() override;

    MediaFacts Load(const QString &path) override;
    void Unload() override;
    void Play() override;
    void Pause() override;
    bool Playing() const override;
    double Position() const override;
    void SetPosition(double seconds) override;
    QWidget *VideoView() override;

private:
    QMediaPlayer *player_;
    QAudioOutput *audio_;
    QVideoSink *sink_;
    FrameView *view_;
    std::unique_ptr<HeldFile> held_;   // the file played, when its name is not UTF-8
};

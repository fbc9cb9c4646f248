#pragma once

#include "source/MediaBackend.h"

class QAudioOutput;
class QMediaPlayer;
class QVideoWidget;

// The real media engine: facts from a libavformat probe, playback with Qt Multimedia.
class AvMediaBackend : public MediaBackend {
    Q_OBJECT
public:
    AvMediaBackend();
    ~AvMediaBackend() override;

    MediaFacts Load(const QString &path) override;
    void Unload() override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    bool Playing() const override;
    double Position() const override;
    void setPosition(double seconds) override;
    QWidget *VideoView() override;

private:
    QMediaPlayer *player_;
    QAudioOutput *audio_;
    QVideoWidget *view_;
};

#pragma once

#include "source/gui/MediaBackend.h"

#include <QWidget>
#include <memory>

class QLabel;
class QSlider;
class QToolButton;

// The preview player: opens a file by path, reports its duration, picture size and bit rate, plays it
// with its own control bar (play, pause, stop, position, time), keeps playback inside the play range
// SelectionStart..SelectionEnd, and raises NewStream once per opened file, after the open call has
// returned. It keeps its media and position when it moves to another window. Its media engine is made
// when the first file is opened.
class TMediaPlayer2 : public QWidget {
    Q_OBJECT
public:
    explicit TMediaPlayer2(QWidget *parent = nullptr);
    ~TMediaPlayer2() override;

    // Opens path for preview; throws Failure when the file cannot be opened.
    void Open(const QString &path);

    QString FileName() const { return fileName_; }
    // Only the empty text is set by the program: it drops the current media.
    void SetFileName(const QString &path);

    double Duration() const { return facts_.duration; }
    int ImageSourceWidth() const { return facts_.width; }
    int ImageSourceHeight() const { return facts_.height; }
    qint64 Bandwidth() const { return facts_.bitRate; }

    // The play range in seconds; a range whose end is not after its start is the whole media.
    double SelectionStart() const { return selectionStart_; }
    double SelectionEnd() const { return selectionEnd_; }
    void SetSelectionStart(double seconds);
    void SetSelectionEnd(double seconds);

    bool ShowControls() const { return showControls_; }
    void SetShowControls(bool show);

    void Play();
    void Pause();
    void Stop();

signals:
    void NewStream();

private:
    void makeBackend();
    bool playing() const;
    double position() const;
    void announceNewStream(quint64 opening);
    bool hasPlayRange() const;
    void followPosition(double seconds);
    void showTime(double seconds);
    void showPlaying(bool playing);

    std::unique_ptr<MediaBackend> backend_;   // none until the first file is opened
    QWidget *screen_;
    QWidget *controlBar_;
    QToolButton *playButton_;
    QToolButton *pauseButton_;
    QToolButton *stopButton_;
    QSlider *positionBar_;
    QLabel *timeLabel_;

    QString fileName_;
    MediaFacts facts_;
    double selectionStart_ = 0;
    double selectionEnd_ = 0;
    bool showControls_ = true;
    quint64 openings_ = 0;
};

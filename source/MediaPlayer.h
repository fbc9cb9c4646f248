#pragma once

#include "source/MediaBackend.h"

#include <QWidget>
#include <memory>

// The preview player: opens a file by path, reports its duration, picture size and bit rate, plays it
// within a play range, and raises NewStream once per opened file, after the open call has returned.
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

    double SelectionStart() const { return selectionStart_; }
    double SelectionEnd() const { return selectionEnd_; }
    void SetSelectionStart(double seconds);
    void SetSelectionEnd(double seconds);

    bool ShowControls() const { return showControls_; }
    void SetShowControls(bool show);

    MediaBackend &Backend() const { return *backend_; }

signals:
    void NewStream();

private:
    void announceNewStream(quint64 opening);

    std::unique_ptr<MediaBackend> backend_;
    QString fileName_;
    MediaFacts facts_;
    double selectionStart_ = 0;
    double selectionEnd_ = 0;
    bool showControls_ = true;
    quint64 openings_ = 0;
};

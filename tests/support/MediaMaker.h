#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <utility>

// Makes a small media file for a test with the ffmpeg command from its generated sources: a test
// picture ("testsrc") and a tone ("sine"). Returns the file's path, or the empty text after a warning
// with ffmpeg's message when ffmpeg fails: the caller's check of the path fails the test.
//   MakeMedia(dir, "clip.avi", {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=2", ...})
QString MakeMedia(const QString &folder, const QString &name, const QStringList &ffmpegArguments);

// A short AVI with picture (width by height, 25 frames a second) and stereo sound.
QString MakeVideoClip(const QString &folder, const QString &name, int width, int height, double seconds);

// A 16-bit stereo WAV at 44.1 kHz.
QString MakeWav(const QString &folder, const QString &name, double seconds);

// A two-second clip of a picture stored width by height, red on its left half and blue on its right,
// that players show turned. In an MP4 the rotate tag given to ffmpeg becomes a display matrix, which
// players read as a turn of that many degrees counterclockwise; in other containers it stays a
// plain "rotate" tag, which older players read as a turn clockwise.
QString MakeTurnedClip(const QString &folder, const QString &name, int width, int height, int degrees);

// The two temporary folders of a test of the utility: the media it reads, made at test time, and
// the folder it writes into.
class MediaAndWorkFolders {
protected:
    bool foldersMade() const { return media_.isValid() && work_.isValid(); }
    QString mediaFolder() const { return media_.path(); }
    QString workFolder() const { return work_.path(); }
    QString media(const QString &name) const { return media_.filePath(name); }
    QString work(const QString &name) const { return work_.filePath(name); }
    // Makes a medium in the media folder; fails the test when ffmpeg fails.
    void makeMedia(const QString &name, const QStringList &ffmpegArguments);
    // A folder of the work folder holding copies of media files under the given names, each changed
    // when the file it copies was.
    QString folderOf(const QString &name, const QList<std::pair<QString, QString>> &copies) const;

private:
    QTemporaryDir media_;
    QTemporaryDir work_;
};

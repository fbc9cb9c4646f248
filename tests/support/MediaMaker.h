#pragma once

#include <QString>
#include <QStringList>

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

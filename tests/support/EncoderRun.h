#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// WM8EUTIL.EXE run from the build's program folder, as the launch script runs it.
struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runUtility(const QStringList &arguments);

// The exit code and everything the run printed, for a failed test's message.
QString describe(const Run &run);

// What a file holds, read back with libavformat, in words a test can compare: "wmv2 160x120 15/1",
// "wmav2 44100 2"; and what its packets hold.
struct Written {
    bool readable = false;
    QString picture;
    QString sound;
    double duration = 0; // as the file's header tells it
    int keyFrames = 0;
    QVector<double> keyFrameStarts; // seconds
    QVector<double> pictureStarts;  // seconds
    qint64 pictureBytes = 0;
    qint64 soundBytes = 0;
    QMap<QString, QString> tags;

    // The picture stream's bit rate over the file's length.
    double pictureBitRate() const { return duration > 0 ? double(pictureBytes) * 8 / duration : 0; }
};

Written readBack(const QString &path);

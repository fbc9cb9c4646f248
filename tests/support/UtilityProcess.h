#pragma once

#include <QMap>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QVector>
#include <algorithm>
#include <functional>
#include <optional>

// WM8EUTIL.EXE run as a user runs it from a terminal, and what it wrote, read with libavformat.
struct UtilityRun {
    int exitCode = -1; // -1 when it did not end by itself
    QString out;
    QString err;
};

// Runs the utility built beside the tests and waits two minutes at most for it to end. childSetUp runs
// in the new process before the utility starts (to lower a limit, for example); environment holds
// "NAME=value" entries added to the utility's environment.
UtilityRun RunUtilityProcess(const QStringList &arguments, const std::function<void()> &childSetUp = {},
                             const QStringList &environment = {});

// The environment of this process with "NAME=value" entries set in it, for the utility.
QProcessEnvironment UtilityEnvironment(const QStringList &variables);

// The exit code and both streams, for a failed test's message.
QString Describe(const UtilityRun &run);

// The path of the utility built beside the tests.
QString UtilityPath();

// What a file holds, in words a test can compare: "wmv2 160x120 15/1", "wmav2 44100 2"; and what its
// packets hold.
struct WrittenMedia {
    bool readable = false;
    QString picture;
    QString sound;
    double duration = 0;  // as the file's header tells it
    double startTime = 0; // where libavformat starts the file
    int prerollMs = -1;   // as the file's properties in its header tell it, read from its bytes
    int keyFrames = 0;
    QVector<double> keyFrameStarts; // seconds
    QVector<double> pictureStarts;  // seconds
    QVector<int> pictureSizes;      // bytes, frame by frame as above
    qint64 pictureBytes = 0;
    qint64 soundBytes = 0;
    QMap<QString, QString> tags;

    // How long a player that receives the picture at bitRate, and starts once bufferSeconds of it
    // have come in, has to wait at the worst: how far the frames of any stretch of the picture go
    // past what comes in over that stretch and the buffer. 0 when it never waits.
    double longestPictureWait(double bitRate, double bufferSeconds) const;
};

WrittenMedia ReadMedia(const QString &path);

// The constant rate the utility's console shows for the picture.
struct PictureRate {
    double bitRate = 0;       // bit/s
    double bufferSeconds = 0;
    double frameRate = 0;

    // How long a player may wait and the picture still keep to the rate: a frame, or 3 % of the buffer.
    double allowedWait() const { return std::max(1 / frameRate, 0.03 * bufferSeconds); }
};
// Nothing where the console shows no picture at a constant rate.
std::optional<PictureRate> ShownPictureRate(const QString &console);

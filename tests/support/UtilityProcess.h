#pragma once

#include <QMap>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

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

WrittenMedia ReadMedia(const QString &path);

#pragma once

#include "encoder/EncodePlan.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

struct WrittenPicture {
    QString codec;
    int width = 0;
    int height = 0;
    int frames = 0;
    double frameRate = 0; // from the spacing of the frames; 0 with fewer than two
};

struct WrittenSound {
    QString codec;
    int sampleRate = 0;
    int channels = 0;
};

// What an output file holds, read back from the file itself.
struct WrittenFile {
    qint64 size = 0;
    double duration = 0; // from the first to the end of the last packet of any stream
    std::optional<WrittenPicture> picture;
    std::optional<WrittenSound> sound;
    QMap<QString, QString> tags;
};

// Reads an output file back with libavformat, every packet of it. Throws Failure when it cannot.
WrittenFile ReadBack(const QString &path);

// How far the output's duration may be from the plan's: a frame of picture and of sound either way,
// and a little more for timestamp rounding.
double DurationTolerance(const EncodePlan &plan);

// How the file differs from the plan: its streams, codecs, picture size, frame rate, sound format,
// duration and content description. Empty when it matches.
QStringList CompareWithPlan(const EncodePlan &plan, const WrittenFile &file);

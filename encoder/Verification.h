#pragma once

#include "encoder/EncodePlan.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

struct WrittenPicture {
    QString codec;
    int width = 0;
    int height = 0;
    int frames = 0;
    // From the spacing of the frames that follow one another directly, so that frames dropped to
    // hold a constant rate do not count; 0 with fewer than two.
    double frameRate = 0;
    std::vector<double> frameStarts; // seconds
    qint64 bytes = 0;
};

struct WrittenSound {
    QString codec;
    int sampleRate = 0;
    int channels = 0;
    double bitRate = 0; // bit/s over the stream's length; 0 when it has no length
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
// duration, content description and bit rates. Empty when it matches.
QStringList CompareWithPlan(const EncodePlan &plan, const WrittenFile &file);

// How far the streams' bit rates stray from the plan's: a picture at a constant rate and the sound,
// each by more than a tenth either way, with what would help. Empty when they are within.
QStringList CompareBitRates(const EncodePlan &plan, const WrittenFile &file);

// Whether the file's one difference is a picture at a constant rate that needed less than the rate,
// even at the finest quantiser. Such a file is no worse than asked, and may replace an older one.
bool OnlyShortOfTheRate(const EncodePlan &plan, const WrittenFile &file);

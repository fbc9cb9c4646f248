#pragma once

#include "encoder/check/RateRecord.h"
#include "encoder/plan/EncodePlan.h"
#include "encoder/plan/LeakyBucket.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

struct WrittenPicture {
    QString codec;
    int width = 0;
    int height = 0;
    // From the spacing of the frames that follow one another directly, so that frames dropped to
    // hold a constant rate do not count; 0 with fewer than two.
    double frameRate = 0;
    std::vector<TimedFrame> frames; // in the order of their times
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
// duration, content description and bit rates. Empty when it matches. rate: what the encode did to
// hold the picture's rate, which tells why a picture did not.
QStringList CompareWithPlan(const EncodePlan &plan, const WrittenFile &file, const RateRecord &rate = {});

// How the streams' bit rates differ from the plan's. A picture at a constant rate differs where a
// player that receives it at that rate, and starts once its buffer is full, would have to wait
// (see LeakyBucket), by more than one frame's share of the rate or 3 % of the buffer; the sound
// differs by more than a tenth of its rate either way. Each with what happened and what would help.
QStringList CompareBitRates(const EncodePlan &plan, const WrittenFile &file, const RateRecord &rate = {});

// What is worth telling about a file that is as asked: a picture at a constant rate that needed
// well under it.
QStringList RateNotes(const EncodePlan &plan, const WrittenFile &file);

#pragma once

#include "encoder/check/DeclaredHeader.h"
#include "encoder/plan/LeakyBucket.h"

#include <QMap>
#include <QString>
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
    double bitRate = 0; // bit/s over the time its packets play; 0 when they have no length
};

// What an output file holds, read back from the file itself.
struct WrittenFile {
    qint64 size = 0;
    double duration = 0; // from the first to the end of the last packet of any stream
    std::optional<WrittenPicture> picture;
    std::optional<WrittenSound> sound;
    QMap<QString, QString> tags;
    std::optional<DeclaredFile> declared; // what its header declares; nothing where it cannot be read
};

// Reads an output file back with libavformat, every packet of it, and its header as players read it.
// Throws Failure when it cannot.
WrittenFile ReadBack(const QString &path);

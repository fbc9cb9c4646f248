#pragma once

#include "encoder/common/LibavSupport.h"
#include "encoder/probe/PictureColour.h"
#include "encoder/probe/SourceClock.h"
#include "platform/Failure.h"

#include <QString>
#include <optional>

// The picture as players show it: a picture stored on its side is turned upright, and its size and
// pixel shape are those of the upright picture.
struct PictureFacts {
    int stream = -1;
    QString codec;
    int width = 0;
    int height = 0;
    AVRational sampleAspect{1, 1};
    AVRational frameRate{0, 1}; // 0: not known
    double start = 0;           // seconds from the file's start to the stream's
    double duration = 0;        // seconds from the stream's start to its end
    int rotation = 0;           // degrees clockwise that the stored picture is turned to stand upright
    PictureColour colour = {};

    // The pixel shape of the picture as stored.
    AVRational storedSampleAspect() const { return rotation % 180 ? av_inv_q(sampleAspect) : sampleAspect; }
};

struct SoundFacts {
    int stream = -1;
    QString codec;
    int sampleRate = 0;
    int channels = 0;
    double start = 0;
    double duration = 0;
};

// What the utility knows of a source before encoding it: its container, its length, and the
// picture and sound streams it will take (the first of each kind).
struct SourceFacts {
    QString path;
    qint64 size = 0;         // bytes
    qint64 modifiedNs = 0;   // when it was last changed, in nanoseconds since 1970
    QByteArray endsDigest;   // of its first and last megabyte, which tells apart a file replaced under the same size and time
    QString format;
    double duration = 0;
    std::optional<PictureFacts> picture;
    std::optional<SoundFacts> sound;
    SourceClock clock; // where the source's clock starts again or jumps, for formats where it may; else nothing
};

// A file that is not a sound or video file: no format libavformat knows, a still picture, a text,
// or a container with neither a picture nor a sound stream.
class NotMedia : public Failure {
public:
    using Failure::Failure;
};

// Opens a media file for reading with its stream information. Throws NotMedia when no format
// recognises it or it is no regular file (a named pipe, a device), which is never opened, Failure
// naming the path when it cannot be read, and Stopped once a stop is asked for.
InputHandle OpenMediaFile(const QString &path);

// The facts of the source as a file, which its outputs record: its path, size, when it was last
// changed and the digest of its ends.
SourceFacts FileFactsOf(const QString &path);

// Opens the source and reads its facts. Throws NotMedia or Failure as OpenMediaFile does.
SourceFacts ProbeSource(const QString &path);

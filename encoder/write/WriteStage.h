#pragma once

#include "encoder/plan/PassPlan.h"
#include "encoder/write/AsfWriter.h"

#include <optional>

// Where a pass's packets go: the file, with a stream for the picture and one for the sound, each
// packet timestamped in its encoder's time base. A first pass writes nothing: then every call but
// globalHeaders and writes does nothing.
class WriteStage {
public:
    WriteStage(const QString &path, const PassPlan &pass);

    bool writes() const { return writer_.has_value(); }
    // Whether the encoders put their set-up data in the file's header.
    bool globalHeaders() const { return writer_ && AsfWriter::WantsGlobalHeaders; }

    // Adds the stream of the picture's encoder, or of the sound's, which keeps to the rate the plan
    // declares for it.
    void addPicture(const AVCodecContext &encoder);
    void addSound(const AVCodecContext &encoder);
    void begin();

    void write(AVMediaType type, AVPacket *packet);
    // Where the packet starts, in seconds into the output.
    double seconds(AVMediaType type, const AVPacket &packet) const;
    AVRational timeBase(AVMediaType type) const { return slot(type).timeBase; }

    // Writes what is left and closes the file, recording how long the output should last, as the
    // pass encoded this many seconds of it.
    void finish(double encoded);

private:
    // Where a stream's packets go in the file.
    struct Slot {
        int index = -1;
        AVRational timeBase{1, 1};
    };

    const Slot &slot(AVMediaType type) const { return type == AVMEDIA_TYPE_VIDEO ? picture_ : sound_; }

    const EncodePlan &plan_;
    std::optional<AsfWriter> writer_;
    Slot picture_;
    Slot sound_;
};

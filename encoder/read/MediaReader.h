#pragma once

#include "encoder/common/LibavSupport.h"
#include "encoder/probe/SourceProbe.h"

#include <functional>
#include <memory>
#include <optional>

using FrameSink = std::function<void(AVMediaType, AVFrame *)>;

// Reads a source and decodes the picture and sound streams it is asked for. Each frame's timestamp
// counts from the start of the source, in its stream's time base.
class MediaReader {
public:
    // decoderThreads: how many threads each decoder may use.
    MediaReader(const SourceFacts &source, bool picture, bool sound, int decoderThreads);

    // Moves to a key frame shortly before this many seconds into the source. Where the source
    // cannot seek, or its clock is mended, decoding starts again at its beginning, which reaches the
    // same frames more slowly.
    void seek(double seconds);

    // Moves so that the picture is decoded whole from no later than this many seconds into the
    // source: to a key frame shortly before, or further back where the seek lands past it, as seeks
    // in a source without an index land by timestamp rather than at key frames; at the furthest, to
    // the source's start. Where the source cannot seek, decoding starts again at its beginning. The
    // picture decoder must be open. whileLooking is called for each packet read to find the key
    // frame, and may throw to give up.
    void seekPictureBefore(double seconds, const std::function<void()> &whileLooking = {});

    // Reads one packet and hands every frame decoded from it to the sink. At the end of the source
    // it hands on the frames the decoders still hold and returns false.
    bool decodeNext(const FrameSink &sink);

    // Whether reading has come to the end of the source since the last seek.
    bool ended() const { return ended_; }

    const AVCodecContext &decoder(AVMediaType type) const;
    AVRational timeBase(AVMediaType type) const;

private:
    struct Track {
        AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
        int stream = -1;
        CodecHandle decoder;
        int64_t startOffset = 0;
        AVRational frameRate{0, 1}; // a picture's, where the source tells it
        int64_t nextPts = 0;        // where the frame after the last one starts
        int64_t packets = 0;        // read since the source's start
    };

    int64_t duration(const Track &track, const AVFrame &frame) const;

    Track openTrack(AVMediaType type, int stream, int threads) const;
    void readOnlyTracks();
    bool moveTo(double seconds);
    void restart();
    bool keyPictureBy(double seconds, const std::function<void()> &whileLooking);
    const Track &track(AVMediaType type) const;
    void decode(Track &track, const AVPacket *packet, const FrameSink &sink);

    QString path_;
    SourceClock clock_;
    InputHandle input_;
    Track picture_;
    Track sound_;
    PacketHandle packet_;
    FrameHandle frame_;
    bool ended_ = false;
};

// A reader of the source, moved so that the picture (or, without it, the sound) decodes whole from
// `start` seconds into the source. whileSeeking is called as the picture's key frame is looked for.
std::unique_ptr<MediaReader> OpenReader(const SourceFacts &source, bool picture, bool sound, int decoderThreads, double start,
                                        const std::function<void()> &whileSeeking = {});

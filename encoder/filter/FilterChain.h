#pragma once

#include "encoder/common/LibavSupport.h"

#include <functional>
#include <optional>

struct AVAudioFifo;

// A libavfilter graph with one way in and one way out, built from a description such as
// "yadif,scale=320:240".
class FilterChain {
public:
    // For decoded picture frames of the given decoder, timestamped in the given time base.
    static FilterChain forPicture(const AVCodecContext &decoder, AVRational timeBase, AVRational sampleAspect,
                                  AVRational frameRate, const QString &description);
    // For picture frames of the given size and pixel format.
    static FilterChain forPicture(int width, int height, AVPixelFormat format, AVRational timeBase, AVRational sampleAspect,
                                  AVRational frameRate, const QString &description);
    // Describes the sound's filters; firstSample, where given, is where a chain built again part way
    // starts, in samples of the sound it takes.
    using SoundDescription = std::function<QString(std::optional<int64_t> firstSample)>;
    // For decoded sound frames; every frame out of the chain holds frameSize samples, the last
    // one perhaps fewer. Where the source's sound changes its rate, sample format or channels part
    // way (a broadcast switching between stereo and 5.1, Ogg streams chained), the chain is built
    // again for what comes, and carries on from where it was.
    static FilterChain forSound(const AVCodecContext &decoder, AVRational timeBase, const SoundDescription &describe,
                                int frameSize);

    // Passes a frame in, taking over its data; nullptr ends the input.
    void push(AVFrame *frame);

    // Hands every frame the chain has ready to the sink. Returns true once the chain has given its
    // last frame: its input has ended, or a filter such as the section's end has closed it.
    bool pull(const std::function<void(AVFrame *)> &sink);

    AVRational timeBase() const;
    AVRational sampleAspect() const;

private:
    struct FifoFreer {
        void operator()(AVAudioFifo *fifo) const;
    };

    FilterChain(const char *source, const QString &sourceArguments, const char *sink, const QString &description);
    int64_t frameEnd(const AVFrame &frame) const;
    void buildSoundAgain(const AVFrame &frame);
    void carry(const AVFrame &frame);
    void handCarried(const std::function<void(AVFrame *)> &sink, int atLeast);

    QString description_;
    QString sourceArguments_;
    AVRational inputTimeBase_{1, 1};
    AVRational inputFrameRate_{0, 1}; // pictures only
    int64_t inputEnd_ = 0;
    GraphHandle graph_;
    AVFilterContext *source_ = nullptr;
    AVFilterContext *sink_ = nullptr;
    FrameHandle frame_;
    bool closed_ = false;
    // Sound only: how to build the chain again, and the samples it has given, carried until they
    // fill a frame of the frame size (the encoder's), also across a chain built again.
    SoundDescription describeSound_;
    int frameSize_ = 0;
    bool timesCountSamples_ = false;  // its time base is one sample of the rate it began with
    bool countsOtherSamples_ = false; // ... and its rate has changed since
    std::unique_ptr<AVAudioFifo, FifoFreer> carried_;
    int64_t carriedStart_ = 0;
};

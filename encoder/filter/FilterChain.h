#pragma once

#include "encoder/common/LibavSupport.h"

#include <functional>

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
    // For decoded sound frames; every frame out of the chain holds frameSize samples, the last
    // one perhaps fewer.
    static FilterChain forSound(const AVCodecContext &decoder, AVRational timeBase, const QString &description,
                                int frameSize);

    // Passes a frame in, taking over its data; nullptr ends the input.
    void push(AVFrame *frame);

    // Hands every frame the chain has ready to the sink. Returns true once the chain has given its
    // last frame: its input has ended, or a filter such as the section's end has closed it.
    bool pull(const std::function<void(AVFrame *)> &sink);

    AVRational timeBase() const;
    AVRational sampleAspect() const;

private:
    FilterChain(const char *source, const QString &sourceArguments, const char *sink, const QString &description);
    int64_t frameEnd(const AVFrame &frame) const;

    QString description_;
    AVRational inputTimeBase_{1, 1};
    AVRational inputFrameRate_{0, 1}; // pictures only
    int64_t inputEnd_ = 0;
    GraphHandle graph_;
    AVFilterContext *source_ = nullptr;
    AVFilterContext *sink_ = nullptr;
    FrameHandle frame_;
    bool closed_ = false;
};

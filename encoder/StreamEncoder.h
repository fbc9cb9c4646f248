#pragma once

#include "encoder/EncodePlan.h"
#include "encoder/LibavSupport.h"

#include <QByteArray>
#include <functional>

using PacketSink = std::function<void(AVPacket *)>;

// Which run through the source an encoder serves: the only one, or the first or second of two.
enum class Pass { Only, First, Second };

// A picture or sound encoder opened with the plan's settings.
class StreamEncoder {
public:
    // statistics: what the first pass collected, for the second.
    static StreamEncoder forPicture(const VideoPlan &video, AVRational sampleAspect, Pass pass,
                                    const QByteArray &statistics, bool globalHeader);
    static StreamEncoder forSound(const AudioFormat &format, bool globalHeader);

    // Encodes a frame timestamped in the given time base; nullptr flushes the encoder.
    void send(AVFrame *frame, AVRational timeBase);

    // Hands every packet the encoder has ready to the sink, in the encoder's time base.
    void receive(const PacketSink &sink);

    const AVCodecContext &context() const { return *context_; }

    // What a first pass has collected so far about each frame, for the second pass.
    const QByteArray &statistics() const { return statistics_; }

private:
    struct EncoderFreer {
        void operator()(AVCodecContext *context) const;
    };

    StreamEncoder(const char *codecName, const QString &kind);
    void open();
    bool keyFrameDue(int64_t pts) const;

    QString kind_;
    const AVCodec *codec_ = nullptr;
    std::unique_ptr<AVCodecContext, EncoderFreer> context_;
    PacketHandle packet_;
    QByteArray statistics_;
    int64_t lastKey_ = AV_NOPTS_VALUE; // the last key frame's timestamp
};

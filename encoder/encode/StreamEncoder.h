#pragma once

#include "encoder/common/LibavSupport.h"
#include "encoder/plan/EncodePlan.h"
#include "encoder/plan/PassPlan.h"

#include <QByteArray>
#include <functional>

// FFmpeg's names of the encoders the utility writes with, which are also the names a read-back
// gives their streams.
const char *EncoderName(VideoCodec codec);
inline constexpr char SoundEncoderName[] = "wmav2";

using PacketSink = std::function<void(AVPacket *)>;


// A picture or sound encoder opened with the plan's settings.
class StreamEncoder {
public:
    // statistics: what the first pass collected, for the second; startFullness: the share of a
    // constant rate's buffer that is taken to be full at the first frame (see LeakyBucket).
    static StreamEncoder forPicture(const PicturePlan &video, AVRational sampleAspect, Pass pass,
                                    const QByteArray &statistics, bool globalHeader, double startFullness);
    static StreamEncoder forSound(const AudioFormat &format, bool globalHeader);

    // Encodes a frame timestamped in the given time base; nullptr flushes the encoder.
    void send(AVFrame *frame, AVRational timeBase);

    // Hands every packet the encoder has ready to the sink, in the encoder's time base.
    void receive(const PacketSink &sink);

    const AVCodecContext &context() const { return *context_; }

    // Whether the frame, timestamped in the given time base, is to be a key frame because the
    // key-frame distance has passed since the last one.
    bool keyFrameDue(const AVFrame &frame, AVRational timeBase) const;
    // When the next key frame falls due, in seconds; nothing before the first.
    std::optional<double> nextKeyFrame() const;

    // Whether the encoder wrote the packet at its coarsest quantiser.
    static bool atCoarsest(const AVPacket &packet);

    // What a first pass has collected so far about each frame, for the second pass.
    const QByteArray &statistics() const { return statistics_; }

private:
    struct EncoderFreer {
        void operator()(AVCodecContext *context) const;
    };

    StreamEncoder(const char *codecName, const QString &kind);
    void open();

    QString kind_;
    const AVCodec *codec_ = nullptr;
    std::unique_ptr<AVCodecContext, EncoderFreer> context_;
    PacketHandle packet_;
    QByteArray statistics_;
    int64_t lastKey_ = AV_NOPTS_VALUE; // the last key frame's timestamp
};

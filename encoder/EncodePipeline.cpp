#include "encoder/EncodePipeline.h"

#include "encoder/AsfWriter.h"
#include "encoder/FilterGraphs.h"
#include "encoder/LaneThreads.h"
#include "encoder/SideBySide.h"
#include "encoder/StopSignals.h"
#include "encoder/TwoPassFloor.h"
#include "encoder/Verification.h"

#include <algorithm>
#include <limits>

namespace {

// Where a lane's packets go in the file.
struct StreamSlot {
    int index = -1;
    AVRational timeBase{1, 1};
};

StreamSlot addStream(AsfWriter &writer, const StreamEncoder &encoder)
{
    return {writer.addStream(encoder.context()), encoder.context().time_base};
}

QString droppedFramesNote(const VideoPlan &video, int kept, int dropped)
{
    const double movement = av_q2d(video.frameRate) * kept / (kept + dropped);
    return QStringLiteral("To hold %1 bit/s, %2 of %3 frames were dropped, so the picture moves at %4 fps on average; "
                          "a smaller picture, a lower frame rate or a higher bit rate would keep them.")
        .arg(video.bitRate).arg(dropped).arg(kept + dropped).arg(QString::number(movement, 'f', 1));
}

// What one run through the source gave.
struct PassResult {
    QByteArray statistics; // the picture encoder's, which only a first pass has
    double encoded = 0;    // seconds from the start of the first frame encoded to the end of the last
};

// The picture encoder keeps a core of its own: FFmpeg's WMV encoders use one thread.
int decoderThreads(CoreShare share)
{
    return share == CoreShare::All ? std::max(1, UsableCores() - 1) : 1;
}

PassResult runPass(const SourceFacts &source, const EncodePlan &plan, Pass pass, const QByteArray &statistics,
                   const QString &path, EncodeObserver &observer, CoreShare share)
{
    const bool writing = pass != Pass::First;
    MediaReader reader(source, plan.video.has_value(), plan.audio && writing, decoderThreads(share));
    if (plan.start > 0)
        reader.seek(plan.start);
    std::optional<AsfWriter> writer;
    if (writing)
        writer.emplace(path, plan.content);
    const bool globalHeaders = writer && writer->wantsGlobalHeaders();

    std::optional<Lane> picture;
    StreamSlot pictureSlot;
    if (plan.video) {
        FilterChain chain = FilterChain::forPicture(reader.decoder(AVMEDIA_TYPE_VIDEO), reader.timeBase(AVMEDIA_TYPE_VIDEO),
                                                    source.picture->storedSampleAspect(), source.picture->frameRate,
                                                    VideoFilterDescription(plan));
        StreamEncoder encoder = StreamEncoder::forPicture(*plan.video, chain.sampleAspect(), pass, statistics, globalHeaders);
        if (writer)
            pictureSlot = addStream(*writer, encoder);
        std::optional<RateKeeper> keeper;
        if (pass == Pass::Only && plan.video->mode == RateMode::CbrOnePass)
            keeper.emplace(plan.video->bitRate, double(plan.video->bitRate) * plan.video->bufferMs / 1000);
        const AVRational timeBase = chain.timeBase();
        picture.emplace(Lane{FilterStage(std::move(chain)), EncodeStage(std::move(encoder), timeBase, writing, keeper)});
    }
    std::optional<Lane> sound;
    StreamSlot soundSlot;
    if (plan.audio && writing) {
        StreamEncoder encoder = StreamEncoder::forSound(*plan.audio, globalHeaders);
        FilterChain chain = FilterChain::forSound(reader.decoder(AVMEDIA_TYPE_AUDIO), reader.timeBase(AVMEDIA_TYPE_AUDIO),
                                                  AudioFilterDescription(plan), encoder.context().frame_size);
        soundSlot = addStream(*writer, encoder);
        const AVRational timeBase = chain.timeBase();
        sound.emplace(Lane{FilterStage(std::move(chain)), EncodeStage(std::move(encoder), timeBase, true)});
    }
    if (writer)
        writer->begin();

    EncodeProgress progress;
    progress.pass = pass == Pass::Second ? 2 : 1;
    progress.passes = pass == Pass::Only ? 1 : 2;
    const AVMediaType lead = picture ? AVMEDIA_TYPE_VIDEO : AVMEDIA_TYPE_AUDIO;
    const auto run = share == CoreShare::All ? RunLanesInThreads : RunLanesHere;
    run(reader, picture ? &*picture : nullptr, sound ? &*sound : nullptr, [&](AVMediaType type, EncodedPackets &packets) {
        const StreamSlot &slot = type == AVMEDIA_TYPE_VIDEO ? pictureSlot : soundSlot;
        for (const PacketHandle &packet : packets.packets)
            writer->write(packet.get(), slot.index, slot.timeBase);
        StopIfRequested();
        if (type == lead)
            progress.done = plan.duration > 0 ? std::clamp(packets.position / plan.duration, 0.0, 1.0) : 0;
        if (type == AVMEDIA_TYPE_VIDEO)
            progress.frames = packets.frames;
        observer.progress(progress);
    });
    if (writer)
        writer->finish();
    progress.done = 1;
    observer.progress(progress);
    if (picture && picture->encoder.dropped() > 0)
        observer.note(droppedFramesNote(*plan.video, picture->encoder.frames(), picture->encoder.dropped()));
    PassResult result;
    if (picture)
        result.statistics = picture->encoder.encoder().statistics();
    double first = std::numeric_limits<double>::max();
    double end = 0;
    for (const std::optional<Lane> *lane : {&picture, &sound}) {
        if (*lane && (*lane)->encoder.frames() > 0) {
            first = std::min(first, (*lane)->encoder.first());
            end = std::max(end, (*lane)->encoder.end());
        }
    }
    result.encoded = end > first ? end - first : 0;
    return result;
}

// A container's length is an estimate: a cut-off download or a damaged index holds less than it
// announces, and some streams hold more. The output is checked against what the source gave.
void keepToWhatWasRead(EncodePlan &plan, const SourceFacts &source, double encoded, EncodeObserver &observer)
{
    if (encoded <= 0)
        throw Failure(QStringLiteral("Nothing of %1 could be decoded: the file is damaged, or not what its header says.").arg(source.path));
    // A section that came out longer than asked is the encode's own fault, for the check to find.
    const bool longerThanSection = plan.end && encoded > plan.duration;
    if (longerThanSection || std::abs(encoded - plan.duration) <= DurationTolerance(plan))
        return;
    if (plan.duration > 0)
        observer.note(QStringLiteral("The source gave %1 s, not the %2 s its container announced; the output is "
                                     "checked against what could be read.")
                          .arg(QString::number(encoded, 'f', 3), QString::number(plan.duration, 'f', 3)));
    plan.duration = encoded;
}

} // namespace

void EncodeFile(const SourceFacts &source, EncodePlan &plan, const QString &path, EncodeObserver &observer, CoreShare share)
{
    if (!plan.video || !plan.video->twoPass()) {
        keepToWhatWasRead(plan, source, runPass(source, plan, Pass::Only, {}, path, observer, share).encoded, observer);
        return;
    }
    const QByteArray statistics = runPass(source, plan, Pass::First, {}, path, observer, share).statistics;
    if (statistics.isEmpty())
        throw Failure(QStringLiteral("The first pass found no picture frames to encode."));
    // The plan keeps the rate asked for, which the file is checked against.
    EncodePlan second = plan;
    VideoPlan &video = *second.video;
    const int bitRate = SafeTwoPassBitRate(video.bitRate, statistics, video.frameRate);
    if (bitRate != video.bitRate) {
        observer.note(QStringLiteral("Two passes cannot fit this picture into %1 bit/s, even at the coarsest quantiser; "
                                     "it is encoded at %2 bit/s, the lowest rate that holds it.").arg(video.bitRate).arg(bitRate));
        video.bitRate = bitRate;
    }
    keepToWhatWasRead(plan, source, runPass(source, second, Pass::Second, statistics, path, observer, share).encoded, observer);
}

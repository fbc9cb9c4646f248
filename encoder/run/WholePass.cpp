#include "encoder/run/WholePass.h"

#include "encoder/common/StopSignals.h"
#include "encoder/lanes/LaneThreads.h"

#include <algorithm>
#include <optional>

namespace {

// What a whole pass runs: its reader, its lanes and the file they are written to.
struct WholeLanes {
    std::unique_ptr<MediaReader> reader;
    std::optional<AsfWriter> writer;
    std::optional<Lane> picture;
    std::optional<Lane> sound;
    StreamSlot pictureSlot;
    StreamSlot soundSlot;
};

WholeLanes openLanes(const SourceFacts &source, const PassPlan &pass, const QString &path, CoreShare share)
{
    const EncodePlan &plan = pass.encode;
    const bool sound = plan.audio && pass.writes();
    WholeLanes lanes;
    const double start = pass.picture.empty() ? plan.start : pass.picture.front().seekTo;
    lanes.reader = OpenReader(source, !pass.picture.empty(), sound, DecoderThreads(share), start);
    if (pass.writes())
        lanes.writer.emplace(path, plan);
    const bool globalHeaders = lanes.writer && AsfWriter::WantsGlobalHeaders;
    if (!pass.picture.empty()) {
        lanes.picture.emplace(PictureLane(*lanes.reader, source, pass, pass.picture.front(), globalHeaders));
        if (lanes.writer)
            lanes.pictureSlot = AddPictureStream(*lanes.writer, lanes.picture->encoder.encoder(), pass);
    }
    if (sound) {
        lanes.sound.emplace(SoundLane(*lanes.reader, plan, globalHeaders));
        lanes.soundSlot = AddSoundStream(*lanes.writer, lanes.sound->encoder.encoder(), plan);
    }
    if (lanes.writer)
        lanes.writer->begin();
    return lanes;
}

} // namespace

PassResult RunWhole(const SourceFacts &source, const PassPlan &pass, const QString &path, EncodeObserver &observer,
                    CoreShare share)
{
    const EncodePlan &plan = pass.encode;
    WholeLanes lanes = openLanes(source, pass, path, share);
    EncodeProgress progress = ProgressOf(pass.pass);
    const AVMediaType lead = lanes.picture ? AVMEDIA_TYPE_VIDEO : AVMEDIA_TYPE_AUDIO;
    const auto run = share.alone ? RunLanesInThreads : RunLanesHere;
    run(*lanes.reader, lanes.picture ? &*lanes.picture : nullptr, lanes.sound ? &*lanes.sound : nullptr,
        [&](AVMediaType type, EncodedPackets &packets) {
            const StreamSlot &slot = type == AVMEDIA_TYPE_VIDEO ? lanes.pictureSlot : lanes.soundSlot;
            for (const PacketHandle &packet : packets.packets)
                lanes.writer->write(packet.get(), slot.index, slot.timeBase);
            StopIfRequested();
            if (type == lead)
                progress.done = plan.duration > 0 ? std::clamp(packets.position / plan.duration, 0.0, 1.0) : 0;
            if (type == AVMEDIA_TYPE_VIDEO)
                progress.frames = packets.frames;
            observer.progress(progress);
        });
    PassResult result;
    EncodedSpan span;
    if (const std::optional<Lane> &picture = lanes.picture) {
        const EncodeStage &encoder = picture->encoder;
        result.statistics.push_back(encoder.encoder().statistics());
        result.rate = {encoder.frames(), encoder.dropped(), encoder.coarsest(), std::nullopt};
        span.add(encoder);
    }
    if (result.rate.dropped > 0)
        observer.note(DroppedFramesNote(*plan.video, result.rate));
    if (lanes.sound)
        span.add(lanes.sound->encoder);
    result.encoded = span.seconds();
    if (lanes.writer)
        FinishOutput(*lanes.writer, plan, result.encoded);
    progress.done = 1;
    observer.progress(progress);
    return result;
}

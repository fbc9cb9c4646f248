#include "encoder/run/PassParts.h"

#include "encoder/asked/Jobs.h"
#include "encoder/encode/RateKeeper.h"
#include "encoder/plan/FilterGraphs.h"
#include "encoder/plan/MadeFrom.h"

#include <algorithm>

StreamSlot AddPictureStream(AsfWriter &writer, const StreamEncoder &encoder, const PassPlan &pass)
{
    return {writer.addStream(encoder.context(), pass.encode.video->declaredRate()), encoder.context().time_base};
}

StreamSlot AddSoundStream(AsfWriter &writer, const StreamEncoder &encoder, const EncodePlan &plan)
{
    return {writer.addStream(encoder.context(), SoundRate(*plan.audio, encoder.context().frame_size)), encoder.context().time_base};
}

void FinishOutput(AsfWriter &writer, const EncodePlan &plan, double encoded)
{
    writer.finish(RecordWithLength(plan.madeFrom, LengthToExpect(plan, encoded)));
}

void EncodedSpan::add(double first, double end)
{
    first_ = std::min(first_, first);
    end_ = std::max(end_, end);
}

void EncodedSpan::add(const EncodeStage &encoder)
{
    if (encoder.frames() > 0)
        add(encoder.first(), encoder.end());
}

EncodeProgress ProgressOf(Pass pass)
{
    EncodeProgress progress;
    progress.pass = pass == Pass::Second ? 2 : 1;
    progress.passes = pass == Pass::Only ? 1 : 2;
    return progress;
}

int DecoderThreads(CoreShare share)
{
    return share.alone ? UsableCores() + 1 : 1;
}

std::unique_ptr<MediaReader> OpenReader(const SourceFacts &source, bool picture, bool sound, int decoderThreads, double start,
                                        const std::function<void()> &whileSeeking)
{
    auto reader = std::make_unique<MediaReader>(source, picture, sound, decoderThreads);
    if (start > 0 && picture)
        reader->seekPictureBefore(start, whileSeeking);
    else if (start > 0)
        reader->seek(start);
    return reader;
}

Lane PictureLane(const MediaReader &reader, const SourceFacts &source, const PassPlan &pass, const PicturePart &part,
                 bool globalHeaders)
{
    const VideoPlan &video = *pass.encode.video;
    FilterChain chain = FilterChain::forPicture(reader.decoder(AVMEDIA_TYPE_VIDEO), reader.timeBase(AVMEDIA_TYPE_VIDEO),
                                                source.picture->storedSampleAspect(), source.picture->frameRate, part.filters);
    StreamEncoder encoder =
        StreamEncoder::forPicture(video, chain.sampleAspect(), pass.pass, part.statistics, globalHeaders, part.startFullness);
    std::optional<RateKeeper> keeper;
    if (pass.keepsRate) {
        keeper.emplace(video.bitRate, video.bufferBits(), part.startFullness * video.bufferBits(), 1 / av_q2d(video.frameRate));
    }
    const AVRational timeBase = chain.timeBase();
    const AVRational frame = av_inv_q(video.frameRate);
    const int64_t keepFrom = part.keepFrom ? av_rescale_q(*part.keepFrom, frame, timeBase) : INT64_MIN;
    const int64_t keepUntil = part.keepUntil ? av_rescale_q(*part.keepUntil, frame, timeBase) : INT64_MAX;
    std::shared_ptr<const ColourTable> colourTable = pass.colourTable.isEmpty() ? nullptr : ColourTable::shared(pass.colourTable);
    return Lane{FilterStage(std::move(chain), keepFrom, keepUntil, std::move(colourTable)),
                EncodeStage(std::move(encoder), timeBase, pass.writes(), keeper)};
}

Lane SoundLane(const MediaReader &reader, const EncodePlan &plan, bool globalHeaders)
{
    StreamEncoder encoder = StreamEncoder::forSound(*plan.audio, globalHeaders);
    FilterChain chain = FilterChain::forSound(reader.decoder(AVMEDIA_TYPE_AUDIO), reader.timeBase(AVMEDIA_TYPE_AUDIO),
                                              AudioFilterDescription(plan), encoder.context().frame_size);
    const AVRational timeBase = chain.timeBase();
    return Lane{FilterStage(std::move(chain)), EncodeStage(std::move(encoder), timeBase, true)};
}

QString DroppedFramesNote(const VideoPlan &video, const RateRecord &rate)
{
    const int all = rate.frames + rate.dropped;
    const double movement = av_q2d(video.frameRate) * rate.frames / all;
    return QStringLiteral("To hold %1 bit/s, %2 of %3 frames were dropped, so the picture moves at %4 fps on average; "
                          "a smaller picture, a lower frame rate or a higher bit rate would keep them.")
        .arg(video.bitRate).arg(rate.dropped).arg(all).arg(QString::number(movement, 'f', 1));
}

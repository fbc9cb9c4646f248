#include "encoder/run/PartLanes.h"

#include "encoder/plan/FilterGraphs.h"

Lane PictureLane(const MediaReader &reader, const SourceFacts &source, const PassPlan &pass, const PicturePart &part,
                 bool globalHeaders)
{
    const PicturePlan &video = *pass.encode.picture;
    const AVRational sourceTimeBase = reader.timeBase(AVMEDIA_TYPE_VIDEO);
    FilterChain chain = FilterChain::forPicture(reader.decoder(AVMEDIA_TYPE_VIDEO), sourceTimeBase,
                                                source.picture->storedSampleAspect(), source.picture->frameRate, part.filters);
    StreamEncoder encoder =
        StreamEncoder::forPicture(video, chain.sampleAspect(), pass.pass, part.statistics, globalHeaders, part.startFullness);
    std::optional<RateKeeper> keeper;
    if (pass.keepsRate) {
        keeper.emplace(video.bitRate, video.bufferBits(), part.startFullness * video.bufferBits(), 1 / av_q2d(video.frameRate));
    }
    const int64_t showFrom = part.seekTo > 0 ? av_rescale_q_rnd(std::llround(part.seekTo * AV_TIME_BASE), AVRational{1, AV_TIME_BASE},
                                                                 sourceTimeBase, AV_ROUND_UP)
                                             : INT64_MIN;
    const AVRational timeBase = chain.timeBase();
    const AVRational frame = av_inv_q(video.frameRate);
    const int64_t keepFrom = part.keepFrom ? av_rescale_q(*part.keepFrom, frame, timeBase) : INT64_MIN;
    const int64_t keepUntil = part.keepUntil ? av_rescale_q(*part.keepUntil, frame, timeBase) : INT64_MAX;
    std::shared_ptr<const ColourTable> colourTable = pass.colourTable.isEmpty() ? nullptr : ColourTable::shared(pass.colourTable);
    return Lane{FilterStage(std::move(chain), showFrom, keepFrom, keepUntil, std::move(colourTable)),
                EncodeStage(std::move(encoder), timeBase, pass.writes(), keeper)};
}

Lane SoundLane(const MediaReader &reader, const EncodePlan &plan, bool globalHeaders)
{
    StreamEncoder encoder = StreamEncoder::forSound(*plan.sound, globalHeaders);
    const auto describe = [plan](std::optional<int64_t> firstSample) { return SoundFilterDescription(plan, firstSample); };
    FilterChain chain = FilterChain::forSound(reader.decoder(AVMEDIA_TYPE_AUDIO), reader.timeBase(AVMEDIA_TYPE_AUDIO), describe,
                                              encoder.context().frame_size);
    const AVRational timeBase = chain.timeBase();
    return Lane{FilterStage(std::move(chain)), EncodeStage(std::move(encoder), timeBase, true)};
}

EncodedPiece SummaryOf(const EncodeStage &encoder)
{
    EncodedPiece piece;
    piece.statistics = encoder.encoder().statistics();
    piece.frames = encoder.frames();
    piece.dropped = encoder.dropped();
    piece.coarsest = encoder.coarsest();
    piece.first = encoder.first();
    piece.end = encoder.end();
    return piece;
}

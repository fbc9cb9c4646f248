#include "encoder/plan/PassPlan.h"

#include "encoder/plan/TwoPassFloor.h"
#include "platform/Failure.h"

#include <algorithm>

PassPlan PlanPass(const EncodePlan &plan, int atOnce)
{
    PassPlan pass;
    pass.encode = plan;
    if (!plan.picture)
        return pass;
    pass.pass = plan.picture->twoPass() ? Pass::First : Pass::Only;
    pass.keepsRate = plan.picture->mode == RateMode::CbrOnePass;
    std::vector<PicturePiece> pieces = SplitPicture(plan, atOnce);
    pass.inPieces = !pieces.empty();
    if (!pass.inPieces)
        pieces.push_back(PicturePiece());
    for (const PicturePiece &piece : pieces)
        pass.picture.push_back(PartOf(plan, piece));
    pass.colourTable = ColourTableFilters(plan.picture->colour);
    return pass;
}

PassPlan PlanSecondPass(const PassPlan &first, const std::vector<QByteArray> &statistics)
{
    if (std::all_of(statistics.begin(), statistics.end(), [](const QByteArray &part) { return part.isEmpty(); }))
        throw Failure(QStringLiteral("The first pass found no picture frames to encode."));
    PassPlan second = first;
    second.pass = Pass::Second;
    second.picture.clear();
    PicturePlan &video = *second.encode.picture;
    // Each part's second pass must fit its own frames.
    int bitRate = video.bitRate;
    for (size_t index = 0; index < first.picture.size(); ++index) {
        if (statistics[index].isEmpty())
            continue;
        second.picture.push_back(first.picture[index]);
        second.picture.back().statistics = statistics[index];
        bitRate = std::max(bitRate, SafeTwoPassBitRate(video.bitRate, statistics[index], video.frameRate));
    }
    if (bitRate != video.bitRate) {
        second.raisedBitRate = bitRate;
        video.bitRate = bitRate;
    }
    return second;
}

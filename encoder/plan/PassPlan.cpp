#include "encoder/plan/PassPlan.h"

#include "encoder/plan/TwoPassFloor.h"
#include "platform/Failure.h"

#include <algorithm>

namespace {

// A piece keeps its own frames, not those its filters see around it; the whole picture is the piece
// from the first frame to the end.
PicturePart partOf(const EncodePlan &plan, const PicturePiece &piece)
{
    const Trim trim = PieceTrim(plan, piece);
    PicturePart part;
    part.piece = piece;
    part.start = PieceStart(plan, piece);
    part.seekTo = trim.start;
    part.filters = VideoFilterDescription(plan, trim);
    if (piece.firstFrame > 0)
        part.keepFrom = piece.firstFrame;
    part.keepUntil = piece.endFrame;
    part.startFullness = StartFullness(piece);
    return part;
}

} // namespace

PassPlan PlanPass(const EncodePlan &plan, int atOnce)
{
    PassPlan pass;
    pass.encode = plan;
    if (!plan.video)
        return pass;
    pass.pass = plan.video->twoPass() ? Pass::First : Pass::Only;
    pass.keepsRate = plan.video->mode == RateMode::CbrOnePass;
    pass.colourTable = ColourTableFilters(plan.video->colour);
    std::vector<PicturePiece> pieces = SplitPicture(plan, atOnce);
    pass.inPieces = !pieces.empty();
    if (!pass.inPieces)
        pieces.push_back(PicturePiece());
    for (const PicturePiece &piece : pieces)
        pass.picture.push_back(partOf(plan, piece));
    return pass;
}

PassPlan PlanSecondPass(const PassPlan &first, const std::vector<QByteArray> &statistics)
{
    if (std::all_of(statistics.begin(), statistics.end(), [](const QByteArray &part) { return part.isEmpty(); }))
        throw Failure(QStringLiteral("The first pass found no picture frames to encode."));
    PassPlan second = first;
    second.pass = Pass::Second;
    second.picture.clear();
    VideoPlan &video = *second.encode.video;
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

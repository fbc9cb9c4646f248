#include "encoder/plan/Pieces.h"

#include <algorithm>
#include <cmath>

namespace {

// Enough of the source around a piece for the frame-rate filter and the deinterlacer to see the
// frames beside its first and last ones, as they do in one piece.
constexpr double Margin = 1.0;

// A piece costs an encoder and a reader of its own, and its margins, so a piece is no shorter than
// this many seconds; and its packets wait while the pieces before it are written, so it is no
// longer than this.
constexpr double ShortestPiece = 5;
constexpr double LongestPiece = 30;

constexpr double LaterPieceFullness = 0.5;

double frameSeconds(const EncodePlan &plan, int64_t frame)
{
    return double(frame) / av_q2d(plan.picture->frameRate);
}

// The frames of the section at the output's rate: those that start before its end.
int64_t sectionFrames(const EncodePlan &plan)
{
    return int64_t(std::ceil(plan.duration * av_q2d(plan.picture->frameRate) - 1e-6));
}

} // namespace

std::vector<PicturePiece> SplitPicture(const EncodePlan &plan, int atOnce)
{
    if (atOnce < 2 || !plan.picture || plan.duration <= 0 || plan.clockMended || plan.picture->mode == RateMode::VbrTwoPass
        || plan.picture->preprocessing == Preprocessing::InverseTelecine)
        return {};
    const double rate = av_q2d(plan.picture->frameRate);
    const int64_t frames = sectionFrames(plan);
    const auto shortest = int64_t(std::ceil(ShortestPiece * rate));
    const auto longest = int64_t(std::ceil(LongestPiece * rate));
    // As many pieces as threads, or a multiple, so that all end together.
    const int64_t rounds = (frames + atOnce * longest - 1) / (atOnce * longest);
    const int64_t count = std::min(atOnce * rounds, frames / std::max<int64_t>(1, shortest));
    if (count < 2)
        return {};
    const int64_t length = (frames + count - 1) / count;
    std::vector<PicturePiece> pieces;
    for (int64_t first = 0; first < frames; first += length)
        pieces.push_back({first, first + length < frames ? std::optional(first + length) : std::nullopt});
    return pieces;
}

double PieceStart(const EncodePlan &plan, const PicturePiece &piece)
{
    return frameSeconds(plan, piece.firstFrame);
}

Trim PieceTrim(const EncodePlan &plan, const PicturePiece &piece)
{
    const double start = PieceStart(plan, piece);
    const std::optional<double> end = piece.endFrame ? std::optional(frameSeconds(plan, *piece.endFrame)) : std::nullopt;
    const Trim section = SectionTrim(plan);
    Trim trim;
    trim.origin = section.origin;
    trim.start = piece.firstFrame == 0 ? section.start : std::max(section.start, section.origin + start - Margin);
    trim.end = section.end;
    if (end) {
        const double past = section.origin + *end + Margin;
        trim.end = section.end ? std::min(*section.end, past) : past;
    }
    return trim;
}

double StartFullness(const PicturePiece &piece)
{
    return piece.firstFrame > 0 ? LaterPieceFullness : 0;
}

PicturePart PartOf(const EncodePlan &plan, const PicturePiece &piece)
{
    PicturePart part;
    part.piece = piece;
    part.start = PieceStart(plan, piece);
    part.startFullness = StartFullness(piece);
    if (piece.firstFrame > 0)
        part.keepFrom = piece.firstFrame;
    // A section's end cuts the frame on screen there short, however long it lasts in the source.
    part.keepUntil = piece.endFrame ? piece.endFrame : plan.end ? std::optional(sectionFrames(plan)) : std::nullopt;
    const Trim trim = PieceTrim(plan, piece);
    part.seekTo = trim.start;
    part.filters = PictureFilterDescription(plan, trim);
    return part;
}

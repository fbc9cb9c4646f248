#pragma once

#include "encoder/plan/EncodePlan.h"
#include "encoder/plan/FilterGraphs.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// FFmpeg's WMV encoders use one thread. On a machine with more cores, the picture is cut into
// pieces encoded at once, each by an encoder of its own, starting with a key frame, as a player may
// start anyway. Each piece's rate control starts afresh, so the bytes are not those of one encoder,
// but every piece keeps the rate and the key-frame distance asked for.

// A stretch of the output's picture; frames are counted from the section's start at the output's
// frame rate.
struct PicturePiece {
    int64_t firstFrame = 0;
    std::optional<int64_t> endFrame; // nothing: to the end of the section
};

// The pieces the plan's picture is encoded in when `atOnce` pieces may run at once: as many as that,
// or a multiple for a long picture, all of a length. Nothing where one piece does better: a single
// core, a short picture, a source whose length is not known, two passes at a variable rate (whose
// second pass shares the bits out over the whole file) and inverse telecine (which finds its pattern
// over the frames before).
std::vector<PicturePiece> SplitPicture(const EncodePlan &plan, int atOnce);

// What goes through a piece's filters: from a second before the piece, so that its first frames are
// picked from the source as in one piece, to a second past it, for its last ones. The filters keep
// the section's timeline, so that a change of frame rate picks the same source frames in every piece
// as in one: frame n of their output is frame n of the section.
Trim PieceTrim(const EncodePlan &plan, const PicturePiece &piece);

// Where a piece starts in the output, in seconds.
double PieceStart(const EncodePlan &plan, const PicturePiece &piece);

// The share of a constant rate's buffer (see LeakyBucket) that the picture, or a piece of it, is
// encoded as if full at its first frame: none at the start of the output, where the player waits
// for the buffer to fill, and half at the start of a later piece, which the pieces' joints keep to.
double StartFullness(const PicturePiece &piece);

// The picture, or one piece of it, as one lane encodes it.
struct PicturePart {
    PicturePiece piece;              // {0, nothing} for the whole picture
    double start = 0;                // where it starts in the output, in seconds
    double seekTo = 0;               // seconds into the source from which its reader decodes it whole
    QString filters;                 // the description of its filters
    std::optional<int64_t> keepFrom; // the first frame of the section it keeps; nothing: all up to its end
    std::optional<int64_t> keepUntil; // the frame of the section it stops before; nothing: to the end
    double startFullness = 0;        // the share of a constant rate's buffer taken to be full at its first frame
    QByteArray statistics;           // a second pass's: what the first pass found of its frames
};

// The piece as its lane encodes it. A piece keeps its own frames, not those its filters see around
// it; the whole picture is the piece from the first frame to the end.
PicturePart PartOf(const EncodePlan &plan, const PicturePiece &piece);

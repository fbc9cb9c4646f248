#pragma once

#include "encoder/plan/EncodePlan.h"
#include "encoder/plan/Pieces.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// Which run through the source an encode makes: the only one, or the first or second of two.
enum class Pass { Only, First, Second };

// How one run through the source encodes, all decided before its first frame is read.
struct PassPlan {
    Pass pass = Pass::Only;
    EncodePlan encode;                // as this pass encodes: a second one at the rate that holds the picture
    std::vector<PicturePart> picture; // in order: one for the whole picture, none without a picture
    bool inPieces = false;            // the parts are encoded side by side, each by a reader of its own
    bool keepsRate = false;           // frames are dropped where the encoder cannot hold a constant rate
    QString colourTable;              // the filters a colour table is sampled from (see ColourTableFilters); empty: none
    std::optional<int> raisedBitRate; // a second pass's rate, where the plan's cannot hold the picture

    bool writes() const { return pass != Pass::First; } // a first pass writes nothing and encodes no sound
};

// The only pass, or the first of two, for the plan, with up to atOnce pieces of the picture at once.
PassPlan PlanPass(const EncodePlan &plan, int atOnce);

// The second of two passes, from what the first found of each part: the parts where it found no
// frames are left out, and where the plan's rate cannot fit every part's frames even at the coarsest
// quantiser, the lowest rate that does is given instead. Throws Failure where the first pass found no
// frames at all.
PassPlan PlanSecondPass(const PassPlan &first, const std::vector<QByteArray> &statistics);

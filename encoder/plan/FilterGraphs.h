#pragma once

#include "encoder/plan/EncodePlan.h"

#include <QString>

// The libavfilter graph descriptions that turn decoded source frames into what the encoders take,
// in the order the steps apply: the section, then deinterlacing, clipping, scaling, turning upright,
// colour, frame rate and pixel format for the picture; the section, then sampling rate, channels and
// sample format for the sound.

// The stretch of the source that goes through the filters, and where the output's time 0 lies, in
// seconds of the source.
struct Trim {
    double start = 0;
    std::optional<double> end; // nothing: to the end of the source
    double origin = 0;
};

// The plan's section, moved to the start of the output.
Trim SectionTrim(const EncodePlan &plan);

QString PictureFilterDescription(const EncodePlan &plan, const Trim &trim);
QString SoundFilterDescription(const EncodePlan &plan);

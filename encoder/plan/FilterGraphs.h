#pragma once

#include "encoder/plan/EncodePlan.h"

#include <QString>
#include <cstdint>
#include <optional>

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
// firstSample, where given, is where the chain's first sample should lie, counted from the output's
// start in samples of the source's sound: a chain built again part way, for sound of another rate or
// channels, starts where the one before it ended, and a gap between them is filled with silence.
QString SoundFilterDescription(const EncodePlan &plan, std::optional<int64_t> firstSample = std::nullopt);

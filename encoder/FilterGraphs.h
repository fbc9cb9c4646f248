#pragma once

#include "encoder/EncodePlan.h"

#include <QString>

// The libavfilter graph descriptions that turn decoded source frames into what the encoders take,
// in the order the steps apply: the section, then deinterlacing, turning upright, clipping, scaling,
// frame rate and pixel format for the picture; the section, then sampling rate, channels and sample format for
// the sound.
QString VideoFilterDescription(const EncodePlan &plan);
QString AudioFilterDescription(const EncodePlan &plan);

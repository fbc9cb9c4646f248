#pragma once

#include "encoder/asked/Settings.h"
#include "encoder/plan/EncodePlan.h"

#include <QStringList>
#include <optional>

// The picture's size, in pixels.
struct PictureSize {
    int width;
    int height;
};

// The rectangle of the upright width-by-height picture that -v_clip keeps, with notes where its
// numbers are read otherwise than written; nothing where it keeps the whole. Throws Failure where it
// keeps nothing.
std::optional<CropRect> PlanCrop(const std::optional<ClipNumbers> &clip, int width, int height, QStringList &notes);

// The output's size from the kept picture, the profile and the size switches: the picture's shape
// kept where one side is given, halved where deinterlacing asks, its sides even. squarePixels is
// set where the size switches set the shape.
PictureSize PlanPictureSize(const Settings &settings, const ProfilePicture *profile, PictureSize kept, AVRational sampleAspect,
                            bool &squarePixels, QStringList &notes);
